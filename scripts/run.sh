#!/usr/bin/env bash
# Installs what is missing, builds and starts Quillo.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
# Without a camera attached the built-in virtual document camera and web cam show live test pictures instead.
if ! compgen -G "/dev/video*" >/dev/null; then
  export QUILLO_VIRTUAL_CAMERA="${QUILLO_VIRTUAL_CAMERA:-1}"
  export QUILLO_VIRTUAL_WEBCAM="${QUILLO_VIRTUAL_WEBCAM:-1}"
fi
exec "${QUILLO_BUILD_DIR:-$top/build}/bin/quillo" "$@"
