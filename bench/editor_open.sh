#!/usr/bin/env bash
# How much opening a 1 MB Standard MIDI File (made by make_big_smf.py: 16 one-channel tracks,
# plain and triplet lengths, rests and overlaps) costs the editor, whole process against whole
# process as the kernel accounts it:
#  1. `piporapad --offscreen-start-and-quit BIG.mid` (the import, its report with the piano
#     roll, both editors filled, the event log written) against the same start with an empty
#     song: the CPU the file adds, against the CLI reading the whole file and writing it again,
#     `piporapad-cli convert BIG.mid OUT.mid` (goal: at most 3 times), and the memory it adds
#     (goal: at most 60 MB);
#  2. `piporapad-cli convert BIG.mid OUT.mid` and `convert BIG.mid OUT.smd` against `midicsv`
#     reading the same file (goal: at most midicsv's CPU).
# Each CPU figure is the lowest of fifteen runs, the commands taking turns.
# Usage: bench/editor_open.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
editor="$build/src/app/piporapad"
cli="$build/src/app/piporapad-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export PIPORAPAD_HOME="$work/home" PIPORAPAD_MIDI=null QT_QPA_PLATFORM=offscreen
mkdir -p "$PIPORAPAD_HOME"
cd "$work"
python3 "$here/make_big_smf.py" big.mid
command -v midicsv >/dev/null || { echo "midicsv is missing (Debian package midicsv)" >&2; exit 1; }

ROUNDS=15

# cpu COMMAND... : each command's CPU in milliseconds (user and system time, from the kernel's
# per-child accounting), the lowest of ROUNDS runs. The commands take turns, so that a busy
# moment of the machine falls on all of them alike. A command that exits with 2 or more failed
# and would be timed as fast: that stops the benchmark.
cpu() {
  python3 - "$ROUNDS" "$@" <<'EOF'
import resource, subprocess, sys
rounds, commands = int(sys.argv[1]), [c.split("\x1f") for c in sys.argv[2:]]
best = [float("inf")] * len(commands)
for _ in range(rounds):
    for k, command in enumerate(commands):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        code = subprocess.call(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if code >= 2:
            sys.exit("failed: " + " ".join(command))
        used = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best[k] = min(best[k], used * 1000)
print(" ".join(str(round(ms)) for ms in best))
EOF
}

# memory COMMAND... : the largest resident size of one run, in kilobytes.
memory() {
  /usr/bin/time -o "$work/time" -f '%M' "$@" >/dev/null 2>&1 || true
  tail -1 "$work/time"
}

# One command per argument, its words joined by the unit separator.
us=$'\x1f'
read -r empty_ms open_ms smd_ms mid_ms csv_ms < <(cpu \
  "$editor$us--offscreen-start-and-quit" "$editor$us--offscreen-start-and-quit${us}big.mid" \
  "$cli${us}convert${us}big.mid${us}out.smd" "$cli${us}convert${us}big.mid${us}out.mid" \
  "midicsv${us}big.mid")
[ -n "$csv_ms" ] || exit 1
empty_kb=$(memory "$editor" --offscreen-start-and-quit)
open_kb=$(memory "$editor" --offscreen-start-and-quit big.mid)
added_ms=$((open_ms - empty_ms))
echo "editor, empty song: ${empty_ms} ms CPU, $((empty_kb / 1024)) MB"
echo "editor, 1 MB MIDI file: ${open_ms} ms CPU, $((open_kb / 1024)) MB:" \
  "the file adds ${added_ms} ms CPU and $(((open_kb - empty_kb) / 1024)) MB (goal: 60 MB)"
echo "piporapad-cli convert big.mid out.mid: ${mid_ms} ms CPU; the editor's added CPU is" \
  "$(python3 -c "print(round($added_ms / max($mid_ms, 1), 1))") times it (goal: 3)"
echo "piporapad-cli convert big.mid out.smd: ${smd_ms} ms CPU; midicsv big.mid: ${csv_ms} ms CPU;" \
  "ratios: .mid $(python3 -c "print(round($mid_ms / max($csv_ms, 1), 2))")," \
  ".smd $(python3 -c "print(round($smd_ms / max($csv_ms, 1), 2))") (goal: at most 1)"
