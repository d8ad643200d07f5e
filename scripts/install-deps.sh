#!/usr/bin/env bash
# Installs what Kelvane needs on Debian/Ubuntu; safe to run again.
#   install-deps.sh run    what building and running the Linux programs needs: the
#                          compiler, CMake, Ninja, Qt 6 Widgets and a font
#   install-deps.sh test   (the default) that, and everything the tests need: GoogleTest,
#                          both MinGW-w64 toolchains, Wine with the i386 architecture,
#                          Xvfb, AT-SPI, clang and the static analysers, the packaging
#                          tools, and the de_DE and ru_RU locales
# The test list extends the run list, so what runs is always what is tested.
set -euo pipefail

purpose=${1:-test}
run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  fonts-dejavu-core
)
test_packages=(
  git python3 python3-jsonschema
  googletest
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 xvfb xauth x11-utils xdotool imagemagick
  locales
  python3-pyatspi at-spi2-core dbus
  clang libclang-rt-14-dev clang-tidy cppcheck
  dpkg-dev debhelper devscripts lintian desktop-file-utils appstream man-db unzip zsh tmux
)
case $purpose in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: install-deps.sh [run|test]" >&2
    exit 2
    ;;
esac

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ "$purpose" = test ] || exit 0

# The tests also run with a decimal comma and with Cyrillic month names.
locales=(de_DE.UTF-8 ru_RU.UTF-8)
generate=0
for l in "${locales[@]}"; do
  # locale -a spells them de_DE.utf8
  if ! locale -a 2>/dev/null | grep -qix "${l%.UTF-8}.utf8"; then
    "${sudo_cmd[@]}" sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
    grep -qx "${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    generate=1
  fi
done
if [ "$generate" -eq 1 ]; then
  "${sudo_cmd[@]}" locale-gen
fi
