#!/usr/bin/env bash
# Configures and builds one build tree. Usage: scripts/build.sh <build-dir> [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"; shift
export CCACHE_BASEDIR="$PWD"
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
gen=()
if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
cmake -S . -B "$dir" "${gen[@]}" "$@"
cmake --build "$dir" -j"${LW_JOBS:-$(nproc)}"
