#!/usr/bin/env bash
# Runs the libFuzzer targets built with -DPIPORAPAD_FUZZ=ON (see README.md here).
#
#   fuzz/run.sh BUILD_DIR SECONDS   every target, sharing 2 x SECONDS between them
#                                   (the short run of ./test and CI)
#   fuzz/run.sh TARGET SECONDS      one target (smd_reader, smf_roundtrip_fuzz, ...) from
#                                   $PIPORAPAD_FUZZ_BUILD (default build-fuzz), keeping its
#                                   corpus in BUILD/fuzz-corpus/TARGET between runs
#
# Prints each target's executions; a fault stops the run, shows the log and leaves the
# input that caused it in BUILD/fuzz-artifacts/.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${2:-60}"
# Inputs up to a few hundred kilobytes: songs with tens of thousands of notes.
max_len="${PIPORAPAD_FUZZ_MAX_LEN:-393216}"
# libFuzzer measures a unit's time on the wall clock: on a machine where the run may be paused
# or starved for a while, raise it so that a pause is not taken for a hang.
timeout="${PIPORAPAD_FUZZ_TIMEOUT:-25}"

dictionary_of() {
  case "$1" in
  smd_*) echo "$here/smd.dict" ;;
  smf_*) echo "$here/midi.dict" ;;
  esac
}

# The seed inputs: the reader's corpus serves the round trip of the same format too.
seeds_of() {
  case "$1" in
  smd_*) echo "$here/corpus/smd_reader_fuzz" ;;
  smf_*) echo "$here/corpus/smf_reader_fuzz" ;;
  esac
}

# run_target BINARY SECONDS CORPUS_DIR
run_target() {
  local fuzzer="$1" time="$2" corpus="$3"
  local name build log
  name="$(basename "$fuzzer")"
  build="$(cd "$(dirname "$fuzzer")/.." && pwd)"
  mkdir -p "$corpus" "$build/fuzz-artifacts"
  local seeds
  seeds="$(seeds_of "$name")"
  [ -d "$seeds" ] && cp -rn "$seeds/." "$corpus/"
  log="$(mktemp)"
  echo "== fuzzing $name for ${time}s =="
  if ! "$fuzzer" -max_total_time="$time" -max_len="$max_len" -rss_limit_mb=2048 \
    -timeout="$timeout" -dict="$(dictionary_of "$name")" -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-artifacts/$name-" "$corpus" 2>"$log"; then
    tail -60 "$log"
    rm -f "$log"
    return 1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$log" | sed "s/^/$name /"
  rm -f "$log"
}

if [ -d "$1/fuzz" ]; then
  build="$1"
  fuzzers=()
  for fuzzer in "$build"/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] && fuzzers+=("$fuzzer")
  done
  [ "${#fuzzers[@]}" -gt 0 ] || { echo "no fuzz targets in $build/fuzz" >&2; exit 1; }
  share=$((2 * seconds / ${#fuzzers[@]}))
  [ "$share" -ge 1 ] || share=1
  for fuzzer in "${fuzzers[@]}"; do
    corpus="$(mktemp -d)"
    run_target "$fuzzer" "$share" "$corpus" || { rm -rf "$corpus"; exit 1; }
    rm -rf "$corpus"
  done
else
  build="${PIPORAPAD_FUZZ_BUILD:-build-fuzz}"
  name="${1%_fuzz}_fuzz"
  fuzzer="$build/fuzz/$name"
  [ -x "$fuzzer" ] || { echo "no fuzz target $fuzzer (build the fuzzers first)" >&2; exit 1; }
  run_target "$fuzzer" "$seconds" "$build/fuzz-corpus/$name"
fi
