#!/usr/bin/env bash
# The sweep's checks on Wine, and the example in docs/example/:
#  1. a sweep of the real Zolvik.exe (docs/example/sweep-a.json and .svg);
#  2. pass times at three areas alone (900 x 600, 1273 x 849, 1500 x 900), their slope per
#     million pixels by least squares, against the sweep's per-pixel figure and interval;
#  3. a sweep of Zolvik run with WINEDEBUG=+gdi, which writes a trace line for every MoveToEx
#     and LineTo: a cost per call and none per pixel (docs/example/sweep-b.json and .svg), and
#     the comparison of the two sweeps (docs/example/sweep-report.md).
#   scripts/sweep-check.sh [OUTPUT_FOLDER]     (default docs/example; files are never replaced)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$(realpath -m "${1:-docs/example}")
source scripts/setup.sh
zolvik_setup
zolvik_build windows-release
mkdir -p "$out" build/run
for file in sweep-a.json sweep-a.svg sweep-b.json sweep-b.svg sweep-report.md; do
    [ ! -e "$out/$file" ] || { echo "$out/$file exists: move it away first" >&2; exit 1; }
done

source scripts/wine.sh
zolvik_session "$root/build/wine"
zolvik_start_program "$root/build/run/display" 1920x1080 "$root/build/windows-release"
cd build/windows-release
report() { "$ZOLVIK_WINE" "$root/build/windows-release/zolvik-report.exe" "$@" </dev/null 2>&1 | tr -d '\r' | grep -v -E '^(sample|visit) '; }
probe() { "$ZOLVIK_WINE" zolvik_probe.exe "$@" </dev/null | tr -d '\r' | grep -v '^PASS' || true; }

echo "== 1. a sweep"
report --sweep --json "$out/sweep-a.json" --plot "$out/sweep-a.svg"

echo "== 2. the areas alone"
rows=""
for size in 900x600 1273x849 1500x900; do
    width=${size%x*}
    height=${size#*x}
    probe area "$width" "$height" >/dev/null
    median=$(report --samples 24 | awk '$1 == "median" && NF == 2 {print $2}')
    pixels=$((3 * (((height + 3) / 4) * width + ((width + 3) / 4) * height)))
    echo "$size: $pixels pixels, median $median ms"
    rows+="$pixels $median"$'\n'
done
probe designed >/dev/null
/usr/bin/python3 - "$out/sweep-a.json" "$rows" <<'CHECK'
import json, sys
import numpy as np
rows = np.array([list(map(float, r.split())) for r in sys.argv[2].strip().splitlines()])
slope = np.polyfit(rows[:, 0] / 1e6, rows[:, 1], 1)[0]
fit = json.load(open(sys.argv[1]))["fit"]["on_screen"]["components"]["per_million_pixels"]
print("slope by area alone %.3f ms per million pixels (lines included); the sweep's per pixel "
      "%.3f (%.3f-%.3f): %s" % (slope, fit["value"], fit["low"], fit["high"],
      "within" if fit["low"] <= slope <= fit["high"] else "outside"))
CHECK

echo "== 3. a cost per call planted: Zolvik traced by WINEDEBUG=+gdi"
probe escape >/dev/null
zolvik_wait_gone "$zolvik_pid" 15 || true
trace="$root/build/run/gdi-trace.txt"
(WINEDEBUG=+gdi exec "$ZOLVIK_WINE" Zolvik.exe </dev/null >/dev/null 2>"$trace") &
zolvik_pid=$!
probe wait >/dev/null
report --sweep --json "$out/sweep-b.json" --plot "$out/sweep-b.svg"
rm -f "$trace"
(cd "$out" && report --compare sweep-a.json sweep-b.json --markdown sweep-report.md)
