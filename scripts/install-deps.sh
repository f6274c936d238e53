#!/usr/bin/env bash
# Installs the Debian packages Quillo builds, runs and tests with. Does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache lld file desktop-file-utils appstream
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-scxml-dev qt6-multimedia-dev qt6-svg-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n qt6-image-formats-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  libxvidcore-dev libasound2-dev libv4l-dev libudev-dev libpulse-dev libx11-dev libxfixes-dev libxcb-shm0-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  fonts-crosextra-carlito
  xvfb xauth ffmpeg pulseaudio pulseaudio-utils trayer dbus-daemon valgrind
  clang clang-format libclang-rt-dev llvm
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run this script as root to install them." >&2
  exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
