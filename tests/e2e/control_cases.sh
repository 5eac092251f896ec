# The control on Wine: a machine made slower for both programs told apart from a drawing path
# made slower for Zolvik alone. Sourced by e2e.sh; each case is the function named after its
# CTest test.

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

report_machine_and_driver_told_apart() {
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
# C: a drawing path four times as slow for Zolvik alone is never called faster or the same,
# and is called slower wherever these runs resolve a difference of half the planted one
# (a machine made slower still by other load can leave its runs too spread to tell).
ok &= cc["verdict"] not in ("faster", "same")
if cc["resolution"] is not None and cc["resolution"] < 2:
    ok &= cc["verdict"] == "slower" and cc["on_screen_per_in_memory"]["verdict"] == "slower"
else:
    print("NOTE: C's runs resolve only differences beyond %s: no verdict is required"
          % ("any size" if cc["resolution"] is None else "x%.2f" % cc["resolution"]))
md = open(sys.argv[2], encoding="utf-8").read()
ok &= "On screen / in memory, to A" in md
sys.exit(0 if ok else 1)
CHECK
}
