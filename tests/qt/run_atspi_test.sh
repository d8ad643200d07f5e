#!/bin/sh
# The real dialog read through the desktop's accessibility bus (AT-SPI), as a screen reader
# reads it: under Xvfb, with a private session bus. Usage: run_atspi_test.sh KELVANE
# Exit 77 (skipped) only where the bus cannot start.
set -u
kelvane=$1
here=$(dirname "$0")
for tool in xvfb-run dbus-run-session xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is missing: scripts/install-deps.sh installs it"; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || {
  echo "python3-pyatspi is missing: scripts/install-deps.sh installs it"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime xvfb-run -a -s "-screen 0 1280x1024x24" \
  dbus-run-session -- /usr/bin/python3 "$here/atspi_dialog_test.py" "$kelvane" "$work"
