#!/usr/bin/env bash
# Installs what is missing, builds and starts Quillo.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
exec "${QUILLO_BUILD_DIR:-$top/build}/bin/quillo" "$@"
