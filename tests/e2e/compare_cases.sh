# Comparing runs on Wine: one build against itself and against a planted difference, CSV
# files, runs spaced by --pause and three sides. Sourced by e2e.sh; each case is the function
# named after its CTest test.

report_same_build_and_planted_difference() {
    # Runs of one build against each other (A and B), interleaved with runs at twice the
    # drawing area's pixels (1273 x 849, P), a round of three runs at a time. Passes on this
    # shared machine drift by tens of per cent over seconds (a 1000 x 760 client area, about
    # 1.26 times the work, stayed inconclusive after eight runs a side), so rounds go on until
    # A against P is decided, as a user is told to ("record more runs"), up to a limit. A
    # against B must then give no slower or faster verdict, and A against P "slower" with an
    # interval that meets the one the probe measures pass by pass, side by side, from the
    # program's own readout.
    samples=${ZOLVIK_RUN_SAMPLES:-12}
    rounds=${ZOLVIK_RUN_ROUNDS:-8}
    verdict() { /usr/bin/python3 -c 'import json, sys; print(json.load(sys.stdin)["verdict"])'; }
    rm -f "$state"/aa-a.csv "$state"/aa-b.csv "$state"/planted.csv
    local order=(a b p) side k
    for round in $(seq "$rounds"); do
        # Each side takes each place in a round in turn (A B P, B P A, P A B, ...), so that
        # a drift within a round, or what follows a resize, falls on all three alike.
        for k in 0 1 2; do
            side=${order[$(((round - 1 + k) % 3))]}
            if [ "$side" = p ]; then
                probe area 1273 849 >/dev/null
                report --samples "$samples" --csv e2e/planted.csv --append >/dev/null || exit 1
            else
                probe designed >/dev/null
                report --samples "$samples" --csv "e2e/aa-$side.csv" --append >/dev/null || exit 1
            fi
        done
        [ "$round" -ge 3 ] || continue
        so_far=$(report --compare e2e/aa-a.csv e2e/planted.csv --json - | verdict)
        echo "round $round: A against P: $so_far"
        [ "$so_far" = slower ] && break
    done
    probe designed >/dev/null
    reference=$(probe sidebyside 1273 849 40 | tr -d '\r' | grep '^side-by-side ratio:')
    echo "probe, pass by pass: $reference"
    same=$(report --compare e2e/aa-a.csv e2e/aa-b.csv)
    echo "$same"
    report --compare e2e/aa-a.csv e2e/planted.csv | tail -n 6
    planted=$(report --compare e2e/aa-a.csv e2e/planted.csv --json -)
    ! grep -qE '^B: .* (slower|faster) than A' <<<"$same" || { echo "A/A gave a verdict"; exit 1; }
    # The two intervals must meet: the runs' ratio agrees with the one measured side by side.
    /usr/bin/python3 -c '
import json, re, sys
c = json.loads(sys.argv[1])
m = re.search(r"ratio: ([0-9.]+) \(95 % interval ([0-9.]+)-([0-9.]+)\)", sys.argv[2])
low, high = float(m.group(2)), float(m.group(3))
print("planted: %s over %d runs a side, ratio %.3f, interval %.3f-%.3f; side by side %.3f-%.3f"
      % (c["verdict"], c["a"]["runs"], c["ratio"], c["low"], c["high"], low, high))
sys.exit(0 if c["verdict"] == "slower" and c["low"] <= high and low <= c["high"] else 1)' "$planted" "$reference"
}

report_compare_csv_files() {
    ensure_record e2e/report.csv 10
    ensure_record e2e/closed.csv 6
    output=$(report --compare e2e/report.csv e2e/closed.csv)
    code=$?
    echo "$output"
    [ "$code" = 0 ] && grep -q '^  raw times  *B/A [0-9.]*  ' <<<"$output" &&
        grep -q '^B: no verdict: ' <<<"$output" || exit 1
    printf 'index,seconds,duration_ms\n1,0.5,4.0\n2,x,5\n' >"$state/malformed.csv"
    output=$(report --compare e2e/report.csv e2e/malformed.csv)
    code=$?
    echo "$output (exit code $code)"
    [ "$code" = 5 ] && grep -q 'malformed.csv:3: malformed row' <<<"$output" || exit 1
    output=$(report --compare e2e/report.csv e2e/absent.csv)
    code=$?
    echo "$output (exit code $code)"
    [ "$code" = 5 ] && grep -q 'absent.csv: cannot open' <<<"$output"
}

report_spaced_runs_and_three_sides() {
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

report_records_to_a_precision() {
    # --precision with a loose target: the pilot's three runs are enough, each marked in the
    # record; where it stands after each run, the noise from the second, the plan at the end;
    # then --plan from the record and a comparison's figures of precision as JSON.
    rm -f "$state/precise.json" "$state/precise.out"
    (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe --precision 60 --samples 24 --runs 4 \
        --pause 1 --json e2e/precise.json </dev/null >"$state/precise.out" 2>&1)
    code=$?
    tr -d '\r' <"$state/precise.out" | grep -E '^(precision|plan|noise)'
    echo "exit code $code"
    [ "$code" = 0 ] || exit 1
    plan=$(report --plan 5 e2e/precise.json)
    code=$?
    echo "$plan" | tail -n 1
    [ "$code" = 0 ] && grep -q '^plan: to resolve +-5.0 % against a side recorded alike' <<<"$plan" ||
        { echo "no plan from the record (exit code $code)"; exit 1; }
    report --compare e2e/precise.json e2e/precise.json --json - >"$state/precise-compare.json" ||
        exit 1
    /usr/bin/python3 - "$state/precise.json" "$state/precise.out" "$state/precise-compare.json" <<'CHECK' || exit 1
import json, sys
record = json.load(open(sys.argv[1]))
out = open(sys.argv[2]).read().replace("\r\n", "\n")
compared = json.load(open(sys.argv[3]))
runs = record["runs"]
assert [r["precision"] for r in runs] == [{"target_percent": 60, "pilot": True}] * 3, runs
assert "precision: after 1 run, at least 2 more to measure how far runs differ" in out, out
assert "noise of 2 runs" in out and "noise of 3 runs" in out, out
assert "after 3 runs; done" in out, out
assert "plan: to resolve +-60.0 % against a side recorded alike: " in out, out
assert record["noise"]["on_screen_per_in_memory"]["runs"] == 3, record["noise"]
assert record["plan"]["target_percent"] == 5, record["plan"]
# A side against itself: never slower or faster, what its runs would call each way, the plan.
assert compared["verdict"] in ("same", "inconclusive") and compared["ratio"] == 1, compared
assert compared["slower_from"] > 1 > compared["faster_from"] > 0, compared
side = compared["sides"][1]
assert side["resolution_limit"]["slower"] in ("raw_times", "relative", "machine_band"), side
assert side["plan"]["figure"] == "on_screen_per_in_memory", side["plan"]
assert side["noise"]["raw"]["runs"] == 3, side["noise"]
print("record of %d pilot runs; slower from %.3f, faster from %.3f, limited by %s"
      % (len(runs), compared["slower_from"], compared["faster_from"],
         side["resolution_limit"]["slower"]))
CHECK
}
