#!/usr/bin/env bash
# Records the README's three-side example on Wine and writes its Markdown report and picture
# into docs/example: A and B are the same build at the designed drawing area, C draws twice
# its pixels (1273 x 849), as a driver twice as slow would. Runs go round A, B, C, so that a
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
for run in $(seq "$runs"); do
    for side in a b c; do
        if [ "$side" = c ]; then probe area 1273 849; else probe designed; fi
        sleep 2
        report --samples "$samples" --json "driver-$side.json" --append | grep -E '^  median  '
    done
    [ "$run" = "$runs" ] || sleep 10
done
probe designed
report --compare driver-a.json driver-b.json driver-c.json --markdown report.md --plot report.svg
