#!/bin/sh
# without_display.sh KELVANE VERSION
kelvane=$1 version=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failures=0
expect_no_display() {
    out=$("$@" 2>&1)
    status=$?
    if [ "$status" -ne 1 ] || [ "$out" != "kelvane: no display: run kelvane-cli for the report" ]; then
        echo "FAIL: $*: status $status, said: $out"
        failures=$((failures + 1))
    fi
}
expect_no_display "$kelvane"
expect_no_display "$kelvane" 500
# An X display nobody serves: the toolkit gives up, the program says why in one line.
expect_no_display env DISPLAY=:1999 "$kelvane"
"$kelvane" --help | grep -q '^Usage: kelvane' || { echo "FAIL: --help"; failures=$((failures + 1)); }
[ "$(DISPLAY=:1999 "$kelvane" --version)" = "kelvane $version" ] ||
    { echo "FAIL: --version"; failures=$((failures + 1)); }
# Without XDG_RUNTIME_DIR the toolkit's runtime folder is the program's own, and goes.
scratch=$(mktemp -d)
env -u XDG_RUNTIME_DIR TMPDIR="$scratch" QT_QPA_PLATFORM=offscreen "$kelvane" --measure-startup >/dev/null 2>&1
if [ -n "$(ls -A "$scratch")" ]; then
    echo "FAIL: left behind in TMPDIR: $(ls -A "$scratch")"
    failures=$((failures + 1))
fi
rm -rf "$scratch"
[ "$failures" -eq 0 ] && echo "without a display: all passed"
