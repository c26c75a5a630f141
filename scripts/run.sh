#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Leafwright and starts it. A PDF or .lfw path given as
# the argument is opened (relative to the folder run.sh was started from).
# Without a display the program says so and how to run it under xvfb-run, and exits non-zero.
set -euo pipefail
args=()
for a in "$@"; do
  case "$a" in
    /*|-*) args+=("$a") ;;
    *) args+=("$PWD/$a") ;;
  esac
done
cd "$(dirname "$0")/.."
if [ "${LEAFWRIGHT_SKIP_DEPS:-0}" != 1 ]; then bash scripts/install-deps.sh; fi
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec "$PWD/build/app/Leafwright" "${args[@]}"
