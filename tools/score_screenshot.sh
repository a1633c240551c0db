#!/usr/bin/env bash
# Renders the score editor showing a four-part song (ledger lines, accidentals, ties,
# triplets, do-re-mi labels, a selection) into PNG files: the drawing surface alone and the
# whole frame; and the Habanera's first phrase engraved and classic (the README's pictures in
# docs/). Usage: tools/score_screenshot.sh [OUTPUT_DIR]   (default: ./screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/screenshots}" && cd "${1:-$root/screenshots}" && pwd)
build=${BUILD_DIR:-$root/build}
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target tst_score_editor_window >/dev/null
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
PIPORAPAD_HOME=$home QT_QPA_PLATFORM=offscreen PIPORAPAD_SCREENSHOT_DIR=$out \
  "$build/tests/tst_score_editor_window" screenshot screenshotEngravedAndClassic >/dev/null
for name in score_surface score_editor score_engraved score_classic; do
  echo "$out/$name.png"
done
