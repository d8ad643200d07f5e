#!/usr/bin/env bash
# Installs what building and running the Linux programs needs (nothing of the test
# tools), builds them without the tests and runs Kelvane: the dialog when a display is
# present, otherwise the command-line report. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh run
cmake --preset run >/dev/null
cmake --build --preset run

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/run/app/kelvane ]; then
  exec build/run/app/kelvane "$@"
fi
exec build/run/app/kelvane-cli info "$@"
