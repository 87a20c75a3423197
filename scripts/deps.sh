#!/usr/bin/env bash
# Installs the Debian packages that building and testing need. Idempotent:
# does nothing when they are all there.
set -euo pipefail

packages=(
  # native build and tests
  g++ cmake make ninja-build googletest libgtest-dev pkg-config
  # independent readers used by the tests
  python3 python3-mutagen libtag1-dev libimage-exiftool-perl
  # sample and benchmark audio
  lame ffmpeg
  # Windows cross build and its tests under Wine
  g++-mingw-w64-x86-64-posix wine wine64 fonts-wine fonts-liberation fonts-wqy-microhei
  libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxcomposite1 libxinerama1
  xvfb xauth xdotool x11-utils xclip imagemagick locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
