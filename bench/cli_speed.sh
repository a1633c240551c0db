#!/usr/bin/env bash
# How fast piporapad-cli converts MIDI files, against two well-known converters, whole process
# against whole process as /usr/bin/time sees it:
#  1. CPU time (user + system) and largest memory of `convert BIG.mid OUT.mid` (MIDI -> MIDI)
#     and `convert BIG.mid OUT.smd --fit` (MIDI -> SMD; without --fit this file's loose
#     triplets are refused) on a 1 MB file of 112,000 notes (made by make_big_smf.py)
#     against `midicsv BIG.mid` writing its CSV;
#  2. wall time of `convert SMALL.mid OUT.mid` on a small real file against MuseScore 3's
#     command-line export `mscore3 -o OUT.mid SMALL.mid` (Debian package musescore3, needed
#     only here);
#  3. the CLI's start-up: `piporapad-cli --version`, and `check` of a small SMD file (the
#     start-up plus reading and checking a few hundred notes).
# Each figure is the best of several rounds of several runs, so that other work on the
# machine disturbs it less. Usage: bench/cli_speed.sh [path/to/piporapad-cli]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-${PIPORAPAD_CLI:-$here/../build/src/app/piporapad-cli}}"
small="$here/../tests/data/midi-corpus/pianobooster/04-FrereJacques.mid"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export PIPORAPAD_HOME="$work/home" QT_QPA_PLATFORM=offscreen
mkdir -p "$PIPORAPAD_HOME"
cd "$work"
python3 "$here/make_big_smf.py" big.mid

ROUNDS=5
RUNS=10

# best_of FORMAT COMMAND... : the smallest per-run figure over the rounds, in milliseconds.
# FORMAT is a /usr/bin/time format giving one number in seconds for the whole round.
best_of() {
  local format="$1"
  shift
  local best=""
  for _ in $(seq "$ROUNDS"); do
    local seconds
    seconds=$(/usr/bin/time -f "$format" bash -c \
      'for _ in $(seq '"$RUNS"'); do "$@" >/dev/null 2>&1 || true; done' _ "$@" 2>&1 | tail -1)
    local ms
    ms=$(python3 -c "print(round(($seconds) * 1000 / $RUNS, 2))")
    if [ -z "$best" ] || python3 -c "import sys; sys.exit(0 if $ms < $best else 1)"; then
      best="$ms"
    fi
  done
  echo "$best"
}

# A command that fails would be timed as fast: each is run once first and must succeed.
works() {
  "$@" >/dev/null 2>"$work/err" || { echo "failed: $* ($(cat "$work/err"))" >&2; exit 1; }
}

cpu='%U + %S'
wall='%e'

command -v midicsv >/dev/null || { echo "midicsv is missing (Debian package midicsv)" >&2; exit 1; }
# rss COMMAND... : the largest resident memory of one run, in MB.
rss() {
  /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.1f", $1 / 1024}'
}

works midicsv big.mid
csv_cpu=$(best_of "$cpu" midicsv big.mid)
echo "midicsv big.mid: ${csv_cpu} ms CPU, $(rss midicsv big.mid) MB"
for what in "big.mid out.mid" "big.mid out.smd --fit"; do
  # shellcheck disable=SC2086 # the words of the command
  works "$cli" convert $what
  # shellcheck disable=SC2086
  cli_cpu=$(best_of "$cpu" "$cli" convert $what)
  # shellcheck disable=SC2086
  echo "convert $what (1 MB, 112,000 notes): ${cli_cpu} ms CPU, $(rss "$cli" convert $what) MB;" \
    "ratio to midicsv $(python3 -c "print(round($cli_cpu / $csv_cpu, 2))") (goal: at most 1)"
done

works "$cli" convert "$small" small.smd --fit
works "$cli" check small.smd
for what in --version "check small.smd"; do
  # shellcheck disable=SC2086 # the words of the command
  start_cpu=$(best_of "$cpu" "$cli" $what)
  # shellcheck disable=SC2086
  start_wall=$(best_of "$wall" "$cli" $what)
  echo "start-up ($what): ${start_cpu} ms CPU, ${start_wall} ms wall"
done

if command -v mscore3 >/dev/null; then
  works "$cli" convert "$small" small.mid
  works mscore3 -o score.mid "$small"
  cli_wall=$(best_of "$wall" "$cli" convert "$small" small.mid)
  RUNS=2 ROUNDS=3
  score_wall=$(best_of "$wall" mscore3 -o score.mid "$small")
  echo "convert small file: ${cli_wall} ms wall; mscore3 -o: ${score_wall} ms wall;" \
    "piporapad-cli $(python3 -c "print(round($score_wall / $cli_wall, 1))") times faster (goal: 20)"
else
  echo "mscore3 is missing (Debian package musescore3): small-file comparison skipped"
fi
