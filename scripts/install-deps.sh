#!/usr/bin/env bash
# Installs the Debian 12 packages Tessara needs to build, run and test, and only those
# that are missing.
set -euo pipefail

packages=(
    build-essential cmake lld
    qt6-base-dev qt6-image-formats-plugins libgl-dev fonts-dejavu-core
    libgtest-dev zlib1g-dev libpoppler-qt6-dev
    libfftw3-dev pkg-config
    libopencv-core-dev libopencv-imgproc-dev libopencv-calib3d-dev
    xvfb xauth xdotool imagemagick poppler-utils desktop-file-utils
    tiled
    dpkg-dev file appstream help2man man-db lintian
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
