# Recording with zolvik-report on Wine: single passes into CSV files and records, the files
# it refuses, a window that closes or never was, slow passes, a starved program and Ctrl+C.
# Sourced by e2e.sh; each case is the function named after its CTest test.

report_records_single_passes() {
    # Ten single passes from the running program into a new results file.
    rm -f "$state/report.csv"
    output=$(report --samples 10 --csv e2e/report.csv)
    code=$?
    echo "$output"
    [ "$code" = 0 ] || { echo "exit code $code"; exit 1; }
    [ "$(grep -c '^sample ' <<<"$output")" = 10 ] || { echo "not 10 samples"; exit 1; }
    head -n 1 "$state/report.csv" | grep -qx 'run,index,seconds,duration_ms' || { echo "header"; exit 1; }
    [ "$(grep -c '^1,' "$state/report.csv")" = 10 ] || { echo "CSV is not 10 rows of run 1"; exit 1; }
    grep -q '^  dropped [0-9]*$' <<<"$output" || { echo "no count of dropped passes"; exit 1; }
    awk -F, 'NR > 1 && ($4 <= 0 || $4 > 1000) { print "implausible: " $0; bad = 1 } END { exit bad }' \
        "$state/report.csv" || exit 1
    # An existing file is refused and left as it was; --append adds run 2.
    before=$(md5sum <"$state/report.csv")
    output=$(report --samples 2 --csv e2e/report.csv)
    code=$?
    echo "$output (exit code $code)"
    [ "$code" = 7 ] && grep -q 'exists: a results file is never overwritten' <<<"$output" &&
        [ "$(md5sum <"$state/report.csv")" = "$before" ] || exit 1
    report --samples 3 --csv e2e/report.csv --append >/dev/null || exit 1
    [ "$(grep -c '^2,' "$state/report.csv")" = 3 ] || { echo "run 2 not appended"; exit 1; }
    # A folder named in Cyrillic and Chinese.
    folder="$state/Отчёт 测试"
    rm -rf "$folder" && mkdir -p "$folder"
    report --samples 2 --csv "e2e/Отчёт 测试/прогон.csv" >/dev/null || exit 1
    [ "$(wc -l <"$folder/прогон.csv")" = 3 ] || { echo "no CSV in the Cyrillic folder"; exit 1; }
}

