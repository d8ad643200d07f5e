#!/bin/sh
# run_win32_dialog_e2e.sh WINE_RUN DRIVER KELVANE_EXE SCREENSHOT_DIR
# Needs an X display (the test command runs the Windows tests under Xvfb); skips without.
wine_run=$1 driver=$2 exe=$3 shots=$4
for file in "$driver" "$exe"; do
  # Wine's explorer would keep an empty desktop open for ever on a program it cannot start.
  [ -f "$file" ] || { echo "FAIL: $file is not built"; exit 1; }
done
"$wine_run" --check || exit $?
if [ -z "$DISPLAY" ]; then
  echo "SKIP: no X display; run the Windows tests under xvfb-run"
  exit 77
fi
mkdir -p "$shots"
markers=$(mktemp -d)
trap 'rm -rf "$markers"' EXIT
win_markers=$("$wine_run" winepath -w "$markers" 2>/dev/null | tr -d '\r')
win_exe=$("$wine_run" winepath -w "$exe" 2>/dev/null | tr -d '\r')
win_driver=$("$wine_run" winepath -w "$driver" 2>/dev/null | tr -d '\r')

# In a Wine virtual desktop, which draws the window frame (caption, icon, system menu)
# that a bare X server without a window manager leaves out. explorer does not pass the
# driver's exit status on: its last line tells.
"$wine_run" explorer /desktop=kelvane-e2e,1280x1024 "$win_driver" "$win_exe" "$win_markers" \
  >"$markers/out.txt" 2>&1 &
driver_pid=$!
# The driver ends itself on every path it knows; this ends a Wine that hangs.
(
  for _ in $(seq 1 600); do
    sleep 0.5
    kill -0 "$driver_pid" 2>/dev/null || exit 0
  done
  echo "FAIL: the driver ran for 300 s" >>"$markers/out.txt"
  kill "$driver_pid"
) >/dev/null 2>&1 &
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
cat "$markers/out.txt"
tail -n 1 "$markers/out.txt" | grep -q '^dialog checks passed'

