#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent: when all are present it only
# checks and returns at once.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  libudev-dev libpulse-dev pulseaudio pulseaudio-utils
  libx11-dev libxi-dev libxtst-dev xvfb xdotool x11-utils desktop-file-utils
  libglib2.0-dev gsettings-desktop-schemas
  umockdev libumockdev-dev gir1.2-umockdev-1.0
  udev util-linux
  fonts-urw-base35 fonts-open-sans fonts-wqy-microhei
  clang-format-14
)

# `setup.sh --fuzz` adds the compiler of the fuzz targets (scripts/fuzz.sh); the normal build
# and the replay of the fuzz corpora (ctest) need only gcc.
if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
