# The harder cases of zolvik-report on Wine, sourced by e2e.sh: slow passes, a starved
# program, a person's desktop, the diagnosis and scaled displays. Each returns the test's
# verdict; they use e2e.sh's helpers and session.

# cgroup v1's cpu controller, where this machine lets root write it: a group that holds a
# process's threads to QUOTA µs of CPU in every PERIOD µs. The group is left on every way out
# of the case (the driver's EXIT trap calls cpu_group_release).
cpu=/sys/fs/cgroup/cpu
cpu_group=""
cpu_group_usable() {
    [ "$(id -u)" = 0 ] && [ -w "$cpu/tasks" ]
}
cpu_group_hold() {
    local pid=$1 period=$2 quota=$3 task
    cpu_group="$cpu/zolvik-e2e-$$"
    mkdir -p "$cpu_group" && echo "$period" >"$cpu_group/cpu.cfs_period_us" &&
        echo "$quota" >"$cpu_group/cpu.cfs_quota_us" || return 1
    for task in /proc/"$pid"/task/*; do echo "${task##*/}" >"$cpu_group/tasks"; done
}
cpu_group_release() {
    [ -n "$cpu_group" ] && [ -d "$cpu_group" ] || return 0
    local task
    while read -r task; do echo "$task" >"$cpu/tasks" 2>/dev/null; done <"$cpu_group/tasks"
    rmdir "$cpu_group" 2>/dev/null
    cpu_group=""
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
    local width height medians=()
    for area in "8000 5000" "12000 7500"; do
        read -r width height <<<"$area"
        probe area "$width" "$height" >/dev/null || return 1
        rm -f "$state/calibrate.csv"
        report --samples 6 --csv e2e/calibrate.csv >/dev/null || return 1
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

report_slow() {
    # Passes between the short and the back-to-back regimes (about 0.4 s) and of more than a
    # second (back to back), planted by area on the large screen, each area chosen from the
    # cost of a pass measured here first. Where the screen cannot hold an area, the program's
    # CPU is held back (cgroup v1) at the largest area instead, or the target is skipped.
    probe desktop move 0 0 >/dev/null || exit 1
    read -r cost_a cost_b <<<"$(pass_cost)" || exit 1
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

report_starved() {
    # The program let run for 5 ms in every second (tests/e2e/throttle.py stops it for the
    # rest), at the designed area: a pass a second, and every message, the resets included,
    # answered only in the program's next waking moment. Six samples, about one a second.
    # A few passes at full speed first: after a case that drew huge areas the program has
    # work left (the window's surface) that would take minutes starved.
    report --samples 3 >/dev/null || exit 1
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/throttle.py" 995 1000 "$(cat "$state/zolvik.pid")" &
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

report_desktop() {
    # A desktop during a run: minimized and restored, a window over the top panel, moved,
    # half off the screen and back. The run pauses and goes on; no sample comes from a pass
    # drawn while the window could not be seen (those take a fraction of a millisecond).
    probe desktop move 40 40 >/dev/null
    rm -f "$state/desktop.csv"
    (report --samples 40 --csv e2e/desktop.csv >"$state/desktop.out"; echo $? >"$state/desktop.code") &
    sleep 3; probe desktop minimize >/dev/null
    sleep 3; probe desktop restore >/dev/null
    sleep 2; probe desktop cover 3 >/dev/null
    sleep 1; probe desktop move 300 200 >/dev/null
    sleep 1; probe desktop move -500 200 >/dev/null
    sleep 3; probe desktop move 40 40 >/dev/null
    wait
    code=$(cat "$state/desktop.code")
    echo "exit code $code:"
    grep -v '^sample ' "$state/desktop.out"
    [ "$code" = 0 ] && [ "$(grep -c '^1,' "$state/desktop.csv")" = 40 ] || exit 1
    grep -q 'paused: Zolvik is minimized: restore it to go on' "$state/desktop.out" || exit 1
    grep -q 'paused: .*not wholly on the screen' "$state/desktop.out" || exit 1
    /usr/bin/python3 - "$state/desktop.csv" <<'CHECK'
import statistics, sys
durations = [float(line.split(",")[3]) for line in open(sys.argv[1]).read().splitlines()[1:]]
median = statistics.median(durations)
print("median %.3f ms, least %.3f ms" % (median, min(durations)))
sys.exit(0 if min(durations) > 0.4 * median else 1)
CHECK
}

report_check() {
    # The diagnosis a person runs first: ready on a plain desktop, and what to do when not.
    probe desktop move 40 40 >/dev/null
    output=$(report --check)
    code=$?
    echo "$output (exit code $code)"
    [ "$code" = 0 ] && grep -q '^ready' <<<"$output" && grep -q 'readout: [0-9.]* ms' <<<"$output" || exit 1
    probe desktop minimize >/dev/null
    output=$(report --check)
    code=$?
    probe desktop restore >/dev/null
    echo "$output (exit code $code)"
    [ "$code" = 4 ] && grep -q 'minimized: restore it to go on' <<<"$output"
}

# LogPixels for the programs started from now on; `dpi_set` tells the driver's EXIT trap to
# put 96 back and restart Zolvik, however the case ends.
dpi_set=""
set_dpi() {
    local key
    for key in 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
               'HKCU\Control Panel\Desktop'; do
        "$ZOLVIK_WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    done
    [ "$1" = 96 ] && dpi_set="" || dpi_set=$1
}
restart_zolvik() {
    zolvik_alive && { probe close >/dev/null; wait_exit_code >/dev/null; }
    start_zolvik
}

report_dpi() {
    # Scaled displays as Wine has them: LogPixels 120, 144 and 192 for a Zolvik started
    # afresh; the readout must be read, or refused, never misread. 96 again at the end.
    status=0
    for dpi in 120 144 192; do
        set_dpi "$dpi"
        restart_zolvik
        report --check | grep -E 'display|readout|ready'
        rm -f "$state/dpi.csv"
        report --samples 6 --csv e2e/dpi.csv >"$state/dpi.out"
        code=$?
        rows=$(grep -c '^1,' "$state/dpi.csv" 2>/dev/null)
        echo "LogPixels $dpi: exit code $code, $rows samples"
        [ "$code" = 0 ] && [ "$rows" = 6 ] || { cat "$state/dpi.out"; status=1; }
    done
    set_dpi 96
    restart_zolvik
    exit $status
}

report_spaced_runs() {
    # --runs 3 --pause 2: three runs into one record with their pauses kept, and the progress
    # as plain lines, since the output is a pipe here. Then three sides compared at once.
    rm -f "$state/spaced.json" "$state/spaced.out" "$state/spaced.csv" "$state/spaced.md"
    (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe --samples 6 --runs 3 --pause 2 \
        --json e2e/spaced.json </dev/null >"$state/spaced.out" 2>&1)
    code=$?
    tr -d '\r' <"$state/spaced.out" | grep -E '^run '
    echo "exit code $code"
    [ "$code" = 0 ] || exit 1
    /usr/bin/python3 - "$state/spaced.json" "$state/spaced.out" <<'CHECK' || exit 1
import datetime, json, re, sys
record = json.load(open(sys.argv[1]))
out = open(sys.argv[2], newline="").read()
runs = record["runs"]
starts = [datetime.datetime.strptime(r["started"], "%Y-%m-%dT%H:%M:%SZ") for r in runs]
# A run starts after the last sample of the one before and the pause; "started" has whole
# seconds, so one second of slack.
gaps = [(starts[i + 1] - starts[i]).total_seconds() - runs[i]["samples"][-1]["seconds"]
        for i in range(len(runs) - 1)]
e = record["environment"]
print("runs %s, gaps after the last sample %s s, power source %s, scheme %s"
      % ([len(r["samples"]) for r in runs], ["%.1f" % g for g in gaps], e["power_source"],
         e["power_scheme"]))
assert [len(r["samples"]) for r in runs] == [6, 6, 6]
assert all(g >= 1 for g in gaps), gaps
assert "power_source" in e and "power_scheme" in e
assert re.search(r"\r(?!\n)", out) is None, "a line was rewritten in place in a pipe"
text = out.replace("\r\n", "\n")
for line in ["run 1 of 3, sample 1 of 6", "run 3 of 3, sample 6 of 6, about 0 s left",
             "run 2 of 3 starts in 2 s", "run 3 of 3 starts in 2 s"]:
    assert re.search("^" + re.escape(line), text, re.M), line
CHECK
    report --samples 3 --runs 2 --pause 0 --csv e2e/spaced.csv >/dev/null || exit 1
    [ "$(grep -c '^2,' "$state/spaced.csv")" = 3 ] || { echo "run 2 is not in the CSV"; exit 1; }
    ensure_record e2e/record.json 6
    output=$(report --compare e2e/spaced.json e2e/record.json e2e/spaced.csv --markdown e2e/spaced.md)
    code=$?
    echo "$output" | tail -n 5
    [ "$code" = 0 ] && grep -q '^side  runs  samples' <<<"$output" || exit 1
    /usr/bin/python3 -c 'import markdown, sys
html = markdown.markdown(open(sys.argv[1], encoding="utf-8").read(), extensions=["tables"])
print("Markdown report:", html.count("<table>"), "tables,", html.count("<tr>"), "rows")
sys.exit(0 if html.count("<table>") == 2 else 1)' "$state/spaced.md"
}

# Three runs of 12 passes into record $1 while a slower machine is planted by
# tests/e2e/throttle.py: every process in $2 ("zolvik", "report") stopped for $3 ms in every
# 4 ms. "zolvik report" is a machine that much slower for both programs; "zolvik" alone is a
# slower drawing path, which the control in memory does not share.
record_throttled() {
    local file=$1 who=$2 off=$3 zolvik report_pid throttle pids
    zolvik=$(cat "$state/zolvik.pid")
    (cd "$build" && exec "$ZOLVIK_WINE" zolvik-report.exe --samples 12 --runs 3 --pause 0 \
        --json "$file" </dev/null >/dev/null 2>&1) &
    report_pid=$!
    pids=$zolvik
    [ "$who" = "zolvik report" ] && pids="$zolvik $report_pid"
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/throttle.py" "$off" 4 $pids &
    throttle=$!
    wait "$report_pid"
    local code=$?
    kill "$throttle" 2>/dev/null
    wait "$throttle" 2>/dev/null
    return $code
}

report_machine() {
    # The same build three ways, three runs a side: A as it is, B on a machine half as fast
    # for both programs alike, C with Zolvik's drawing alone a quarter as fast. B must get no
    # verdict that the control explains, and a warning that names the machine where the
    # control shows it; C must be found slower, by raw times and relative to memory.
    rm -f "$state"/machine-*.json "$state/machine.md"
    report --samples 12 --runs 3 --pause 0 --json e2e/machine-a.json >/dev/null || exit 1
    record_throttled e2e/machine-b.json "zolvik report" 2 || exit 1
    record_throttled e2e/machine-c.json zolvik 3 || exit 1
    output=$(report --compare e2e/machine-a.json e2e/machine-b.json e2e/machine-c.json \
                    --json - --markdown e2e/machine.md)
    [ $? = 0 ] || { echo "$output"; exit 1; }
    report --compare e2e/machine-a.json e2e/machine-b.json e2e/machine-c.json | tail -n 12
    /usr/bin/python3 - "$output" "$state/machine.md" <<'CHECK'
import json, sys
c = json.loads(sys.argv[1])
a, b, cc = c["sides"]
for s in (b, cc):
    print("%s: raw %.2f (%s), in memory %.2f (%s), on screen / in memory %.2f (%s): %s"
          % (s["side"], s["ratio"], s["raw_verdict"], s["in_memory"]["ratio"],
             s["in_memory"]["verdict"], s["on_screen_per_in_memory"]["ratio"],
             s["on_screen_per_in_memory"]["verdict"], s["verdict"]))
# B: the same build on a slower machine is called neither slower nor faster, whatever the
# raw times say; where the control shows the machine's change, a warning names it.
ok = b["verdict"] not in ("slower", "faster")
if b["in_memory"]["verdict"] in ("slower", "faster"):
    ok &= any("the machine itself ran" in w for w in c["warnings"]) and b["machine"] == "changed"
else:
    print("NOTE: the control's own runs spread too far to show the machine's change")
ok &= cc["verdict"] == "slower" and cc["on_screen_per_in_memory"]["verdict"] == "slower"
md = open(sys.argv[2], encoding="utf-8").read()
ok &= "On screen / in memory, to A" in md
sys.exit(0 if ok else 1)
CHECK
}

# The zolvik-report commands the README and the manual show, run on Wine in the order shown,
# each document in a folder of its own: as shown, but with 6 samples a run, 2 runs and pauses
# of a second, so that the suite stays short.
docs_commands() {
    local root doc folder line code status=0
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    : >"$state/docs-commands.txt"
    for doc in README.md docs/manual.md; do
        folder="$state/docs-$(basename "$doc" .md)"
        rm -rf "$folder" && mkdir -p "$folder"
        local ran=0
        while IFS= read -r line; do
            [ -n "$line" ] || continue
            ran=$((ran + 1))
            [ "${line#\#seen }" = "$line" ] || { echo "$doc: ${line#\#seen }: run above"; continue; }
            read -ra words <<<"$line"
            (cd "$folder" && "$ZOLVIK_WINE" "$build/zolvik-report.exe" "${words[@]:1}" \
                </dev/null >"$folder/out.txt" 2>&1)
            code=$?
            echo "$doc: $line: exit code $code"
            if [ "$code" != 0 ]; then
                tr -d '\r' <"$folder/out.txt" | tail -n 5
                status=1
            fi
        done < <(/usr/bin/python3 - "$root/$doc" "$state/docs-commands.txt" <<'EXTRACT'
import re, sys
inside, runnable, shown = False, False, []
for line in open(sys.argv[1], encoding="utf-8"):
    stripped = line.strip()
    if stripped.startswith("```"):
        inside = not inside
        runnable = inside and stripped[3:] in ("sh", "bat", "")
        continue
    if runnable and stripped.startswith("zolvik-report"):
        command = stripped.split(" #")[0].strip()
        command = re.sub(r"--samples \d+", "--samples 6", command)
        command = re.sub(r"--runs \d+", "--runs 2", command)
        command = re.sub(r"--pause \d+", "--pause 1", command)
        if "--sweep" in command:
            # A sweep visits eight areas: once a round, one pass a visit.
            command = re.sub(r" --(samples|runs) \d+", "", command) + " --samples 1 --runs 2"
        elif "--runs" in command and "--pause" not in command:
            command += " --pause 1"
        # A command the README already ran is not run again for the manual.
        if command in open(sys.argv[2]).read().splitlines():
            command = "#seen " + command
        else:
            open(sys.argv[2], "a").write(command + "\n")
        shown.append(command)
print("\n".join(shown))
EXTRACT
        )
        [ "$ran" -gt 0 ] || { echo "$doc: no zolvik-report commands found"; status=1; }
        ls "$folder" | grep -v out.txt | tr '\n' ' '
        echo
    done
    return $status
}
