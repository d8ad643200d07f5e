#!/usr/bin/env bash
# Builds the Linux programs (preset linux) and packs them with their manual pages,
# completion, desktop entry, icon and metadata into
# build/linux/packages/kelvane_<version>-1_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build --preset linux --target kelvane kelvane-cli kelvane_compressed_docs
rm -f build/linux/packages/kelvane_*.deb
(cd build/linux && cpack -G DEB)
ls build/linux/packages/kelvane_*.deb
