#!/usr/bin/env bash
# Saves PNG pictures of the editor with a demo song loaded:
#   OUT/frame.png    the frame with its four child windows
#   OUT/source_editor.png  the source editor alone
# Usage: tools/screenshots.sh [OUT] (default: build/screenshots). Builds the editor first.
# With XVFB=1 the pictures are taken from a real X server (Xvfb) instead of offscreen.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$here/build/screenshots}"
build="${PIPORAPAD_BUILD:-$here/build}"

cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target piporapad >/dev/null
mkdir -p "$out"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
python3 "$here/tools/make_song.py" demo "$home/さくら.smd"

export PIPORAPAD_HOME="$home"
if [ "${XVFB:-0}" = 1 ]; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" "$build/src/piporapad" --screenshots "$out" "$home/さくら.smd"
else
  QT_QPA_PLATFORM=offscreen "$build/src/piporapad" --screenshots "$out" "$home/さくら.smd"
fi
ls -l "$out"/frame.png "$out"/source_editor.png
