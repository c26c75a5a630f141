#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Leafwright and runs every test.
#  1. the sanitizer build (clang, AddressSanitizer + UndefinedBehaviorSanitizer): tests, then each
#     fuzz harness for a bounded time;
#  2. the normal build: SWF movies checked in a real player, then the tests (CTest's summary ends
#     the output).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${LEAFWRIGHT_SKIP_DEPS:-0}" != 1 ]; then bash scripts/install-deps.sh; fi
jobs=$(nproc)
# Each harness runs 10 s, those over the readers of documents, pastes and PDFs 60 s: about
# 13 x 60 s + 19 x 10 s, some 16 minutes of the run (the rest of the run takes 10-15).
fuzz_secs="${LEAFWRIGHT_FUZZ_SECONDS:-10}"
reader_fuzz_secs="${LEAFWRIGHT_READER_FUZZ_SECONDS:-60}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
CC=clang CXX=clang++ bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DLEAFWRIGHT_ASAN=ON -DLEAFWRIGHT_FUZZ=ON
ctest --test-dir build-asan --output-on-failure -j"$jobs"
bash scripts/run-fuzzers.sh build-asan "$fuzz_secs" "$reader_fuzz_secs"

bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# SWF movies written by our writer, played in a real Flash runtime (Ruffle in headless Chromium).
bash scripts/swf-check/run.sh build
ctest --test-dir build --output-on-failure -j"$jobs"
