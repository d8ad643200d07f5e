#!/bin/sh
# run_win32_dialog_e2e.sh WINE_RUN DRIVER KELVANE_EXE SCREENSHOT_DIR
# Needs an X display (the test command runs the Windows tests under Xvfb); skips without.
wine_run=$1 driver=$2 exe=$3 shots=$4
if [ -z "$DISPLAY" ]; then
  echo "SKIP: no X display; run the Windows tests under xvfb-run"
  exit 77
fi
mkdir -p "$shots"
markers=$(mktemp -d)
trap 'rm -rf "$markers"' EXIT
win_markers=$("$wine_run" winepath -w "$markers" 2>/dev/null | tr -d '\r')
win_exe=$("$wine_run" winepath -w "$exe" 2>/dev/null | tr -d '\r')

"$wine_run" "$driver" "$win_exe" "$win_markers" &
driver_pid=$!
for _ in $(seq 1 400); do
  [ -e "$markers/ready" ] && break
  kill -0 "$driver_pid" 2>/dev/null || break
  sleep 0.05
done
if [ -e "$markers/ready" ]; then
  sleep 0.3
  if command -v import >/dev/null; then
    import -window root "$shots/win32-dialog.png" && echo "screenshot: $shots/win32-dialog.png"
  fi
  touch "$markers/shot"
fi
wait "$driver_pid"
