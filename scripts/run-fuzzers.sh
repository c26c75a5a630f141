#!/usr/bin/env bash
# Runs every libFuzzer harness of a fuzz build for a bounded time each, several side by side (one
# per core by default); the harnesses over the readers of untrusted input (documents, PDFs,
# pastes, fonts, pictures and clips a user opens or pastes) run longer.
# Usage: scripts/run-fuzzers.sh <build-dir> [seconds-per-harness] [seconds-per-reader-harness] [at-once]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"
secs="${2:-20}"
reader_secs="${3:-$secs}"
at_once="${4:-$(nproc)}"
readers=(app_lfwreader_fuzzer app_objlist_fuzzer app_clipobjs_fuzzer app_clipstream_fuzzer publication_pdfimport_fuzzer
  pagesieve_parse_fuzzer pagesieve_simple_subset_fuzzer publication_sections_fuzzer publication_textobj_fuzzer publication_video_section_fuzzer
  textengine_text_record_fuzz textengine_font_record_fuzz textengine_cmap_record_fuzz object_loader_fuzz
  imagefilters_dib_fuzzer gdi_font_bytes_fuzz gdiplus_image_fuzzer clipdeck_open_fuzz)
shopt -s nullglob
harnesses=("$dir"/fuzzers/*)
if [ ${#harnesses[@]} -eq 0 ]; then
  echo "no fuzz harnesses built"
  exit 0
fi
for r in "${readers[@]}"; do
  [ -x "$dir/fuzzers/$r" ] || echo "warning: reader harness $r is not built"
done
seed_dirs=$(find . -path "./build*" -prune -o -type d -path "*/fuzz/seeds/*" -print)

# One harness: its corpus (seeded from the seeds kept beside its source, if any), its time, its log.
fuzz_one() {
  local h=$1 run=$2 name corpus seeds
  name=$(basename "$h")
  corpus="$dir/fuzz-corpus/$name"
  mkdir -p "$corpus"
  for seeds in $seed_dirs; do
    [ "$(basename "$seeds")" = "$name" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  done
  echo "== fuzzing $name for ${run}s"
  # The readers take inputs of any size up to 1 MiB under a memory budget: a file that makes a
  # reader allocate past it is a finding, as is one that makes it slow.
  if ! "$h" -max_total_time="$run" -timeout=10 -max_len=1048576 -rss_limit_mb=1536 -malloc_limit_mb=768 \
       -print_final_stats=0 \
       -artifact_prefix="$dir/fuzz-corpus/$name-" "$corpus" > "$dir/fuzz-corpus/$name.log" 2>&1; then
    echo "FUZZ FAILURE in $name:"; tail -n 60 "$dir/fuzz-corpus/$name.log"
    return 1
  fi
}

# Readers first (the longest runs), so the short ones fill in at the end.
ordered=()
for h in "${harnesses[@]}"; do
  [[ " ${readers[*]} " == *" $(basename "$h") "* ]] && ordered+=("$h")
done
for h in "${harnesses[@]}"; do
  [[ " ${readers[*]} " == *" $(basename "$h") "* ]] || ordered+=("$h")
done

failed=0
running=0
for h in "${ordered[@]}"; do
  run="$secs"
  if [[ " ${readers[*]} " == *" $(basename "$h") "* ]]; then run="$reader_secs"; fi
  if [ "$running" -ge "$at_once" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  fuzz_one "$h" "$run" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
echo "fuzzed ${#harnesses[@]} harnesses, ${at_once} at a time"
exit $failed
