#!/usr/bin/env bash
# Drives the end-to-end tests of the real Zolvik.exe on Wine, one CTest test per call:
#   e2e.sh BUILD_DIR setup            private Xvfb, a claimed prefix, its wineserver, a Zolvik
#   e2e.sh BUILD_DIR check NAME       the probe's check NAME against the running Zolvik
#   e2e.sh BUILD_DIR exit-by ACTION   ends a Zolvik by escape (probe), xdotool or close; code 0?
#   e2e.sh BUILD_DIR report...        zolvik-report against the program, an impostor or no window
#   e2e.sh BUILD_DIR cleanup          ends everything setup started
set -uo pipefail
build=$(cd "$1" && pwd)
command=$2
state="$build/e2e"
source "$(dirname "$0")/../../scripts/wine.sh"

probe() {
    (cd "$build" && "$ZOLVIK_WINE" zolvik_probe.exe "$@" </dev/null)
}

# A Windows console program's output, with its CR LF line ends made LF.
report() {
    (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe "$@" </dev/null 2>&1) | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

zolvik_alive() {
    [ -s "$state/zolvik.pid" ] && [ ! -e "$state/zolvik.exit" ] && kill -0 "$(cat "$state/zolvik.pid")" 2>/dev/null
}

# Starts Zolvik detached from this test's output; a waiter records its exit code.
start_zolvik() {
    rm -f "$state/zolvik.pid" "$state/zolvik.exit"
    setsid bash -c 'cd "$1" || exit; "$2" Zolvik.exe & echo $! >"$3"; wait $!; echo $? >"$4"' \
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

# Every step but the first works in the session that setup started.
if [ "$command" != setup ]; then
    [ -f "$state/session.env" ] || { echo "no e2e session: run setup first" >&2; exit 1; }
    source "$state/session.env"
fi

case "$command" in
setup)
    mkdir -p "$state"
    zolvik_claim_prefix "$(dirname "$build")/wine" || exit 1
    zolvik_start_xvfb "$state/display" || { zolvik_stop_wine; exit 1; }
    zolvik_start_wine
    cat >"$state/session.env" <<ENV
export DISPLAY='$DISPLAY' WINEPREFIX='$WINEPREFIX' XDG_CACHE_HOME='$XDG_CACHE_HOME' TMPDIR='${TMPDIR:-/tmp}'
ZOLVIK_XVFB_PID=$ZOLVIK_XVFB_PID ZOLVIK_HOLDER_PID=$ZOLVIK_HOLDER_PID
ENV
    echo "display $DISPLAY, prefix $WINEPREFIX"
    start_zolvik
    ;;
check)
    probe "$3" 'Zolvik.exe'
    ;;
exit-by)
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
soak)
    # Repaint requests from the probe on top of the timer, a reset every 300 passes; the
    # program's resources read before and after. ZOLVIK_SOAK_PASSES=10000 for the long soak.
    passes=${ZOLVIK_SOAK_PASSES:-2000}
    pid=$(cat "$state/zolvik.pid")
    linux_figures() {
        echo "$(awk '/^RssAnon/ {print $2}' "/proc/$pid/status") $(ls "/proc/$pid/fd" | wc -l) $(awk '/^Threads/ {print $2}' "/proc/$pid/status")"
    }
    probe soak 300 >/dev/null || exit 1 # warm-up
    read -r anon_start fds_start threads_start <<<"$(linux_figures)"
    probe soak "$passes" || exit 1
    read -r anon_end fds_end threads_end <<<"$(linux_figures)"
    echo "process (Linux side): private anonymous memory ${anon_start} kB -> ${anon_end} kB, file descriptors $fds_start -> $fds_end, threads $threads_start -> $threads_end"
    [ "$fds_end" -le "$fds_start" ] && [ "$threads_end" -le "$threads_start" ] &&
        [ "$anon_end" -le "$anon_start" ]
    ;;
report)
    # Ten samples from the running program; each shown mean must be the mean of the passes
    # recovered since the last reset.
    output=$(report --samples 10 --csv e2e/report.csv)
    code=$?
    echo "$output"
    [ "$code" = 0 ] || { echo "exit code $code"; exit 1; }
    [ "$(grep -c '^sample ' <<<"$output")" = 10 ] || { echo "not 10 samples"; exit 1; }
    [ "$(wc -l <"$state/report.csv")" = 11 ] || { echo "CSV is not a header and 10 rows"; exit 1; }
    grep -q '^reset: the readout shows 0.000000$' <<<"$output" || { echo "no zero seen"; exit 1; }
    awk '/^sample / {
            duration = $3; pass = $6; mean = $NF; sub(/\)/, "", mean)
            if (pass == 1) sum = 0
            sum += duration
            if ((sum / pass - mean) > 1e-5 || (mean - sum / pass) > 1e-5) { print "mismatch: " $0; bad = 1 }
            if (duration <= 0 || duration > 1000) { print "implausible: " $0; bad = 1 }
         }
         END { exit bad }' <<<"$output"
    ;;
report-closed)
    zolvik_alive || start_zolvik
    rm -f "$state/closed.code" "$state/closed.out" "$state/closed.csv"
    (report --samples 1000 --csv e2e/closed.csv >"$state/closed.out"; echo $? >"$state/closed.code") &
    sleep 3
    probe close
    for i in $(seq 100); do [ -s "$state/closed.code" ] && break; sleep 0.1; done
    cat "$state/closed.out"
    rows=$(($(wc -l <"$state/closed.csv") - 1))
    echo "exit code $(cat "$state/closed.code"), $rows rows kept"
    [ "$(cat "$state/closed.code")" = 3 ] && [ "$rows" -ge 2 ] &&
        grep -q 'the Zolvik window closed during the run' "$state/closed.out" &&
        grep -q "^single-pass durations: $rows samples" "$state/closed.out"
    ;;
report-no-window)
    output=$(report --samples 3)
    code=$?
    echo "$output (exit code $code)"
    [ "$code" = 2 ] && grep -q 'no Zolvik window is open' <<<"$output"
    ;;
report-undecodable)
    (cd "$build" && "$ZOLVIK_WINE" zolvik_probe.exe impostor </dev/null >/dev/null 2>&1) &
    impostor=$!
    sleep 1.5
    output=$(report --samples 3)
    code=$?
    kill "$impostor" 2>/dev/null
    echo "$output (exit code $code)"
    [ "$code" = 4 ] && grep -q 'cannot be decoded' <<<"$output"
    ;;
report-compare)
    output=$(report --compare e2e/report.csv e2e/closed.csv)
    code=$?
    echo "$output"
    [ "$code" = 0 ] && grep -q '^median ratio B/A: [0-9.]*$' <<<"$output" || exit 1
    printf 'index,seconds,duration_ms\n1,0.5,4.0\n2,x,5\n' >"$state/malformed.csv"
    output=$(report --compare e2e/report.csv e2e/malformed.csv)
    code=$?
    echo "$output (exit code $code)"
    [ "$code" = 5 ] && grep -q 'malformed.csv:3: malformed row' <<<"$output" || exit 1
    output=$(report --compare e2e/report.csv e2e/absent.csv)
    code=$?
    echo "$output (exit code $code)"
    [ "$code" = 5 ] && grep -q 'absent.csv: cannot open' <<<"$output"
    ;;
cleanup)
    zolvik_alive && kill "$(cat "$state/zolvik.pid")"
    zolvik_stop_wine
    rm -f "$state/session.env"
    ;;
*)
    echo "unknown command $command" >&2
    exit 2
    ;;
esac
