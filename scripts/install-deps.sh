#!/usr/bin/env bash
# Installs what building and testing Kelvane needs on Debian/Ubuntu; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3 python3-jsonschema
  googletest
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 xvfb xauth x11-utils xdotool imagemagick
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  fonts-dejavu-core
  clang libclang-rt-14-dev clang-tidy cppcheck
  dpkg-dev lintian desktop-file-utils appstream man-db unzip zsh
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
