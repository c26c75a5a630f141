#!/usr/bin/env bash
# Runs every libFuzzer harness of a fuzz build for a bounded time each.
# Usage: scripts/run-fuzzers.sh <build-dir> [seconds-per-harness]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"
secs="${2:-20}"
shopt -s nullglob
harnesses=("$dir"/fuzzers/*)
if [ ${#harnesses[@]} -eq 0 ]; then
  echo "no fuzz harnesses built"
  exit 0
fi
failed=0
for h in "${harnesses[@]}"; do
  name=$(basename "$h")
  corpus="$dir/fuzz-corpus/$name"
  mkdir -p "$corpus"
  # Seeds kept beside the harness source, if any.
  for seeds in $(find . -path "./build*" -prune -o -type d -path "*/fuzz/seeds/$name" -print); do
    cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  done
  echo "== fuzzing $name for ${secs}s"
  if ! "$h" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
       -artifact_prefix="$dir/fuzz-corpus/$name-" "$corpus" > "$dir/fuzz-corpus/$name.log" 2>&1; then
    echo "FUZZ FAILURE in $name:"; tail -n 60 "$dir/fuzz-corpus/$name.log"
    failed=1
  fi
done
exit $failed
