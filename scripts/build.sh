#!/usr/bin/env bash
# Configures and builds Quillo into build/ (or $QUILLO_BUILD_DIR); arguments go to the configure step
# (-DQUILLO_SANITIZE=ON, ...).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLO_BUILD_DIR:-$top/build}
source "$top/scripts/build-tools.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" "${quillo_configure[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
