#!/usr/bin/env bash
# Starts a dialog program, waits for its window to appear on the X display, closes it
# with Escape as a user would, and expects the program to end with the given status.
#   dialog_starts.sh RUNNER PROGRAM WINDOW_TITLE STATUS   (RUNNER "" for a native program)
# Needs DISPLAY (xvfb-run) and xdotool.
set -uo pipefail
runner=$1 program=$2 title=$3 expected=$4

said=$(mktemp)
trap 'rm -f "$said"' EXIT
# What the program says is shown when it does not behave.
if [ -n "$runner" ]; then "$runner" "$program" >"$said" 2>&1 & else "$program" >"$said" 2>&1 & fi
pid=$!
window=""
# The first start of a Wine prefix takes a while; later ones take a second or two.
for _ in $(seq 1 240); do
    window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.25
done
if [ -z "$window" ]; then
    echo "the window '$title' did not appear; the program said:"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    cat "$said"
    exit 1
fi
echo "the window '$title' appeared after ${SECONDS}s"
status=""
for _ in $(seq 1 40); do
    xdotool windowfocus --sync "$window" key Escape 2>/dev/null
    for _ in 1 2 3 4; do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            status=$?
            break 2
        fi
        sleep 0.25
    done
done
if [ -z "$status" ]; then
    echo "the window did not close on Escape; the program said:"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    cat "$said"
    exit 1
fi
echo "closed on Escape after ${SECONDS}s, exit status $status"
[ "$status" -eq "$expected" ] || { echo "expected exit status $expected; the program said:"; cat "$said"; exit 1; }
