# Sourced by the run command and the end-to-end tests: a private X display, an exclusive Wine
# prefix inside the build tree (created once, then reused) and that prefix's own wineserver.
# Everything started here is ended by its process id or through its own prefix.

# Background processes started here (Xvfb, wineserver, Wine's own services) outlive the
# command that starts them; any pipe they inherit would keep whoever reads it waiting, so
# every inherited pipe but the standard ones is closed first.
for zolvik_fd in /proc/$$/fd/*; do
    zolvik_fd=${zolvik_fd##*/}
    if [ "$zolvik_fd" -gt 2 ] && [[ "$(readlink "/proc/$$/fd/$zolvik_fd" 2>/dev/null)" == pipe:* ]]; then
        eval "exec $zolvik_fd>&-"
    fi
done
unset zolvik_fd

ZOLVIK_WINE=/usr/lib/wine/wine64
ZOLVIK_WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
# No Mono or Gecko installers, and no menu entries or file associations in the home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Takes the first prefix slot under $1 that no other run holds. A background process keeps
# the slot's lock for as long as this run lasts; its id goes to ZOLVIK_HOLDER_PID.
zolvik_claim_prefix() {
    local root=$1 slot claim
    mkdir -p "$root/tmp"
    export XDG_CACHE_HOME="$root/cache"
    # The wineserver's socket directory goes to TMPDIR; keep it in the build tree unless the
    # path would pass the length a Unix socket path may have.
    if [ ${#root} -le 60 ]; then
        export TMPDIR="$root/tmp"
    fi
    for slot in 1 2 3 4 5 6 7 8; do
        claim="$root/prefix-$slot.claim.$$"
        rm -f "$claim"
        (flock -n 9 || exit 1; echo ok >"$claim"; exec sleep 1000000) \
            9>"$root/prefix-$slot.lock" </dev/null >/dev/null 2>&1 &
        ZOLVIK_HOLDER_PID=$!
        while kill -0 "$ZOLVIK_HOLDER_PID" 2>/dev/null && [ ! -s "$claim" ]; do sleep 0.05; done
        if [ -s "$claim" ]; then
            rm -f "$claim"
            export WINEPREFIX="$root/prefix-$slot"
            return 0
        fi
        rm -f "$claim"
    done
    echo "every Wine prefix slot under $root is in use" >&2
    return 1
}

# Starts Xvfb on a free display number, with a screen of $2 (default 1600x1200); sets
# DISPLAY and ZOLVIK_XVFB_PID.
zolvik_start_xvfb() {
    local display_file=$1 screen=${2:-1600x1200}
    : >"$display_file"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$display_file" \
        </dev/null >/dev/null 2>&1 &
    ZOLVIK_XVFB_PID=$!
    local i
    for i in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    [ -s "$display_file" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
}

# Creates the claimed prefix once and starts its wineserver, which stays until ended.
zolvik_start_wine() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating the Wine prefix $WINEPREFIX (once)"
        "$ZOLVIK_WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
        "$ZOLVIK_WINESERVER" -w
    fi
    "$ZOLVIK_WINESERVER" -p </dev/null >/dev/null 2>&1
    # Boots the session's services (explorer, services, rpcss ...) with no output attached:
    # they inherit the output of whichever Wine process starts them first.
    "$ZOLVIK_WINE" wineboot </dev/null >/dev/null 2>&1 || true
}

# For a measuring script: a private Xvfb with a screen of $2, this prefix's Wine, and the
# Zolvik.exe of build folder $3 running with its window shown; its id goes to zolvik_pid.
zolvik_start_program() {
    zolvik_start_xvfb "$1" "$2" || return 1
    zolvik_start_wine
    (cd "$3" && exec "$ZOLVIK_WINE" Zolvik.exe </dev/null >/dev/null 2>&1) &
    zolvik_pid=$!
    (cd "$3" && "$ZOLVIK_WINE" zolvik_probe.exe wait </dev/null >/dev/null)
}

zolvik_stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && "$ZOLVIK_WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "${ZOLVIK_XVFB_PID:-}" ] && kill "$ZOLVIK_XVFB_PID" 2>/dev/null || true
    [ -n "${ZOLVIK_HOLDER_PID:-}" ] && kill "$ZOLVIK_HOLDER_PID" 2>/dev/null || true
}

# Waits up to $2 seconds for process $1 to end.
zolvik_wait_gone() {
    local i
    for i in $(seq $(($2 * 10))); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# For a script that runs Zolvik itself: claims a prefix under $1 and, when the script exits,
# ends the Zolvik whose id it left in zolvik_pid and everything this session started.
zolvik_session() {
    zolvik_pid=""
    trap zolvik_end_session EXIT
    zolvik_claim_prefix "$1"
}

zolvik_end_session() {
    [ -n "${zolvik_pid:-}" ] && kill "$zolvik_pid" 2>/dev/null
    zolvik_stop_wine
}

# For a script that records runs on Wine: the programs built in $1/build/windows-release (in
# `build`), a claimed prefix, Zolvik running on a private 1600 x 1200 Xvfb, and a `throttle`
# that the session's end stops too.
zolvik_recording_session() {
    build="$1/build/windows-release"
    [ -x "$build/zolvik-report.exe" ] || { echo "build the windows-release preset first" >&2; exit 1; }
    zolvik_session "$1/build/wine"
    throttle=""
    trap '[ -n "$throttle" ] && kill "$throttle" 2>/dev/null; zolvik_end_session' EXIT
    zolvik_start_program "$1/build/wine/record-display" 1600x1200 "$build"
    sleep 5
}
