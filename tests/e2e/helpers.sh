# The e2e driver's helpers, sourced by e2e.sh: the probe and zolvik-report run on Wine, Zolvik
# started and awaited, and what a case changed put back on every way out.

probe() {
    (cd "$build" && "$ZOLVIK_WINE" zolvik_probe.exe "$@" </dev/null)
}

# A Windows console program's output, with its CR LF line ends made LF.
report() {
    (cd "$build" && "$ZOLVIK_WINE" zolvik-report.exe "$@" </dev/null 2>&1) | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

zolvik_alive() {
    [ -s "$state/zolvik.pid" ] && [ ! -e "$state/zolvik.exit" ] && kill -0 "$(cat "$state/zolvik.pid")" 2>/dev/null
}

# Starts Zolvik (from the build tree, or from folder $1) detached from this test's output; a
# waiter records its exit code.
start_zolvik() {
    rm -f "$state/zolvik.pid" "$state/zolvik.exit"
    setsid bash -c 'cd "$1" || exit; "$2" Zolvik.exe & echo $! >"$3"; wait $!; echo $? >"$4"' \
        _ "${1:-$build}" "$ZOLVIK_WINE" "$state/zolvik.pid" "$state/zolvik.exit" \
        </dev/null >"$state/zolvik.log" 2>&1 &
    probe wait
}

wait_exit_code() {
    local i
    for i in $(seq 150); do
        [ -s "$state/zolvik.exit" ] && { cat "$state/zolvik.exit"; return 0; }
        sleep 0.1
    done
    echo "timeout"
}

# A results file an earlier case makes, made here when this case runs alone: N samples.
ensure_record() {
    [ -s "$build/$1" ] && return 0
    case "$1" in
    *.json) report --samples "$2" --json "$1" >/dev/null ;;
    *) report --samples "$2" --csv "$1" >/dev/null ;;
    esac
}

# What a case changed (the window's size and place, minimized, resizing allowed, a CPU limit,
# the display's DPI) is put back on every way out, so that the next case, or this one run
# alone, starts from a Zolvik as it starts.
put_back() {
    cpu_group_release
    if [ -n "$dpi_set" ]; then
        set_dpi 96
        restart_zolvik >/dev/null 2>&1
    fi
    zolvik_alive && probe desktop standard >/dev/null 2>&1
}

# What a case that was killed half-way (a CTest timeout runs no trap) may have left: a
# throttle that keeps stopping Zolvik, a CPU group that holds it, a sweep still sizing it.
clear_leftovers() {
    local group task
    # Only the throttles of this session's Zolvik: another build's e2e run may have its own.
    [ -s "$state/zolvik.pid" ] && pkill -f "tests/e2e/throttle.py .* $(cat "$state/zolvik.pid")( |\$)" 2>/dev/null
    if [ -s "$state/machine-throttle.pid" ]; then
        task=$(cat "$state/machine-throttle.pid")
        grep -qa 'slow_machine.py\|throttle.py' "/proc/$task/cmdline" 2>/dev/null && kill "$task"
        rm -f "$state/machine-throttle.pid"
    fi
    for task in $(pgrep -f 'zolvik-report.exe --sweep'); do
        [ "$(readlink "/proc/$task/cwd")" = "$build" ] && kill "$task" 2>/dev/null
    done
    [ -s "$state/zolvik.pid" ] && kill -CONT "$(cat "$state/zolvik.pid")" 2>/dev/null
    for group in /sys/fs/cgroup/cpu/zolvik-e2e-*; do
        [ -d "$group" ] || continue
        while read -r task; do echo "$task" >/sys/fs/cgroup/cpu/tasks 2>/dev/null; done <"$group/tasks"
        rmdir "$group" 2>/dev/null
    done
}

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
