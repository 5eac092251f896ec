# The sweep of drawing areas on Wine, and the window put back after it however it ends:
# finished, stopped with Ctrl+C, or with its window closed. Sourced by e2e.sh; each case is the
# function named after its CTest test.

window_state() {
    probe desktop state | head -n 1
}

# Starts a sweep in the background (exec, so that its id is the Windows process's own and a
# SIGINT reaches it as Ctrl+C) and waits until it has resized the window.
start_sweep() {
    local before=$1 i
    (cd "$build" && exec "$ZOLVIK_WINE" zolvik-report.exe --sweep --samples 2 --json e2e/cut.json \
        </dev/null >"$state/cut.out" 2>&1) &
    sweep_pid=$!
    for i in $(seq 100); do
        [ "$(window_state)" != "$before" ] && return 0
        sleep 0.2
    done
    echo "the sweep never resized the window"
    return 1
}

report_sweep_and_window_put_back() {
    # A window the person had made resizable, sized and moved: after the sweep it stands so.
    probe area 700 500 >/dev/null
    probe desktop move 60 40 >/dev/null
    local before output code
    before=$(window_state)
    rm -f "$build/e2e/sweep.json" "$build/e2e/sweep.svg" "$build/e2e/cut.json"
    output=$(report --sweep --samples 2 --runs 2 --json e2e/sweep.json --plot e2e/sweep.svg)
    code=$?
    grep -v -E '^(sample|visit) ' <<<"$output"
    echo "before: $before"
    echo "after:  $(window_state)"
    [ "$code" = 0 ] && [ "$(window_state)" = "$before" ] || exit 1
    grep -q 'per line call (us)' <<<"$output" && [ -s "$build/e2e/sweep.svg" ] || exit 1
    /usr/bin/python3 - "$build/e2e/sweep.json" <<'CHECK' || exit 1
import json, statistics, sys
sweep = json.load(open(sys.argv[1]))
visits = sweep["visits"]
areas = {(v["client_area"]["width"], v["client_area"]["height"]) for v in visits}
print("%d visits to %d areas; warnings: %s" % (len(visits), len(areas), sweep["warnings"]))
assert len(areas) == 8 and len(visits) == 16, "every area twice"
assert all(v["passes_ms"] and v["controls_ms"] for v in visits), "passes and a control at each"
assert not any(w["code"] == "area_not_as_asked" for w in sweep["warnings"]), "each area as asked"
# The areas were drawn: the largest takes far longer than 400 wide of vertical lines only.
median = lambda v: statistics.median(v["passes_ms"])
largest = max(visits, key=lambda v: v["pixels"])
least = min(visits, key=lambda v: v["pixels"])
print("largest %s: %.3f ms; least %s: %.3f ms" % (largest["drawing_area"], median(largest),
      least["drawing_area"], median(least)))
assert median(largest) > 20 * median(least)
CHECK

    # Ctrl+C, the window minimized first: minimized again at its place and size, exit code 8,
    # nothing recorded.
    local shown=$before
    probe desktop minimize >/dev/null
    before=$(window_state)
    start_sweep "$before" || exit 1
    sleep 2
    kill -INT "$sweep_pid"
    wait "$sweep_pid"
    code=$?
    tr -d '\r' <"$state/cut.out" | tail -n 1
    echo "after Ctrl+C (exit code $code): $(window_state)"
    [ "$code" = 8 ] && [ "$(window_state)" = "$before" ] && [ ! -e "$build/e2e/cut.json" ] || exit 1

    probe desktop restore >/dev/null
    echo "restored: $(window_state)"
    [ "$(window_state)" = "$shown" ] || exit 1

    # The window closed during the sweep: exit code 3, nothing recorded, and a new Zolvik.
    before=$shown
    start_sweep "$before" || exit 1
    sleep 2
    probe close >/dev/null
    wait "$sweep_pid"
    code=$?
    tr -d '\r' <"$state/cut.out" | grep 'zolvik-report:'
    echo "window closed: exit code $code"
    wait_exit_code >/dev/null
    start_zolvik
    [ "$code" = 3 ] && [ ! -e "$build/e2e/cut.json" ] &&
        grep -q 'the sweep did not finish: nothing was recorded' "$state/cut.out"
}
