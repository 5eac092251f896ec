#!/usr/bin/env bash
# What zolvik-report costs while it samples, against what Zolvik itself costs, on Wine:
#   scripts/footprint.sh [SECONDS [WIDTH HEIGHT]]   (default 30 seconds a window)
# WIDTH HEIGHT plant slow passes: that drawing area, on a 16000 x 10000 screen.
# First the program runs alone for SECONDS; then zolvik-report samples it for as long. In
# each window it reads the CPU time (user + system, /proc/PID/stat) of the program, the
# companion, Xvfb, the wineserver and Wine's other processes of this prefix. The companion's
# footprint is its own time plus what it added to all the others; it prints both figures in
# milliseconds of CPU per second and their ratio (at most 1 is the goal). ZOLVIK_NO_BUILD=1
# measures the programs as they are in build/windows-release, without building them first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-30}
area_width=${2:-}
area_height=${3:-}
source scripts/setup.sh
zolvik_setup
[ -n "${ZOLVIK_NO_BUILD:-}" ] || zolvik_build windows-release

source scripts/wine.sh
mkdir -p build/run
zolvik_session "$root/build/wine"
if [ -n "$area_width" ]; then
    # Slow passes: a large drawing area on a screen that holds it.
    zolvik_start_program "$root/build/run/display" 16000x10000 "$root/build/windows-release"
    cd build/windows-release
    "$ZOLVIK_WINE" zolvik_probe.exe desktop move 0 0 </dev/null >/dev/null
    "$ZOLVIK_WINE" zolvik_probe.exe area "$area_width" "$area_height" </dev/null >/dev/null
else
    zolvik_start_program "$root/build/run/display" 1600x1200 "$root/build/windows-release"
    cd build/windows-release
fi
ticks=$(getconf CLK_TCK)

cpu_of() { # clock ticks of user + system time, 0 when the process is gone
    awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0
}
wine_processes() { # the wineserver and Wine's services of this prefix, not the two measured
    local pid
    for pid in $(pgrep -f -u "$(id -u)" 'wine|\.exe' || true); do
        [ "$pid" = "$zolvik_pid" ] || [ "$pid" = "${report_pid:-}" ] && continue
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
            echo "$pid"
    done
}
others_cpu() {
    local total=0 pid
    for pid in $(wine_processes); do total=$((total + $(cpu_of "$pid"))); done
    echo "$total"
}
# Prints the CPU of program, Xvfb and Wine's other processes (and the companion, if running).
snapshot() {
    echo "$(cpu_of "$zolvik_pid") $(cpu_of "$ZOLVIK_XVFB_PID") $(others_cpu) $(cpu_of "${report_pid:-0}")"
}
per_second() { awk -v t="$1" -v hz="$ticks" -v s="$seconds" 'BEGIN { printf "%.2f", t * 1000 / hz / s }'; }

sleep 2
read -r p0 x0 o0 _ <<<"$(snapshot)"
sleep "$seconds"
read -r p1 x1 o1 _ <<<"$(snapshot)"

"$ZOLVIK_WINE" zolvik-report.exe --seconds $((seconds + 8)) </dev/null >"$root/build/run/footprint.log" 2>&1 &
report_pid=$!
sleep 4
read -r p2 x2 o2 r2 <<<"$(snapshot)"
sleep "$seconds"
read -r p3 x3 o3 r3 <<<"$(snapshot)"
wait "$report_pid" || true

program=$((p1 - p0))
own=$((r3 - r2))
added_program=$(((p3 - p2) - program))
added_x=$(((x3 - x2) - (x1 - x0)))
added_wine=$(((o3 - o2) - (o1 - o0)))
footprint=$((own + added_program + added_x + added_wine))
echo "CPU milliseconds per second, over two windows of $seconds s (clock ticks of 1/$ticks s):"
echo "  Zolvik alone                          $(per_second "$program")"
echo "  zolvik-report itself                  $(per_second "$own")"
echo "  added to Zolvik (resets)              $(per_second "$added_program")"
echo "  added to Xvfb                         $(per_second "$added_x")"
echo "  added to the wineserver and services  $(per_second "$added_wine")"
echo "  zolvik-report's footprint             $(per_second "$footprint")"
awk -v f="$footprint" -v p="$program" 'BEGIN { printf "  footprint / Zolvik                    %.2f\n", (p > 0) ? (f / p) : 0 }'
tr -d '\r' <"$root/build/run/footprint.log" | grep -E '^  (median|dropped)|samples \(ms\)' || true
"$ZOLVIK_WINE" zolvik_probe.exe escape </dev/null >/dev/null
zolvik_wait_gone "$zolvik_pid" 15 || true
zolvik_pid=""
