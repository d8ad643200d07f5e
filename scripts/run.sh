#!/usr/bin/env bash
# Installs what is missing, builds the Linux programs and runs Kelvane: the dialog when
# a display is present, otherwise the command-line report.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/linux/app/kelvane ]; then
  exec build/linux/app/kelvane "$@"
fi
exec build/linux/app/kelvane-cli info "$@"
