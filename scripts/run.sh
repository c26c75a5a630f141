#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Leafwright and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${LEAFWRIGHT_SKIP_DEPS:-0}" != 1 ]; then bash scripts/install-deps.sh; fi
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ -x build/app/Leafwright ]; then
  exec build/app/Leafwright "$@"
fi
echo "Everything is built, but the Leafwright program itself is not part of the build yet:"
echo "so far only its libraries and their tests exist (see README.md)."
