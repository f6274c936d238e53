#!/usr/bin/env bash
# Runs the program's calls of one online service with a real account and prints what each answered. It
# needs client ids: configure the build with them (see README, "Online services") or set them in
# Settings.ini as upload/<service>/<key>. Never part of the test suite: it publishes (and removes) real
# copies, and the sign-in asks for the account owner's permission in a browser.
#
#   scripts/upload-smoke.sh <service> <account user name> [--video FILE] [--keep] [--wait SECONDS]
#
# service: youtube, picasa, facebook or dropboxOAuth. The account is the label the program would store (the
# Page's name or id for facebook).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLO_BUILD_DIR:-$top/build}
[ -f "$build/CMakeCache.txt" ] || cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target uploadSmoke -j"$(nproc)" >/dev/null
exec "$build/bin/uploadSmoke" "$@"
