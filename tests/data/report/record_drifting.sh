#!/usr/bin/env bash
# Records runs of one build of Zolvik on Wine while the machine changes speed under them, into
# drifting.json: the data behind the check that a machine's drift is not called a driver
# difference once the control takes the machine out.
#   tests/data/report/record_drifting.sh [RUNS] [SAMPLES] [SPELL]
# Every SPELL seconds the machine turns slow or fast again: Zolvik and zolvik-report alike
# are stopped for 2 ms in every 4 ms (tests/e2e/throttle.py), or left alone. Run it on an
# otherwise idle machine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
runs=${1:-12} samples=${2:-16} spell=${3:-35}
source "$root/scripts/wine.sh"
out="$here/drifting.json"
rm -f "$out"
zolvik_recording_session "$root"
(cd "$build" && exec "$ZOLVIK_WINE" zolvik-report.exe --samples "$samples" --runs "$runs" \
    --pause 2 --json "$out" </dev/null >/dev/null 2>&1) &
report_pid=$!
while kill -0 "$report_pid" 2>/dev/null; do
    sleep "$spell"
    if [ -n "$throttle" ]; then
        kill "$throttle" 2>/dev/null
        wait "$throttle" 2>/dev/null || true
        throttle=""
        echo "$(date +%T) machine fast"
    else
        /usr/bin/python3 "$root/tests/e2e/throttle.py" 2 4 "$zolvik_pid" "$report_pid" &
        throttle=$!
        echo "$(date +%T) machine slow"
    fi
done
wait "$report_pid" || true
/usr/bin/python3 - "$out" <<'SHOW'
import json, sys
for run in json.load(open(sys.argv[1]))["runs"]:
    c = run["control"]
    print("run %d: median %.3f ms, in memory %.3f ms" % (run["run"], run["summary"]["median_ms"],
                                                        c["median_ms"] if c else 0))
SHOW
