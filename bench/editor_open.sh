#!/usr/bin/env bash
# How much opening a 1 MB Standard MIDI File (made by make_big_smf.py: 16 one-channel tracks,
# plain and triplet lengths, rests and overlaps) costs the editor, whole process against whole
# process as /usr/bin/time sees it:
#  1. `piporapad --offscreen-start-and-quit BIG.mid` (the import, its report with the piano
#     roll, both editors filled, the event log written) against the same start with an empty
#     song: the CPU the file adds, against the CLI reading the whole file and writing it again,
#     `piporapad-cli convert BIG.mid OUT.mid` (goal: at most 3 times), and the memory it adds
#     (goal: at most 60 MB);
#  2. `piporapad-cli convert BIG.mid OUT.mid` and `convert BIG.mid OUT.smd` against `midicsv`
#     reading the same file (goal: at most midicsv's CPU).
# Each CPU figure is the best of three rounds of five runs. Usage: bench/editor_open.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
editor="$build/src/app/piporapad"
cli="$build/src/app/piporapad-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export PIPORAPAD_HOME="$work/home" PIPORAPAD_MIDI=null QT_QPA_PLATFORM=offscreen
mkdir -p "$PIPORAPAD_HOME"
cd "$work"
python3 "$here/make_big_smf.py" big.mid
command -v midicsv >/dev/null || { echo "midicsv is missing (Debian package midicsv)" >&2; exit 1; }

ROUNDS=3
RUNS=5

# cpu COMMAND... : the CPU of one run in milliseconds, the best round of RUNS runs each. A
# command that exits with 2 or more failed and would be timed as fast: that stops the benchmark.
cpu() {
  "$@" >/dev/null 2>&1 || [ $? -lt 2 ] || { echo "failed: $*" >&2; exit 1; }
  local best=""
  for _ in $(seq "$ROUNDS"); do
    /usr/bin/time -o "$work/time" -f '%U %S' bash -c \
      'for _ in $(seq '"$RUNS"'); do "$@" >/dev/null 2>&1 || true; done' _ "$@"
    read -r user sys < <(tail -1 "$work/time")
    local ms
    ms=$(python3 -c "print(round(($user + $sys) * 1000 / $RUNS))")
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

# memory COMMAND... : the largest resident size of one run, in kilobytes.
memory() {
  /usr/bin/time -o "$work/time" -f '%M' "$@" >/dev/null 2>&1 || true
  tail -1 "$work/time"
}

empty_ms=$(cpu "$editor" --offscreen-start-and-quit)
empty_kb=$(memory "$editor" --offscreen-start-and-quit)
open_ms=$(cpu "$editor" --offscreen-start-and-quit big.mid)
open_kb=$(memory "$editor" --offscreen-start-and-quit big.mid)
smd_ms=$(cpu "$cli" convert big.mid out.smd)
mid_ms=$(cpu "$cli" convert big.mid out.mid)
csv_ms=$(cpu midicsv big.mid)
added_ms=$((open_ms - empty_ms))
echo "editor, empty song: ${empty_ms} ms CPU, $((empty_kb / 1024)) MB"
echo "editor, 1 MB MIDI file: ${open_ms} ms CPU, $((open_kb / 1024)) MB:" \
  "the file adds ${added_ms} ms CPU and $(((open_kb - empty_kb) / 1024)) MB (goal: 60 MB)"
echo "piporapad-cli convert big.mid out.mid: ${mid_ms} ms CPU; the editor's added CPU is" \
  "$(python3 -c "print(round($added_ms / max($mid_ms, 1), 1))") times it (goal: 3)"
echo "piporapad-cli convert big.mid out.smd: ${smd_ms} ms CPU; midicsv big.mid: ${csv_ms} ms CPU;" \
  "ratios: .mid $(python3 -c "print(round($mid_ms / max($csv_ms, 1), 2))")," \
  ".smd $(python3 -c "print(round($smd_ms / max($csv_ms, 1), 2))") (goal: at most 1)"
