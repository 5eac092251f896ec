#!/usr/bin/env bash
# Records on Wine the runs behind the checks of the control paired with each pass, into this
# folder (about 15 minutes; run it on an otherwise idle machine):
#   drifting.json       one build, 12 runs of 24 passes 2 s apart, while the machine turns half
#                       as fast for both programs and back every 35 s
#   path-a.json, path-b.json        2 runs of 12 a side; during B Zolvik alone is stopped for
#                       3 ms in every 4 ms (a drawing path about 2.5 times slower)
#   machine-a.json, machine-b.json  3 runs of 12 a side; during B every process of the session
#                       (Zolvik, zolvik-report, Wine's server and services, Xvfb) is stopped
#                       for 3 ms in every 5 ms (a slower machine)
#   same-a.json, same-b.json        3 runs of 120 a side of one build, taking turns
#   tests/data/report/control/record.sh [ONLY]   (ONLY: drifting, path, machine or same)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../../.." && pwd)
only=${1:-}
source "$root/scripts/wine.sh"
zolvik_recording_session "$root"
throttle_py=("/usr/bin/python3" "$root/tests/e2e/throttle.py")

# Every process of this session: this prefix's Wine processes, its server, and Xvfb.
session_pids() {
    local pid server
    server=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" ||
            [ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" = "$server" ]; then
            echo "$pid"
        fi
    done
    echo "$ZOLVIK_XVFB_PID"
}

# Records $1 with zolvik-report's further arguments $3..., stopping the processes named by
# $2 ("" none, "zolvik", "session") as the header says.
record() {
    local file=$1 who=$2 report_pid pids
    shift 2
    (cd "$build" && exec "$ZOLVIK_WINE" zolvik-report.exe "$@" --json "$here/$file" \
        </dev/null >/dev/null 2>&1) &
    report_pid=$!
    case "$who" in
    zolvik) "${throttle_py[@]}" 3 4 "$zolvik_pid" & throttle=$! ;;
    session) sleep 1; "${throttle_py[@]}" 3 5 $(session_pids) & throttle=$! ;;
    esac
    wait "$report_pid"
    [ -n "$throttle" ] && { kill "$throttle"; wait "$throttle" 2>/dev/null || true; throttle=""; }
    echo "$(date +%T) $file"
}

if [ -z "$only" ] || [ "$only" = drifting ]; then
    rm -f "$here/drifting.json"
    (cd "$build" && exec "$ZOLVIK_WINE" zolvik-report.exe --samples 24 --runs 12 --pause 2 \
        --json "$here/drifting.json" </dev/null >/dev/null 2>&1) &
    report_pid=$!
    while kill -0 "$report_pid" 2>/dev/null; do
        for i in $(seq 35); do kill -0 "$report_pid" 2>/dev/null && sleep 1; done
        if [ -n "$throttle" ]; then
            kill "$throttle"; wait "$throttle" 2>/dev/null || true; throttle=""
        elif kill -0 "$report_pid" 2>/dev/null; then
            "${throttle_py[@]}" 2 4 "$zolvik_pid" "$report_pid" & throttle=$!
        fi
    done
    echo "$(date +%T) drifting.json"
fi
if [ -z "$only" ] || [ "$only" = path ]; then
    rm -f "$here"/path-?.json
    record path-a.json "" --samples 12 --runs 2 --pause 3
    record path-b.json zolvik --samples 12 --runs 2 --pause 3
fi
if [ -z "$only" ] || [ "$only" = machine ]; then
    rm -f "$here"/machine-?.json
    record machine-a.json "" --samples 12 --runs 3 --pause 0
    record machine-b.json session --samples 12 --runs 3 --pause 0
fi
if [ -z "$only" ] || [ "$only" = same ]; then
    rm -f "$here"/same-?.json
    for round in 1 2 3; do
        record same-a.json "" --samples 120 --append
        record same-b.json "" --samples 120 --append
    done
fi
