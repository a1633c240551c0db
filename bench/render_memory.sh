#!/usr/bin/env bash
# Peak memory and time of `piporapad-cli render` on a big song: 16 parts x 100,000 sixteenths
# (made by make_big_smd), 300 seconds of it into a WAV file of about 53 MB. The sound goes to
# the file a block at a time, so the peak stays far below the file's size.
# Usage: bench/render_memory.sh [path/to/build]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export PIPORAPAD_HOME="$work/home" QT_QPA_PLATFORM=offscreen
mkdir -p "$PIPORAPAD_HOME"
"$build/bench/make_big_smd" 100000 "$work/big.smd"
/usr/bin/time -f "%M %e" -o "$work/time" \
  "$build/src/app/piporapad-cli" render "$work/big.smd" "$work/big.wav" --seconds 300
read -r peak_kb seconds <"$work/time"
echo "render 16 x 100000 notes, 300 s: peak RSS $((peak_kb / 1024)) MB, ${seconds} s wall," \
  "WAV $(($(stat -c %s "$work/big.wav") / 1024 / 1024)) MB"
