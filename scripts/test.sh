#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Leafwright once and runs every test in that one tree:
# build-asan/, clang with AddressSanitizer + UndefinedBehaviorSanitizer (LeakSanitizer on) at -O1
# with debug info, the libFuzzer harnesses included. Stages: packages, build, the SWF movies
# checked in a real player, each fuzz harness for a bounded time, then the tests (CTest's summary,
# then how long each stage took, end the output). Sized for a 2-core machine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# Seconds per fuzz harness; those over the readers of untrusted input (documents, PDFs, pastes,
# fonts, pictures, clips: scripts/run-fuzzers.sh lists them) get the longer share. Harnesses run
# side by side, one per core: 18 x 30 s + 16 x 8 s of fuzzing, under 6 minutes on 2 cores.
fuzz_secs="${LEAFWRIGHT_FUZZ_SECONDS:-8}"
reader_fuzz_secs="${LEAFWRIGHT_READER_FUZZ_SECONDS:-30}"
tree=build-asan

stages=()
started=$SECONDS
stage_from=$SECONDS
stage_done() {
  stages+=("$(printf '%-12s %5d s' "$1" $((SECONDS - stage_from)))")
  echo "== stage $1 took $((SECONDS - stage_from)) s"
  stage_from=$SECONDS
}
report() {
  echo "== stage times (total $((SECONDS - started)) s):"
  for s in "${stages[@]}"; do echo "   $s"; done
}
trap report EXIT

if [ "${LEAFWRIGHT_SKIP_DEPS:-0}" != 1 ]; then bash scripts/install-deps.sh; fi
stage_done install

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The code under test at -O1 (the sanitizers' usual setting: their reports stay exact and the
# tests run several times faster than at -O0), the tests' own code built quickly (see
# leafwright_test_build_options); NDEBUG stays off so asserts still check. lld links the many
# test programs fastest.
link=()
if command -v ld.lld >/dev/null 2>&1; then
  link=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld
        -DCMAKE_MODULE_LINKER_FLAGS=-fuse-ld=lld)
fi
CC=clang CXX=clang++ bash scripts/build.sh "$tree" -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_C_FLAGS_DEBUG=-O1 -g" "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g" "${link[@]}" \
  -DLEAFWRIGHT_ASAN=ON -DLEAFWRIGHT_FUZZ=ON -DLEAFWRIGHT_TEST_PROGRAMS=ON
stage_done build

# SWF movies written by our writer, played in a real Flash runtime (Ruffle in headless Chromium).
bash scripts/swf-check/run.sh "$tree"
stage_done swf-check

bash scripts/run-fuzzers.sh "$tree" "$fuzz_secs" "$reader_fuzz_secs" "$jobs"
stage_done fuzzing

# Each test program runs all its cases in one process (a sanitizer build's start-up is paid once
# per program) and notes them in test-results/; one more test than cores, as window tests spend
# part of their time waiting for the screen.
rm -rf "$tree/test-results"
export GTEST_OUTPUT="xml:$PWD/$tree/test-results/"
ctest --test-dir "$tree" --output-on-failure -j"$((jobs + 1))"
echo "$(cat "$tree"/test-results/*.xml | grep -c '<testcase ') GoogleTest cases ran in" \
     "$(ls "$tree"/test-results/*.xml | wc -l) test programs"
stage_done tests
