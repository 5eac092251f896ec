#!/usr/bin/env bash
# Records the README's three-side example on Wine and writes its Markdown report and picture
# into docs/example: A and B are the same build, C the same with Zolvik's drawing path alone
# made slower, as a slower driver's would be (Zolvik stopped for 1 ms in every 2, by
# tests/e2e/throttle.py; the control in memory is not). Runs go round A, B, C, so that a
# drift of the machine falls on every side alike.
#   scripts/example-report.sh [RUNS] [SAMPLES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3} samples=${2:-48}
out="$root/docs/example"
build="$root/build/windows-release"
source "$root/scripts/setup.sh"
zolvik_setup
zolvik_build windows-release
source "$root/scripts/wine.sh"
zolvik_session "$root/build/wine"
mkdir -p "$out"
rm -f "$out"/*.json "$out"/report.md "$out"/report.svg
zolvik_start_program "$root/build/wine/example-display" 1600x1200 "$build"
sleep 5
probe() { (cd "$build" && "$ZOLVIK_WINE" zolvik_probe.exe "$@" </dev/null >/dev/null); }
report() { (cd "$out" && "$ZOLVIK_WINE" "$build/zolvik-report.exe" "$@" </dev/null | tr -d '\r'); }
throttle=""
trap '[ -n "$throttle" ] && kill "$throttle" 2>/dev/null; zolvik_end_session' EXIT
for run in $(seq "$runs"); do
    for side in a b c; do
        if [ "$side" = c ]; then
            /usr/bin/python3 "$root/tests/e2e/throttle.py" 1 2 "$zolvik_pid" &
            throttle=$!
        fi
        sleep 2
        report --samples "$samples" --json "driver-$side.json" --append | grep -E '^  median  '
        if [ -n "$throttle" ]; then
            kill "$throttle"
            wait "$throttle" || true
            throttle=""
        fi
    done
    [ "$run" = "$runs" ] || sleep 10
done
report --compare driver-a.json driver-b.json driver-c.json --markdown report.md --plot report.svg