report_record_and_pictures() {
    # A record of two runs, pictures of a run and a comparison, and a warning when runs
    # drew different areas.
    rm -f "$state"/record*.json "$state"/*.svg "$state"/*.svg.png
    report --samples 6 --json e2e/record.json --plot e2e/run.svg | tail -n 1
    report --samples 6 --json e2e/record.json --append >/dev/null || exit 1
    /usr/bin/python3 -c '
import json, sys
r = json.load(open(sys.argv[1])); e = r["environment"]
print("program", r["program"]["version"], "| os", e["os"], "| wine", e["wine"], "| adapter", e["adapter"])
print("screen", e["screen"], "| dpi", e["dpi"], "| cpu", e["cpu"], "|", e["logical_processors"], "processors,", e["memory_mb"], "MB")
assert r["program"]["version"] == "1.3.0.0"
assert e["os"]["name"] and e["os"]["build"] and e["adapter"] and e["wine"]
assert e["screen"]["width"] == 16000 and e["screen"]["height"] == 10000 and e["screen"]["bits_per_pixel"] in (24, 32)
assert [len(run["samples"]) for run in r["runs"]] == [6, 6]
assert all(run["drawing_area"] == {"width": 900, "height": 600} for run in r["runs"])
assert all(run["started"].endswith("Z") for run in r["runs"])' "$state/record.json" || exit 1
    probe area 992 672 >/dev/null
    report --samples 4 --json e2e/record-larger.json >/dev/null || exit 1
    probe designed >/dev/null
    output=$(report --compare e2e/record.json e2e/record-larger.json --plot e2e/compare.svg)
    echo "$output" | grep -E '^(environment|WARNING|  )' | head -n 4
    grep -q '^WARNING: the runs drew different drawing areas (900 x 600, 992 x 672)' <<<"$output" ||
        exit 1
    for picture in run compare; do
        rsvg-convert -o "$state/$picture.svg.png" "$state/$picture.svg" || exit 1
        spread=$(convert "$state/$picture.svg.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)
        echo "$picture.svg renders, grey spread $spread"
        awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || exit 1
    done
}

report_keeps_rows_when_window_closes() {
    rm -f "$state/closed.code" "$state/closed.out" "$state/closed.csv"
    (report --samples 1000 --csv e2e/closed.csv >"$state/closed.out"; echo $? >"$state/closed.code") &
    sleep 3
    probe close
    for i in $(seq 100); do [ -s "$state/closed.code" ] && break; sleep 0.1; done
    cat "$state/closed.out"
    rows=$(($(wc -l <"$state/closed.csv") - 1))
    echo "exit code $(cat "$state/closed.code"), $rows rows kept"
    [ "$(cat "$state/closed.code")" = 3 ] && [ "$rows" -ge 2 ] &&
        grep -q 'the Zolvik window closed during the run' "$state/closed.out" &&
        grep -q "^single-pass durations: $rows samples" "$state/closed.out"
}

report_arguments() {
    # The program's side of the command line: the version, the usage, and a usage error's exit
    # code with the usage after it (which arguments are refused is a unit test's).
    output=$(report --version)
    [ "$output" = 1.3.0.0 ] || { echo "version: $output"; exit 1; }
    report --help | grep -q '^usage: zolvik-report' || { echo "no usage on --help"; exit 1; }
    output=$(report --samples 0.5)
    code=$?
    echo "--samples 0.5: exit code $code: $(head -n 1 <<<"$output")"
    [ "$code" = 1 ] && grep -q '^usage: zolvik-report' <<<"$output"
}

report_without_window() {
    # A window left by a case before was closed above.
    output=$(report --samples 3)
    code=$?
    echo "$output (exit code $code)"
    [ "$code" = 2 ] && grep -q 'no Zolvik window is open' <<<"$output"
}

report_undecodable_readout() {
    # The impostor must be the only window of the class.
    zolvik_alive && { probe close >/dev/null; wait_exit_code >/dev/null; }
    # exec, so that the id is the impostor's own and killing it ends it: a window of the same
    # class left behind would stand in for Zolvik in the tests after this one.
    (cd "$build" && exec "$ZOLVIK_WINE" zolvik_probe.exe impostor </dev/null >/dev/null 2>&1) &
    impostor=$!
    sleep 1.5
    output=$(report --samples 3)
    code=$?
    kill "$impostor" 2>/dev/null
    zolvik_wait_gone "$impostor" 10
    echo "$output (exit code $code)"
    [ "$code" = 4 ] && grep -q 'cannot be decoded' <<<"$output"
}

# The median of the durations in a results file's run 1.
median_of() {
    awk -F, '$1 == 1 { print $4 }' "$1" | sort -g | awk '{ d[NR] = $1 } END {
        if (NR == 0) { print 0 } else if (NR % 2) { print d[(NR + 1) / 2] }
        else { print (d[NR / 2] + d[NR / 2 + 1]) / 2 } }'
}

# The time a pass takes here, as a function of the millions of pixels it draws (a pass over
# w x h draws 1.5 w h): a P + b P^2 through passes measured at 8000 x 5000 and 12000 x 7500,
# since a million pixels costs more in larger areas, which leave the caches. Prints "a b".
# ZOLVIK_E2E_COST_SCALE multiplies it, to see the areas chosen on a machine twice as fast
# (0.5) or half as fast (2).
pass_cost() {
    local width height output medians=()
    for area in "8000 5000" "12000 7500"; do
        read -r width height <<<"$area"
        probe area "$width" "$height" >/dev/null || { echo "sizing $area failed" >&2; return 1; }
        rm -f "$state/calibrate.csv"
        output=$(report --samples 6 --csv e2e/calibrate.csv 2>&1) ||
            { echo "measuring a pass at $area failed: $output" >&2; return 1; }
        medians+=("$(median_of "$state/calibrate.csv")")
    done
    awk -v m1="${medians[0]}" -v m2="${medians[1]}" -v scale="${ZOLVIK_E2E_COST_SCALE:-1}" 'BEGIN {
        p1 = 60; p2 = 135
        b = (m2 / p2 - m1 / p1) / (p2 - p1); a = m1 / p1 - b * p1
        if (b < 0) { a = m2 / p2; b = 0 }
        printf "%.6f %.8f\n", a * scale, b * scale }'
}

# The largest drawing area that fits the session's 16000 x 10000 screen with the window at
# (0, 0): the frame and the top panel take the rest, with room to spare.
max_area_width=15800
max_area_height=9700

# Milliseconds a pass over `width` x `height` should take, by the cost "a b".
pass_ms() {
    awk -v w="$1" -v h="$2" -v a="$3" -v b="$4" 'BEGIN { p = 1.5 * w * h / 1e6; printf "%.0f\n", a * p + b * p * p }'
}

# "WIDTH HEIGHT" of a drawing area of 8:5 whose passes should take `target` ms at the cost
# "a b", or nothing when the screen cannot hold it.
area_for() {
    awk -v target="$1" -v a="$2" -v b="$3" -v mw="$max_area_width" -v mh="$max_area_height" 'BEGIN {
        mpx = b > 0 ? (-a + sqrt(a * a + 4 * b * target)) / (2 * b) : target / a
        pixels = mpx * 1e6 / 1.5
        w = int(sqrt(pixels * 1.6) / 4) * 4; h = int(pixels / w / 4) * 4
        if (w > mw) { w = mw; h = int(pixels / w / 4) * 4 }
        if (h <= mh && w >= 8 && h >= 8) print w, h }'
}

# One slow run at the area given: the sampler's guarantees, whatever the passes took here.
# Every sample comes, at most a tenth of the passes dropped, at most one look inside a pass a
# sample, and the back-to-back warning exactly when a pass took longer than the timer. Exit
# code 2: the run did not draw the area planted.
slow_run() {
    local label=$1 samples=$2 width=$3 height=$4 output code
    rm -f "$state/slow.json" "$state/slow-trace.csv"
    output=$(report --samples "$samples" --json e2e/slow.json --trace e2e/slow-trace.csv)
    code=$?
    grep -v '^sample ' <<<"$output" | sed 's/^/    /'
    [ "$code" = 0 ] || { echo "$label: exit code $code"; return 1; }
    SUMMARY=$output /usr/bin/python3 - "$label" "$samples" "$state/slow.json" "$width" "$height" <<'CHECK'
import json, os, re, statistics, sys
text = os.environ["SUMMARY"]
label, samples = sys.argv[1], int(sys.argv[2])
run = json.load(open(sys.argv[3]))["runs"][0]
area = run["drawing_area"]
if [area["width"], area["height"]] != [int(sys.argv[4]), int(sys.argv[5])]:
    print("%s: the run drew %d x %d, not the area planted" % (label, area["width"], area["height"]))
    sys.exit(2)
durations = [s["duration_ms"] for s in run["samples"]]
dropped = int(re.search(r"^  dropped (\d+)$", text, re.M).group(1))
inside = float(re.search(r"([0-9.]+) inside a pass a sample", text).group(1))
warned = "passes ran back to back" in text
longest = max(durations)
print("%s: median %.1f ms (%.1f-%.1f), %d dropped, %.2f looks inside a pass a sample, "
      "back-to-back warning %s" % (label, statistics.median(durations), min(durations),
                                   longest, dropped, inside, "yes" if warned else "no"))
ok = (len(durations) == samples and dropped <= 0.1 * (samples + dropped) and inside <= 1.0
      and warned == (longest > 500))
sys.exit(0 if ok else 1)
CHECK
}

report_slow_passes() {
    # Passes between the short and the back-to-back regimes (about 0.4 s) and of more than a
    # second (back to back), planted by area on the large screen, each area chosen from the
    # cost of a pass measured here first. Where the screen cannot hold an area, the program's
    # CPU is held back (cgroup v1) at the largest area instead, or the target is skipped.
    probe desktop move 0 0 >/dev/null || exit 1
    # The cost is checked apart from reading it: a failed measurement must end the case, not
    # plant areas from no cost at all.
    costs=$(pass_cost) || exit 1
    read -r cost_a cost_b <<<"$costs"
    echo "a pass here takes $cost_a ms a million pixels plus $cost_b ms a million pixels squared${ZOLVIK_E2E_COST_SCALE:+ (scaled by ZOLVIK_E2E_COST_SCALE=$ZOLVIK_E2E_COST_SCALE)}"
    status=0
    # Twelve samples each, so that one pass dropped stays under a tenth.
    # ZOLVIK_E2E_SLOW_TARGETS (ms, default "400 1400") plants others, as a check by hand.
    for target in ${ZOLVIK_E2E_SLOW_TARGETS:-400 1400}; do
        samples=12
        area=$(area_for "$target" "$cost_a" "$cost_b")
        share=""
        if [ -z "$area" ]; then
            if ! cpu_group_usable; then
                echo "target $target ms: SKIPPED: the screen cannot hold the area it needs, and no cgroup v1 cpu controller is writable to slow the program instead"
                continue
            fi
            area="$max_area_width $(( (max_area_height / 4) * 4 ))"
            reach=$(pass_ms $area "$cost_a" "$cost_b")
            quota=$(awk -v r="$reach" -v t="$target" 'BEGIN { q = int(100000 * r / t); print (q < 1000 ? 1000 : q) }')
            cpu_group_hold "$(cat "$state/zolvik.pid")" 100000 "$quota" || exit 1
            share=", the program held to $((quota / 1000)) % of a CPU"
        fi
        read -r width height <<<"$area"
        echo "target $target ms: drawing area $width x $height$share"
        for attempt in 1 2; do
            probe area "$width" "$height" >/dev/null || exit 1
            slow_run "target $target ms" "$samples" "$width" "$height"
            code=$?
            [ "$code" = 2 ] || break
        done
        [ "$code" = 0 ] || status=1
        cpu_group_release
    done
    exit $status
}

report_starved_program() {
    # The program let run for 5 ms in every second (tests/e2e/throttle.py stops it for the
    # rest), at the designed area: a pass a second, and every message, the resets included,
    # answered only in the program's next waking moment. Six samples, about one a second.
    # A few passes at full speed first: after a case that drew huge areas the program has
    # work left (the window's surface) that would take minutes starved.
    report --samples 3 >/dev/null || exit 1
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/throttle.py" --periodic 995 1000 "$(cat "$state/zolvik.pid")" &
    throttle=$!
    rm -f "$state/starved.csv" "$state/starved-trace.csv"
    output=$(timeout 150 bash -c "$(declare -f report); build='$build' ZOLVIK_WINE='$ZOLVIK_WINE' report --samples 6 --csv e2e/starved.csv --trace e2e/starved-trace.csv --patience 60")
    code=$?
    kill "$throttle"
    wait "$throttle"
    echo "exit code $code:"
    grep -v '^sample ' <<<"$output"
    [ "$code" = 0 ] && [ "$(grep -c '^1,' "$state/starved.csv")" = 6 ] || { cat "$state/starved-trace.csv"; exit 1; }
}

report_ctrl_c_keeps_the_run() {
    # Ctrl+C (a SIGINT, which Wine hands the console program as CTRL_C_EVENT) in the middle of
    # a run of 1000 samples: the run so far is written to the record, marked as interrupted,
    # the CSV keeps its rows, the exit code is 8, and a comparison names the run.
    local i rows code
    rm -f "$state/stopped.json" "$state/stopped.csv" "$state/stopped.out"
    (cd "$build" && exec "$ZOLVIK_WINE" zolvik-report.exe --samples 1000 --json e2e/stopped.json \
        --csv e2e/stopped.csv </dev/null >"$state/stopped.out" 2>&1) &
    local pid=$!
    for i in $(seq 150); do
        rows=$(grep -c '^1,' "$state/stopped.csv" 2>/dev/null)
        [ "${rows:-0}" -ge 5 ] && break
        sleep 0.2
    done
    kill -INT "$pid"
    wait "$pid"
    code=$?
    tr -d '\r' <"$state/stopped.out" | grep -v '^sample '
    echo "exit code $code after ${rows:-0} rows"
    [ "$code" = 8 ] || exit 1
    /usr/bin/python3 - "$state/stopped.json" "$state/stopped.csv" <<'CHECK' || exit 1
import json, sys
run = json.load(open(sys.argv[1]))["runs"][0]
rows = sum(1 for line in open(sys.argv[2]) if line.startswith("1,"))
print("record: %d samples, interrupted %s; CSV: %d rows" % (len(run["samples"]), run["interrupted"], rows))
sys.exit(0 if run["interrupted"] and 5 <= len(run["samples"]) == rows else 1)
CHECK
    ensure_record e2e/report.csv 10
    output=$(report --compare e2e/stopped.json e2e/report.csv)
    grep -q '^WARNING: A run 1: interrupted before its end' <<<"$output" || { echo "$output"; exit 1; }
}
