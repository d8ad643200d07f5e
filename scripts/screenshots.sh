#!/usr/bin/env bash
# Takes the README's pictures of both dialogs after Run All Tests, under Xvfb:
#   docs/kelvane-linux.png    the Qt dialog (build/linux, or build/run)
#   docs/kelvane-windows.png  the Windows dialog under Wine (build/win32, else build/win64)
# Build first (bash scripts/test.sh, or the presets alone). Needs xvfb-run, xdotool and
# imagemagick (the test dependencies). The test duration is 500 ms, so a run takes ~20 s.
# KELVANE_LINUX_BUILD and KELVANE_WINDOWS_BUILD name other build folders.
set -euo pipefail
cd "$(dirname "$0")/.."

shrink() {  # the picture, without what is around the window, small enough to keep
    convert "$1" -trim +repage -strip -colors 128 -define png:compression-level=9 "$2"
    echo "$2: $(identify -format '%wx%h' "$2"), $(($(stat -c %s "$2") / 1024)) KiB"
}

qt=""
for candidate in ${KELVANE_LINUX_BUILD:+$KELVANE_LINUX_BUILD/app/kelvane} build/linux/app/kelvane build/run/app/kelvane; do
    [ -x "$candidate" ] && qt=$candidate && break
done
if [ -n "$qt" ]; then
    shot=$(mktemp --suffix=.png)
    # Alt+A presses "Run All Tests" as a user would. The benchmarks keep the program
    # busy; once it has used no processor time for 3 s, the last one has ended.
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        set -euo pipefail
        busy() { awk "{print \$14 + \$15}" "/proc/$1/stat"; }
        "$1" 500 & pid=$!
        window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Kelvane ")
        sleep 1
        xdotool windowfocus --sync "$window" key alt+a
        sleep 3
        last=-1 idle=0
        for _ in $(seq 1 180); do
            now=$(busy "$pid")
            if [ "$now" = "$last" ]; then idle=$((idle + 1)); else idle=0; fi
            [ "$idle" -ge 6 ] && break
            last=$now
            sleep 0.5
        done
        import -window "$window" "$2"
        kill "$pid"' _ "$qt" "$shot"
    shrink "$shot" docs/kelvane-linux.png
    rm -f "$shot"
else
    echo "no Linux build: skipped the Qt dialog" >&2
fi

win=""
for build in ${KELVANE_WINDOWS_BUILD:-} build/win32 build/win64; do
    if [ -x "$build/app/Kelvane.exe" ] && [ -f "$build/tests/e2e/win32_dialog_e2e.exe" ] &&
        "$build/wine-run.sh" --check >/dev/null 2>&1; then
        win=$build
        break
    fi
done
if [ -n "$win" ]; then
    shots=$(mktemp -d)
    # The dialog test presses Run All, checks every result and pauses for the picture.
    xvfb-run -a -s "-screen 0 1280x1024x24" sh tests/e2e/run_win32_dialog_e2e.sh \
        "$win/wine-run.sh" "$win/tests/e2e/win32_dialog_e2e.exe" "$win/app/Kelvane.exe" "$shots" >/dev/null
    shrink "$shots/win32-dialog.png" docs/kelvane-windows.png
    rm -rf "$shots"
else
    echo "no Windows build that Wine runs here: skipped the Windows dialog" >&2
fi
