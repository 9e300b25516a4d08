#!/usr/bin/env bash
# Installs what is missing from Debian's packages, then builds Tallyforge in Release.
# Usage: scripts/setup.sh   (the build goes to ./build)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils cups cups-client cups-bsd cups-ipp-utils libcups2-dev util-linux
  libpq-dev postgresql
  libzint-dev zxing-cpp-tools libqpdf-dev qpdf qt6-pdf-dev
  xvfb xauth x11-utils xdotool imagemagick
  fonts-dejavu-core fonts-liberation
  librsvg2-bin desktop-file-utils appstream dpkg-dev file groff-base python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then
    as_root=()
  elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    echo "These packages are missing and installing them needs root. Run as root:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
