#!/usr/bin/env bash
# How often zolvik-report's verdicts are right on Wine: PAIRS times, ROUNDS runs a side of
# the same build against each other (A/A: anything but slower or faster is right), and as
# many runs at the designed 900 x 600 drawing area against as many at the drawing area
# PLANTED (default 992x672, a client area of 1000 x 760: about 1.26 times the work; slower is
# right). The runs of a pair are interleaved.
#   scripts/verify-verdicts.sh [PAIRS [SAMPLES [PLANTED [ROUNDS]]]]
#   (default 5 pairs of 3 runs a side, 24 samples a run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
pairs=${1:-5}
samples=${2:-24}
planted=${3:-992x672}
rounds=${4:-3}
source scripts/setup.sh
zolvik_setup
zolvik_build windows-release

source scripts/wine.sh
mkdir -p build/run/verdicts
zolvik_session "$root/build/wine"
zolvik_start_program "$root/build/run/display" 1600x1200 "$root/build/windows-release"
cd build/windows-release
out="$root/build/run/verdicts"
probe() { "$ZOLVIK_WINE" zolvik_probe.exe "$@" </dev/null >/dev/null; }
record() { "$ZOLVIK_WINE" zolvik-report.exe --samples "$samples" --csv "$1" --append </dev/null >/dev/null; }
verdict() {
    "$ZOLVIK_WINE" zolvik-report.exe --compare "$1" "$2" --json - </dev/null |
        /usr/bin/python3 -c 'import json, sys; c = json.load(sys.stdin); print("%-12s %.3f (%.3f-%.3f)" % (c["verdict"], c["ratio"], c["low"], c["high"]))'
}
for pair in $(seq "$pairs"); do
    rm -f "$out"/a.csv "$out"/b.csv "$out"/p.csv
    for round in $(seq "$rounds"); do
        probe designed
        record "$out/a.csv"
        record "$out/b.csv"
        probe area "${planted%x*}" "${planted#*x}"
        record "$out/p.csv"
    done
    probe designed
    echo "pair $pair: A/A $(verdict "$out/a.csv" "$out/b.csv")   planted $(verdict "$out/a.csv" "$out/p.csv")"
done
"$ZOLVIK_WINE" zolvik_probe.exe escape </dev/null >/dev/null
zolvik_wait_gone "$zolvik_pid" 15 || true
zolvik_pid=""
