#!/usr/bin/env bash
# Drives the end-to-end tests of the real Zolvik.exe on Wine, one CTest test per call:
#   e2e.sh BUILD_DIR setup            private Xvfb, a claimed prefix, its wineserver, a Zolvik
#   e2e.sh BUILD_DIR check NAME       the probe's check NAME against the running Zolvik
#   e2e.sh BUILD_DIR exit-by ACTION   ends a Zolvik by escape (probe), xdotool or close; code 0?
#   e2e.sh BUILD_DIR cleanup          ends everything setup started
set -uo pipefail
build=$(cd "$1" && pwd)
command=$2
state="$build/e2e"
source "$(dirname "$0")/../../scripts/wine.sh"

probe() {
    (cd "$build" && "$ZOLVIK_WINE" zolvik_probe.exe "$@" </dev/null)
}

zolvik_alive() {
    [ -s "$state/zolvik.pid" ] && [ ! -e "$state/zolvik.exit" ] && kill -0 "$(cat "$state/zolvik.pid")" 2>/dev/null
}

# Starts Zolvik detached from this test's output; a waiter records its exit code.
start_zolvik() {
    rm -f "$state/zolvik.pid" "$state/zolvik.exit"
    setsid bash -c 'cd "$1" && "$2" Zolvik.exe & echo $! >"$3"; wait $!; echo $? >"$4"' \
        _ "$build" "$ZOLVIK_WINE" "$state/zolvik.pid" "$state/zolvik.exit" \
        </dev/null >"$state/zolvik.log" 2>&1 &
    probe wait
}

wait_exit_code() {
    local i
    for i in $(seq 150); do
        [ -s "$state/zolvik.exit" ] && { cat "$state/zolvik.exit"; return 0; }
        sleep 0.1
    done
    echo "timeout"
}

case "$command" in
setup)
    mkdir -p "$state"
    zolvik_claim_prefix "$(dirname "$build")/wine" || exit 1
    zolvik_start_xvfb "$state/display" || { zolvik_stop_wine; exit 1; }
    zolvik_start_wine
    cat >"$state/session.env" <<ENV
export DISPLAY='$DISPLAY' WINEPREFIX='$WINEPREFIX' XDG_CACHE_HOME='$XDG_CACHE_HOME'
ZOLVIK_XVFB_PID=$ZOLVIK_XVFB_PID ZOLVIK_HOLDER_PID=$ZOLVIK_HOLDER_PID
ENV
    echo "display $DISPLAY, prefix $WINEPREFIX"
    start_zolvik
    ;;
check)
    source "$state/session.env"
    probe "$3" 'Zolvik.exe'
    ;;
exit-by)
    source "$state/session.env"
    zolvik_alive || start_zolvik
    case "$3" in
    escape) probe escape ;;
    close) probe close ;;
    xdotool)
        window=$(xdotool search --name 'RADEON drivers 2D bug' | head -n 1)
        [ -n "$window" ] || { echo "no X window for Zolvik"; exit 1; }
        # No window manager: the keyboard focus follows the pointer.
        xdotool mousemove --window "$window" 300 300
        sleep 0.2
        xdotool key Escape
        ;;
    esac
    code=$(wait_exit_code)
    echo "exit code: $code"
    [ "$code" = 0 ]
    ;;
cleanup)
    [ -f "$state/session.env" ] && source "$state/session.env"
    zolvik_alive && kill "$(cat "$state/zolvik.pid")"
    zolvik_stop_wine
    rm -f "$state/session.env"
    ;;
*)
    echo "unknown command $command" >&2
    exit 2
    ;;
esac
