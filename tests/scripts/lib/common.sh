# shellcheck shell=bash
# What every script test starts with; sourced after `set -euo pipefail`.
#
#   $work            a scratch folder, removed when the script exits; `at_exit COMMAND`
#                    runs COMMAND before that (stop what the test started, unmount, ...)
#   PIPORAPAD_HOME   the program directory, inside $work: no test touches the user's own
#   fail TEXT        a check failed: said on standard error and counted; the script goes on
#   die TEXT         a check failed that the rest depends on: said, and the script stops
#   finish TEXT      the last line: exit 1 if any check failed, else print TEXT
#   expect_run CODE COMMAND...
#                    runs COMMAND with its output in ./out and ./err, and fails unless it
#                    exits with CODE

work="$(mktemp -d)"
export PIPORAPAD_HOME="$work/home"

exit_steps=()
at_exit() { exit_steps+=("$1"); }
run_exit_steps() {
  local step
  for step in "${exit_steps[@]}"; do eval "$step" || true; done
  rm -rf "$work"
}
trap run_exit_steps EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
die() {
  echo "FAIL: $*" >&2
  exit 1
}
finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "$*"
}

expect_run() {
  local want="$1" got=0
  shift
  "$@" >out 2>err || got=$?
  [ "$got" = "$want" ] || fail "$* exited $got, expected $want (stderr: $(cat err))"
}
