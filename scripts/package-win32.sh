#!/usr/bin/env bash
# Builds the Windows programs (preset win32) and packs them with a readme and the
# licence into build/win32/packages/Kelvane-<version>-win32.zip.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset win32 >/dev/null
# The dialog test's driver too: the package checks open the zip's dialog with it.
cmake --build --preset win32 --target Kelvane kelvane-cli win32_dialog_e2e
rm -f build/win32/packages/Kelvane-*-win32.zip
(cd build/win32 && cpack -G ZIP)
ls build/win32/packages/Kelvane-*-win32.zip
