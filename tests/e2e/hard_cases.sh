# The harder cases of zolvik-report on Wine, sourced by e2e.sh: slow passes, a starved
# program, a person's desktop, the diagnosis and scaled displays. Each returns the test's
# verdict; they use e2e.sh's helpers and session.

report_slow() {
    # Passes of most of a second and of more than one, planted by area on the large screen:
    # each takes longer than the timer, so they run back to back. Every sample must come,
    # with few drops and at most one look inside a pass a sample on average.
    zolvik_alive || start_zolvik
    probe desktop move 0 0 >/dev/null || exit 1
    for planted in "8992 5612 12" "11992 7912 8"; do
        read -r width height samples <<<"$planted"
        probe area "$width" "$height" >/dev/null || exit 1
        rm -f "$state/slow.csv" "$state/slow-trace.csv"
        output=$(report --samples "$samples" --csv e2e/slow.csv --trace e2e/slow-trace.csv)
        code=$?
        echo "drawing area $width x $height, exit code $code:"
        grep -v '^sample ' <<<"$output"
        [ "$code" = 0 ] && [ "$(grep -c '^1,' "$state/slow.csv")" = "$samples" ] || exit 1
        grep -q 'passes ran back to back' <<<"$output" || { echo "no back-to-back warning"; exit 1; }
        SUMMARY=$output /usr/bin/python3 - "$samples" "$state/slow-trace.csv" <<'CHECK' || exit 1
import os, re, sys
text = os.environ["SUMMARY"]
samples = int(sys.argv[1])
dropped = int(re.search(r"^  dropped (\d+)$", text, re.M).group(1))
inside = float(re.search(r"([0-9.]+) inside a pass a sample", text).group(1))
median = float(re.search(r"^  median +([0-9.]+)$", text, re.M).group(1))
looks = sum(1 for line in open(sys.argv[2]) if ",look," in line)
print("median %.1f ms, %d dropped, %.2f looks inside a pass a sample, %d looks traced"
      % (median, dropped, inside, looks))
sys.exit(0 if dropped <= 0.1 * (samples + dropped) and inside <= 1.0 and median > 500 else 1)
CHECK
    done
    probe designed >/dev/null
}

report_starved() {
    # Every thread of the program held to 1 ms of CPU a second (cgroup v1): passes take
    # seconds and every message, the resets included, is handled as slowly.
    zolvik_alive || start_zolvik
    cpu=/sys/fs/cgroup/cpu
    if [ "$(id -u)" != 0 ] || [ ! -w "$cpu/tasks" ]; then
        echo "SKIP: needs root and a writable cgroup v1 cpu controller at $cpu"
        exit 77
    fi
    sleep 2 # the window settles after the last test's resizing
    group="$cpu/zolvik-e2e-$$"
    mkdir "$group" && echo 1000000 >"$group/cpu.cfs_period_us" && echo 1000 >"$group/cpu.cfs_quota_us" || exit 1
    pid=$(cat "$state/zolvik.pid")
    for task in /proc/"$pid"/task/*; do echo "${task##*/}" >"$group/tasks"; done
    rm -f "$state/starved.csv" "$state/starved-trace.csv"
    output=$(timeout 150 bash -c "$(declare -f report); build='$build' ZOLVIK_WINE='$ZOLVIK_WINE' report --samples 3 --csv e2e/starved.csv --trace e2e/starved-trace.csv --patience 60")
    code=$?
    while read -r task; do echo "$task" >"$cpu/tasks"; done <"$group/tasks"
    rmdir "$group"
    echo "exit code $code:"
    grep -v '^sample ' <<<"$output"
    [ "$code" = 0 ] && [ "$(grep -c '^1,' "$state/starved.csv")" = 3 ] || { cat "$state/starved-trace.csv"; exit 1; }
}

report_desktop() {
    # A desktop during a run: minimized and restored, a window over the top panel, moved,
    # half off the screen and back. The run pauses and goes on; no sample comes from a pass
    # drawn while the window could not be seen (those take a fraction of a millisecond).
    zolvik_alive || start_zolvik
    probe designed >/dev/null
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
    zolvik_alive || start_zolvik
    probe designed >/dev/null
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

report_dpi() {
    # Scaled displays as Wine has them: LogPixels 120, 144 and 192 for a Zolvik started
    # afresh; the readout must be read, or refused, never misread. 96 again at the end.
    set_dpi() {
        local key
        for key in 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
                   'HKCU\Control Panel\Desktop'; do
            "$ZOLVIK_WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
        done
    }
    restart() {
        zolvik_alive && { probe close >/dev/null; wait_exit_code >/dev/null; }
        start_zolvik
    }
    status=0
    for dpi in 120 144 192; do
        set_dpi "$dpi"
        restart
        report --check | grep -E 'display|readout|ready'
        rm -f "$state/dpi.csv"
        report --samples 6 --csv e2e/dpi.csv >"$state/dpi.out"
        code=$?
        rows=$(grep -c '^1,' "$state/dpi.csv" 2>/dev/null)
        echo "LogPixels $dpi: exit code $code, $rows samples"
        [ "$code" = 0 ] && [ "$rows" = 6 ] || { cat "$state/dpi.out"; status=1; }
    done
    set_dpi 96
    restart
    exit $status
}

report_spaced_runs() {
    # --runs 3 --pause 2: three runs into one record with their pauses kept, and the progress
    # as plain lines, since the output is a pipe here. Then three sides compared at once.
    zolvik_alive || start_zolvik
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
    output=$(report --compare e2e/spaced.json e2e/record.json e2e/spaced.csv --markdown e2e/spaced.md)
    code=$?
    echo "$output" | tail -n 5
    [ "$code" = 0 ] && grep -q '^side  runs  samples' <<<"$output" || exit 1
    /usr/bin/python3 -c 'import markdown, sys
html = markdown.markdown(open(sys.argv[1], encoding="utf-8").read(), extensions=["tables"])
print("Markdown report:", html.count("<table>"), "tables,", html.count("<tr>"), "rows")
sys.exit(0 if html.count("<table>") == 2 else 1)' "$state/spaced.md"
}
