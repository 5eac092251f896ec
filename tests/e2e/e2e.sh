#!/usr/bin/env bash
# Drives the end-to-end tests of the real Zolvik.exe on Wine, one CTest test per call:
#   e2e.sh BUILD_DIR setup     private Xvfb, a claimed prefix, its wineserver, a Zolvik
#   e2e.sh BUILD_DIR CASE      the case of that name (the CTest test's name without "e2e_"),
#                              defined in one of the *_cases.sh files, one file a feature
#   e2e.sh BUILD_DIR cleanup   ends everything setup started
set -uo pipefail
build=$(cd "$1" && pwd)
command=$2
state="$build/e2e"
here=$(dirname "$0")
source "$here/../../scripts/wine.sh"
source "$here/helpers.sh"
for cases in "$here"/*_cases.sh; do
    source "$cases"
done

case "$command" in
setup)
    mkdir -p "$state"
    zolvik_claim_prefix "$(dirname "$build")/wine" || exit 1
    # A screen large enough for a drawing area whose passes take over a second.
    zolvik_start_xvfb "$state/display" 16000x10000 || { zolvik_stop_wine; exit 1; }
    zolvik_start_wine
    cat >"$state/session.env" <<ENV
export DISPLAY='$DISPLAY' WINEPREFIX='$WINEPREFIX' XDG_CACHE_HOME='$XDG_CACHE_HOME' TMPDIR='${TMPDIR:-/tmp}'
ZOLVIK_XVFB_PID=$ZOLVIK_XVFB_PID ZOLVIK_HOLDER_PID=$ZOLVIK_HOLDER_PID
ENV
    echo "display $DISPLAY, prefix $WINEPREFIX"
    start_zolvik
    exit
    ;;
*)
    # Every step but the first works in the session that setup started.
    [ -f "$state/session.env" ] || { echo "no e2e session: run setup first" >&2; exit 1; }
    source "$state/session.env"
    ;;
esac

case "$command" in
cleanup)
    zolvik_alive && kill "$(cat "$state/zolvik.pid")"
    zolvik_stop_wine
    rm -f "$state/session.env"
    ;;
report_without_window | report_undecodable_readout)
    zolvik_alive && { probe close >/dev/null; wait_exit_code >/dev/null; }
    ;;
*)
    declare -F "$command" >/dev/null || { echo "unknown case $command" >&2; exit 2; }
    clear_leftovers
    zolvik_alive || start_zolvik
    probe desktop standard >/dev/null || { echo "Zolvik could not be put back as it starts"; exit 1; }
    trap put_back EXIT
    ;;
esac
[ "$command" = cleanup ] || "$command"
