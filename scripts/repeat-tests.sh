#!/usr/bin/env bash
# Runs the test command on fresh clones of this checkout's HEAD, one after the other, to find
# cases that fail by chance; prints each case's time in each run and every failure.
#   bash scripts/repeat-tests.sh [RUNS [FOLDER]]     (default 5 runs, /tmp/zolvik-repeat)
# Each run clones into FOLDER/N and keeps its log as FOLDER/N.log; a run takes 12-15 minutes.
set -uo pipefail
runs=${1:-5}
folder=${2:-/tmp/zolvik-repeat}
source=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$folder"
for run in $(seq "$runs"); do
    rm -rf "${folder:?}/$run"
    git clone -q "$source" "$folder/$run" || exit 1
    started=$(date +%s)
    (cd "$folder/$run" && CI=true bash .ci/run </dev/null >"$folder/$run.log" 2>&1)
    code=$?
    echo "run $run: exit code $code in $(($(date +%s) - started)) s"
    # Free the disk for the next run; the log keeps what matters.
    rm -rf "${folder:?}/$run"
done
# One row a case that took a second or more, or failed, in any run: its time in each run.
awk -v runs="$runs" '
    FNR == 1 { run++ }
    match($0, /Test +#[0-9]+: [^ ]+/) {
        split(substr($0, RSTART, RLENGTH), parts, ": ")
        name = parts[2]
        status = $0 ~ /Passed/ ? "" : " FAILED"
        n = split($0, words, " ")
        seconds = words[n - 1]
        if (!(name in seen)) { order[++count] = name; seen[name] = 1 }
        cell[name, run] = seconds status
        if (seconds >= 1 || status != "") { shown[name] = 1 }
    }
    END {
        printf "| case |"; for (r = 1; r <= runs; r++) printf " run %d s |", r; print ""
        printf "|---|"; for (r = 1; r <= runs; r++) printf "---|"; print ""
        for (i = 1; i <= count; i++) {
            name = order[i]
            if (!(name in shown)) continue
            printf "| %s |", name
            for (r = 1; r <= runs; r++) printf " %s |", cell[name, r]
            print ""
        }
    }' $(for run in $(seq "$runs"); do echo "$folder/$run.log"; done)
