#!/usr/bin/env bash
# Builds the release Zolvik.exe and runs it under Wine.
#   scripts/run.sh [--samples N] [SCREENSHOT]
#   With --samples N, zolvik-report takes N single-pass samples from the window (CSV in
#   build/run/samples.csv) and prints their summary, on either display.
#   With DISPLAY set: shows the window there and returns the program's exit code once you
#   close it.
#   Without a display: runs it on a private Xvfb for a few passes, saves a screenshot of the
#   window (to SCREENSHOT, build/run/screenshot.png by default), then closes the program with
#   Escape and prints its exit code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/setup.sh
zolvik_setup
zolvik_build windows-release
exe="$root/build/windows-release/Zolvik.exe"
samples=0
if [ "${1:-}" = "--samples" ]; then
    samples=${2:?--samples takes a number}
    shift 2
fi
screenshot=$(realpath -m "${1:-build/run/screenshot.png}")
mkdir -p build/run "$(dirname "$screenshot")"

source scripts/wine.sh
zolvik_session "$root/build/wine"

# N single passes from the running window, and their summary.
take_samples() {
    [ "$samples" -gt 0 ] || return 0
    rm -f build/run/samples.csv # this script's own output of the last time
    (cd build/run && "$ZOLVIK_WINE" "$root/build/windows-release/zolvik-report.exe" \
        --samples "$samples" --csv samples.csv ${ZOLVIK_RUN_TRACE:+--trace "$ZOLVIK_RUN_TRACE"} </dev/null 2>&1 | tr -d '\r' | grep -v -E '^(sample|reset:) ')
    echo "samples: $root/build/run/samples.csv"
}

if [ -n "${DISPLAY:-}" ]; then
    zolvik_start_wine
    set +e
    "$ZOLVIK_WINE" "$exe" &
    zolvik_pid=$!
    timeout 60 xdotool search --sync --name 'RADEON drivers 2D bug' >/dev/null
    take_samples
    wait "$zolvik_pid"
    code=$?
    zolvik_pid=""
    echo "exit code: $code"
    exit "$code"
fi

zolvik_start_xvfb "$root/build/run/display"
zolvik_start_wine
"$ZOLVIK_WINE" "$exe" </dev/null >build/run/zolvik.log 2>&1 &
zolvik_pid=$!
window=$(timeout 60 xdotool search --sync --name 'RADEON drivers 2D bug' | head -n 1)
sleep 3 # the first pass on paint, then about five on the timer
import -window "$window" "$screenshot"
echo "screenshot: $screenshot"
take_samples
# No window manager on Xvfb: the keyboard focus follows the pointer.
xdotool mousemove --window "$window" 300 300
sleep 0.2
xdotool key Escape
set +e
zolvik_wait_gone "$zolvik_pid" 15
wait "$zolvik_pid"
code=$?
zolvik_pid=""
echo "exit code: $code"
exit "$code"
