#!/bin/sh
# run_win32_dialog_fit_at_dpi.sh WINE_RUN DRIVER DPI
# Runs the fit test with the Wine prefix's screen at DPI, then puts 96 back. The dpi is
# read when the Wine server starts, so the server is restarted around the run.
wine_run=$1 driver=$2 dpi=$3
"$wine_run" --check || exit $?
if [ -z "$DISPLAY" ]; then
  echo "SKIP: no X display; run the Windows tests under xvfb-run"
  exit 77
fi
set_dpi() {
  "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$wine_run" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$wine_run" --start
}
set_dpi "$dpi"
"$wine_run" "$driver"
status=$?
set_dpi 96
exit $status
