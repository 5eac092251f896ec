# A person's desktop on Wine: a run through minimizing, covering and moving the window, the
# diagnosis (--check), and scaled displays. Sourced by e2e.sh; each case is the function named
# after its CTest test.

report_desktop_events() {
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

report_scaled_displays() {
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
