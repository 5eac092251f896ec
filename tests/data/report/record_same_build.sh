#!/usr/bin/env bash
# Records runs of one build of Zolvik on Wine into same-build-*.json, the data behind the
# allowance a one-run-a-side comparison makes for the spread between runs.
#   tests/data/report/record_same_build.sh [LAUNCHES] [RUNS] [SAMPLES] [PAUSE]
# Each launch starts Zolvik afresh (a new window, a new Xvfb) and records RUNS runs of SAMPLES
# samples, PAUSE seconds apart, into one record; run it on an otherwise idle machine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
launches=${1:-4} runs=${2:-4} samples=${3:-24} pause=${4:-20}
build="$root/build/windows-release"
[ -x "$build/zolvik-report.exe" ] || { echo "build the windows-release preset first" >&2; exit 1; }
source "$root/scripts/wine.sh"
zolvik_session "$root/build/wine"
for launch in $(seq "$launches"); do
    out="$here/same-build-$launch.json"
    rm -f "$out"
    zolvik_start_program "$root/build/wine/record-display" 1600x1200 "$build"
    sleep 5
    for run in $(seq "$runs"); do
        (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe --samples "$samples" --json "$out" \
            --append </dev/null | tr -d '\r' | grep -E "median" || true)
        [ "$run" = "$runs" ] || sleep "$pause"
    done
    kill "$zolvik_pid" 2>/dev/null || true
    zolvik_stop_wine
    zolvik_claim_prefix "$root/build/wine"
    sleep 2
done
