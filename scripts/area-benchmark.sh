#!/usr/bin/env bash
# How a pass's cost grows with the drawing area: the designed 900 x 600, then about twice and
# four times the pixels, with resizing allowed. Prints the mean pass time (the program's own
# figure: the lines alone) per size and per million pixels drawn, first on the portable layer,
# then for the real Zolvik.exe on Wine (software drawing on Xvfb), read by zolvik-report.
#   scripts/area-benchmark.sh [SAMPLES_PER_SIZE]     (default 24)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
samples=${1:-24}
source scripts/setup.sh
zolvik_setup
zolvik_build native-release windows-release

build/native-release/benchmarks/area_cost

source scripts/wine.sh
mkdir -p build/run
zolvik_session "$root/build/wine"
zolvik_start_program "$root/build/run/display" 2560x1600 "$root/build/windows-release"
cd build/windows-release

for size in 900x600 1273x849 1800x1200; do
    width=${size%x*}
    height=${size#*x}
    "$ZOLVIK_WINE" zolvik_probe.exe area "$width" "$height" </dev/null | tr -d '\r' | grep -v '^PASS' || true
    summary=$("$ZOLVIK_WINE" zolvik-report.exe --samples "$samples" </dev/null | tr -d '\r')
    mean=$(awk '$1 == "mean" {print $2}' <<<"$summary")
    median=$(awk '$1 == "median" {print $2}' <<<"$summary")
    pixels=$((3 * (((height + 3) / 4) * width + ((width + 3) / 4) * height)))
    awk -v w="$width" -v h="$height" -v p="$pixels" -v mean="$mean" -v median="$median" \
        'BEGIN { printf "%-16s %5d x %-5d %11d %11.3f %11.3f %14.3f\n", "Wine (Xvfb)", w, h, p, mean, median, mean * 1e6 / p }'
done
"$ZOLVIK_WINE" zolvik_probe.exe escape </dev/null >/dev/null
zolvik_wait_gone "$zolvik_pid" 15 || true
zolvik_pid=""
