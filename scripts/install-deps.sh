#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, skipping what is there.
# Usage: scripts/install-deps.sh [native|all]   (default: all, which adds the
# Windows cross compilers, Wine and Xvfb)
set -euo pipefail
what=${1:-all}
packages=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev libpng-dev
          libjpeg62-turbo-dev libgif-dev zlib1g-dev python3)
if [ "$what" = all ]; then
  packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
             binutils-mingw-w64-i686 libz-mingw-w64-dev wine wine64 wine64-tools xvfb xauth)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
