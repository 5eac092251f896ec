#!/usr/bin/env bash
# Records runs of one build of Zolvik on Wine while the machine changes speed under them, into
# drifting.json: the data behind the check that a machine's drift is not called a driver
# difference once the control takes the machine out.
#   tests/data/report/record_drifting.sh [RUNS] [SAMPLES] [SPELL] [PERIOD]
# Every SPELL seconds the machine turns slow or fast again: every thread of Zolvik and of
# zolvik-report alike goes into, or out of, a cgroup v1 group that holds them to 1 ms of CPU
# in every PERIOD µs (as root). Run it on an otherwise idle machine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
runs=${1:-12} samples=${2:-16} spell=${3:-13} period=${4:-3000}
build="$root/build/windows-release"
cpu=/sys/fs/cgroup/cpu
[ -x "$build/zolvik-report.exe" ] || { echo "build the windows-release preset first" >&2; exit 1; }
[ -w "$cpu/tasks" ] || { echo "needs root and a writable cgroup v1 cpu controller" >&2; exit 1; }
source "$root/scripts/wine.sh"
zolvik_session "$root/build/wine"
group="$cpu/zolvik-drift-$$"
mkdir "$group"
echo "$period" >"$group/cpu.cfs_period_us"
echo 1000 >"$group/cpu.cfs_quota_us"
release() {
    local task
    while read -r task; do echo "$task" >"$cpu/tasks" 2>/dev/null || true; done <"$group/tasks"
    rmdir "$group" 2>/dev/null || true
}
trap 'release; zolvik_end_session' EXIT
out="$here/drifting.json"
rm -f "$out"
zolvik_start_program "$root/build/wine/record-display" 1600x1200 "$build"
sleep 5
(cd "$build" && exec "$ZOLVIK_WINE" zolvik-report.exe --samples "$samples" --runs "$runs" \
    --pause 2 --json "$out" </dev/null >/dev/null 2>&1) &
report_pid=$!
slow=0
while kill -0 "$report_pid" 2>/dev/null; do
    sleep "$spell"
    slow=$((1 - slow))
    for pid in "$zolvik_pid" "$report_pid"; do
        for task in /proc/"$pid"/task/*; do
            echo "${task##*/}" >"$([ "$slow" = 1 ] && echo "$group" || echo "$cpu")/tasks" 2>/dev/null || true
        done
    done
    echo "$(date +%T) machine $([ "$slow" = 1 ] && echo slow || echo fast)"
done
wait "$report_pid" || true
/usr/bin/python3 - "$out" <<'SHOW'
import json, statistics, sys
for run in json.load(open(sys.argv[1]))["runs"]:
    c = run["control"]
    print("run %d: median %.3f ms, in memory %.3f ms" % (run["run"], run["summary"]["median_ms"],
                                                        c["median_ms"] if c else 0))
SHOW
