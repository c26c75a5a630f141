#!/usr/bin/env bash
# Runs every libFuzzer harness of a fuzz build for a bounded time each; the harnesses over the
# readers of documents, pastes and PDFs (the untrusted input a user opens) run longer.
# Usage: scripts/run-fuzzers.sh <build-dir> [seconds-per-harness] [seconds-per-reader-harness]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"
secs="${2:-20}"
reader_secs="${3:-$secs}"
readers=(app_lfwreader_fuzzer app_objlist_fuzzer app_clipobjs_fuzzer app_clipstream_fuzzer publication_pdfimport_fuzzer
  pagesieve_parse_fuzzer pagesieve_simple_subset_fuzzer publication_sections_fuzzer publication_textobj_fuzzer publication_video_section_fuzzer
  textengine_text_record_fuzz textengine_font_record_fuzz textengine_cmap_record_fuzz object_loader_fuzz
  imagefilters_dib_fuzzer)
shopt -s nullglob
harnesses=("$dir"/fuzzers/*)
if [ ${#harnesses[@]} -eq 0 ]; then
  echo "no fuzz harnesses built"
  exit 0
fi
failed=0
for r in "${readers[@]}"; do
  [ -x "$dir/fuzzers/$r" ] || echo "warning: reader harness $r is not built"
done
for h in "${harnesses[@]}"; do
  name=$(basename "$h")
  corpus="$dir/fuzz-corpus/$name"
  mkdir -p "$corpus"
  # Seeds kept beside the harness source, if any.
  for seeds in $(find . -path "./build*" -prune -o -type d -path "*/fuzz/seeds/$name" -print); do
    cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  done
  run="$secs"
  if [[ " ${readers[*]} " == *" $name "* ]]; then run="$reader_secs"; fi
  echo "== fuzzing $name for ${run}s"
  # The readers take inputs of any size up to 1 MiB under a memory budget: a file that makes a
  # reader allocate past it is a finding, as is one that makes it slow.
  if ! "$h" -max_total_time="$run" -timeout=10 -max_len=1048576 -rss_limit_mb=1536 -malloc_limit_mb=768 \
       -print_final_stats=0 \
       -artifact_prefix="$dir/fuzz-corpus/$name-" "$corpus" > "$dir/fuzz-corpus/$name.log" 2>&1; then
    echo "FUZZ FAILURE in $name:"; tail -n 60 "$dir/fuzz-corpus/$name.log"
    failed=1
  fi
done
exit $failed
