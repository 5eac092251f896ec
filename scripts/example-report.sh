#!/usr/bin/env bash
# Records the README's three-side example on Wine as a person records today, and writes its
# Markdown report and picture into docs/example. Each side is recorded to +-5 % in runs of 120
# passes (the README's recipe), 10 s apart rather than 60, one side after the other; each
# record says with --note what its side carries:
#   A and B: the same build, nothing planted;
#   C: Zolvik's process stopped 1 ms in every 4 ms at random (tests/e2e/throttle.py), a
#      stand-in for a slower driver: the control drawn in memory by zolvik-report is not.
#   scripts/example-report.sh [SAMPLES [PRECISION]]
# ZOLVIK_BUILD names a cross build to record with instead (left as it is), so that building
# may go on beside a recording.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
samples=${1:-120} precision=${2:-5}
out="$root/docs/example"
build=${ZOLVIK_BUILD:-$root/build/windows-release}
source "$root/scripts/setup.sh"
zolvik_setup
[ -n "${ZOLVIK_BUILD:-}" ] || zolvik_build windows-release
source "$root/scripts/wine.sh"
zolvik_session "$root/build/wine"
mkdir -p "$out"
rm -f "$out"/driver-*.json "$out"/report.md "$out"/report.svg
zolvik_start_program "$root/build/wine/example-display" 1600x1200 "$build"
sleep 5
report() { (cd "$out" && "$ZOLVIK_WINE" "$build/zolvik-report.exe" "$@" </dev/null | tr -d '\r'); }
throttle=""
trap '[ -n "$throttle" ] && kill "$throttle" 2>/dev/null; zolvik_end_session' EXIT
record() {
    report --precision "$precision" --samples "$samples" --pause 10 --json "driver-$1.json" \
        --note "$2" | grep -E '^(  median  |precision: )'
}
record a "the same build as B and C, nothing planted"
record b "the same build as A, nothing planted"
/usr/bin/python3 "$root/tests/e2e/throttle.py" 1 4 "$zolvik_pid" &
throttle=$!
record c "Zolvik's process stopped 1 ms in every 4 ms, a stand-in for a slower driver"
kill "$throttle"
wait "$throttle" || true
throttle=""
report --compare driver-a.json driver-b.json driver-c.json --markdown report.md --plot report.svg
