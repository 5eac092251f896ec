#!/usr/bin/env bash
# What recording to a precision gives on Wine, each side recorded with --precision P (default
# 5) and --samples N (default 48) --pause 5, into build/run/precision, printing each side's
# lines about its precision, how long it took, and the verdict (30-60 minutes; run it on an
# otherwise idle machine):
#   same      TRIES (default 2) times the same build against itself
#   planted   Zolvik alone stopped OFF ms in every PERIOD ms at random (throttle.py; the
#             environment's PLANT="OFF PERIOD", default "1 7") while B is recorded, a drawing
#             path about PERIOD / (PERIOD - OFF) times slower; its size measured first by two
#             long runs a side, plain and planted in turn
#   machine   every process of the session stopped 1 ms in every 4 ms (slow_machine.py)
#             while B is recorded: a slower machine, which must not read as a slower driver
#   traced    Zolvik restarted for each side, for B with Wine's GDI trace (WINEDEBUG=+gdi,
#             into /dev/null): a cost on every line call in Zolvik's process alone, steadier
#             than stopping it; its size measured first by two long runs a side in turn
#   scripts/precision-check.sh [P [N [TRIES [ONLY]]]]
#   (ONLY: same, planted, machine or traced; all but traced without it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
precision=${1:-5}
samples=${2:-48}
tries=${3:-2}
only=${4:-}
source scripts/setup.sh
zolvik_setup
zolvik_build windows-release
source scripts/wine.sh
zolvik_recording_session "$root"
out="$root/build/run/precision"
mkdir -p "$out"
throttle_py="$root/tests/e2e/throttle.py"
read -r plant_off plant_period <<<"${PLANT:-1 7}"
slow_machine_py="$root/tests/e2e/slow_machine.py"

# Records side $1 to the precision, with the plant $2 ("", zolvik or machine) running.
side() {
    local file="$out/$1.json" start report_pid
    rm -f "$file"
    start=$(date +%s)
    (cd "$build" && exec "$ZOLVIK_WINE" zolvik-report.exe --precision "$precision" \
        --samples "$samples" --pause 5 --json "$file" </dev/null >"$out/$1.txt" 2>&1) &
    report_pid=$!
    case "$2" in
    zolvik)
        /usr/bin/python3 "$throttle_py" "$plant_off" "$plant_period" "$zolvik_pid" \
            2>>"$out/$1.txt" &
        throttle=$!
        ;;
    machine)
        sleep 1
        /usr/bin/python3 "$slow_machine_py" 1 4 "$WINEPREFIX" "$ZOLVIK_XVFB_PID" \
            2>>"$out/$1.txt" &
        throttle=$!
        ;;
    esac
    wait "$report_pid" || true
    [ -n "$throttle" ] && { kill "$throttle"; wait "$throttle" 2>/dev/null || true; throttle=""; }
    tr -d '\r' <"$out/$1.txt" | grep -E '^precision:|^plan:|^throttle' | sed "s/^/  $1: /"
    echo "  $1: took $(($(date +%s) - start)) s"
}

verdict() {
    (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe --compare "$out/$1.json" "$out/$2.json") \
        </dev/null | tr -d '\r' | sed -n '/^B: [a-z]*[: 0-9]/,/next:/p' | sed 's/^/  /'
}

# Zolvik started anew with WINEDEBUG=$1; as a driver switch would, it waits for the window.
restart_zolvik() {
    "$ZOLVIK_WINE" "$build/zolvik_probe.exe" escape </dev/null >/dev/null 2>&1 || true
    zolvik_wait_gone "$zolvik_pid" 15 || kill "$zolvik_pid" 2>/dev/null || true
    (cd "$build" && WINEDEBUG=$1 exec "$ZOLVIK_WINE" Zolvik.exe </dev/null >/dev/null 2>&1) &
    zolvik_pid=$!
    (cd "$build" && "$ZOLVIK_WINE" zolvik_probe.exe wait </dev/null >/dev/null)
    sleep 2
}

# The plant's own size: two runs of 120 a side, plain and planted in turn, compared as they
# are, the sides taking turns so that drift falls on both.
plant_size() {
    local round
    rm -f "$out"/size-?.json
    for round in 1 2; do
        (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe --samples 120 --append \
            --json "$out/size-a.json" </dev/null >/dev/null 2>&1)
        /usr/bin/python3 "$throttle_py" "$plant_off" "$plant_period" "$zolvik_pid" 2>/dev/null &
        throttle=$!
        (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe --samples 120 --append \
            --json "$out/size-p.json" </dev/null >/dev/null 2>&1)
        kill "$throttle"; wait "$throttle" 2>/dev/null || true; throttle=""
    done
    echo "the plant's size, 2 runs of 120 a side in turn:"
    verdict size-a size-p
}

if [ -z "$only" ] || [ "$only" = same ]; then
    for try in $(seq "$tries"); do
        echo "$(date +%T) same build, try $try"
        side "same-a$try" ""
        side "same-b$try" ""
        verdict "same-a$try" "same-b$try"
    done
fi
if [ -z "$only" ] || [ "$only" = planted ]; then
    echo "$(date +%T) planted"
    plant_size
    side planted-a ""
    side planted-b zolvik
    verdict planted-a planted-b
fi
if [ "$only" = traced ]; then
    echo "$(date +%T) traced"
    rm -f "$out"/size-t?.json
    for round in 1 2; do
        restart_zolvik -all
        (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe --samples 120 --append \
            --json "$out/size-ta.json" </dev/null >/dev/null 2>&1)
        restart_zolvik +gdi
        (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe --samples 120 --append \
            --json "$out/size-tb.json" </dev/null >/dev/null 2>&1)
    done
    echo "the plant's size, 2 runs of 120 a side in turn:"
    verdict size-ta size-tb
    restart_zolvik -all
    side traced-a ""
    restart_zolvik +gdi
    side traced-b ""
    verdict traced-a traced-b
    restart_zolvik -all
fi
if [ -z "$only" ] || [ "$only" = machine ]; then
    echo "$(date +%T) machine"
    side machine-a ""
    side machine-b machine
    verdict machine-a machine-b
fi
"$ZOLVIK_WINE" "$build/zolvik_probe.exe" escape </dev/null >/dev/null 2>&1 || true
