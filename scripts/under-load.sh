#!/usr/bin/env bash
# Runs the end-to-end cases that depend on time on a slower machine: every process of the e2e
# session (Xvfb, Wine's server and services, Zolvik, zolvik-report) stopped for OFF ms in
# every PERIOD ms (tests/e2e/slow_machine.py), and prints each case's time.
#   bash scripts/under-load.sh [OFF PERIOD [RUNS [CASES]]]   (default 1 ms in every 4, 1 run)
# CASES is a pattern of case names to run instead of all ten, e.g. 'machine|starved'.
# Build the windows-release preset first.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
off=${1:-1} period=${2:-4} runs=${3:-1}
cases="e2e_report_(${4:-records_single|same_build|keeps_rows|spaced_runs|slow_passes|starved|machine|desktop|sweep|scaled})"
cd "$root"
for run in $(seq "$runs"); do
    ctest --preset windows-release -R '^e2e_setup$' >/dev/null || { echo "setup failed"; exit 1; }
    source build/windows-release/e2e/session.env
    /usr/bin/python3 tests/e2e/slow_machine.py "$off" "$period" "$WINEPREFIX" "$ZOLVIK_XVFB_PID" &
    slower=$!
    # Every case's whole output is kept in under-load-N.log beside the build.
    ctest --preset windows-release -R "$cases" -FS wine -FC wine -V 2>&1 |
        tee "build/windows-release/under-load-$run.log" | grep -E 'Test +#|tests passed|Failed|^[0-9]+: [BC]: raw'
    kill "$slower"
    wait "$slower"
    ctest --preset windows-release -R '^e2e_cleanup$' >/dev/null
    echo "run $run under load ($off ms in every $period ms) done"
done
