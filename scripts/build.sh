#!/usr/bin/env bash
# Configures and builds Quillo into build/ (or $QUILLO_BUILD_DIR); arguments go to the configure step
# (-DQUILLO_SANITIZE=ON, ...).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLO_BUILD_DIR:-$top/build}
launcher=()
if command -v ccache >/dev/null; then
  # Paths below the source root are hashed relative to the build folder, and the folder itself is left out of
  # the hash, so a clean clone at any path is served from the cache an earlier clone filled on this machine.
  export CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=true
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
