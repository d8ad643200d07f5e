#!/usr/bin/env bash
# Builds the Windows programs (preset win32) and packs them with a readme and the
# licence into build/win32/packages/Kelvane-<version>-win32.zip.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Kelvane kelvane-cli
rm -f build/win32/packages/Kelvane-*-win32.zip
(cd build/win32 && cpack -G ZIP)
ls build/win32/packages/Kelvane-*-win32.zip
