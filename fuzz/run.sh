#!/usr/bin/env bash
# Runs every fuzzer for a bounded time: fuzz/run.sh BUILD_DIR SECONDS
set -euo pipefail
build="$1"
seconds="${2:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
for fuzzer in "$build"/fuzz/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name="$(basename "$fuzzer")"
  corpus="$(mktemp -d)"
  [ -d "$here/corpus/$name" ] && cp -r "$here/corpus/$name/." "$corpus/"
  echo "== fuzzing $name for ${seconds}s =="
  "$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -print_final_stats=0 "$corpus" 2>"$corpus.log" || { tail -50 "$corpus.log"; exit 1; }
  rm -rf "$corpus" "$corpus.log"
done
