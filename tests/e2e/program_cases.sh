# Zolvik itself on Wine: the probe's checks of its window, controls, grid and resources, a
# soak, the three ways out that must end it with 0, and the release zip run from a folder
# named in Cyrillic. Sourced by e2e.sh; each case is the function named after its CTest test.

window_class_title_and_size() {
    probe window 'Zolvik.exe'
}

controls_class_text_id_style_position() {
    probe controls 'Zolvik.exe'
}

grid_pixels_on_screen() {
    probe grid 'Zolvik.exe'
}

caption_text() {
    probe caption 'Zolvik.exe'
}

reset_shows_zero_then_a_value() {
    probe reset 'Zolvik.exe'
}

resizing_unlocked_and_snapped_back() {
    probe resizing 'Zolvik.exe'
}

tab_moves_focus_between_controls() {
    probe tab 'Zolvik.exe'
}

version_record_and_manifest() {
    probe resources 'Zolvik.exe'
}

# Zolvik ended one way or another must exit with 0.
expect_exit_zero() {
    local code
    code=$(wait_exit_code)
    echo "exit code: $code"
    [ "$code" = 0 ]
}

escape_from_probe_exits_zero() {
    probe escape
    expect_exit_zero
}

escape_key_through_x_exits_zero() {
    local window
    window=$(xdotool search --name 'RADEON drivers 2D bug' | head -n 1)
    [ -n "$window" ] || { echo "no X window for Zolvik"; exit 1; }
    # No window manager: the keyboard focus follows the pointer.
    xdotool mousemove --window "$window" 300 300
    sleep 0.2
    xdotool key Escape
    expect_exit_zero
}

close_box_exits_zero() {
    probe close
    expect_exit_zero
}

soak_leaves_resources_unchanged() {
    # Repaint requests from the probe on top of the timer, a reset every 300 passes; the
    # program's resources read before and after. ZOLVIK_SOAK_PASSES=10000 for the long soak.
    passes=${ZOLVIK_SOAK_PASSES:-2000}
    pid=$(cat "$state/zolvik.pid")
    linux_figures() {
        echo "$(awk '/^RssAnon/ {print $2}' "/proc/$pid/status") $(ls "/proc/$pid/fd" | wc -l) $(awk '/^Threads/ {print $2}' "/proc/$pid/status")"
    }
    probe soak 300 >/dev/null || exit 1 # warm-up
    read -r anon_start fds_start threads_start <<<"$(linux_figures)"
    probe soak "$passes" || exit 1
    read -r anon_end fds_end threads_end <<<"$(linux_figures)"
    echo "process (Linux side): private anonymous memory ${anon_start} kB -> ${anon_end} kB, file descriptors $fds_start -> $fds_end, threads $threads_start -> $threads_end"
    [ "$fds_end" -le "$fds_start" ] && [ "$threads_end" -le "$threads_start" ] &&
        [ "$anon_end" -le "$anon_start" ]
}

release_zip_runs_from_a_cyrillic_folder() {
    # The release zip, unzipped where a Windows user might: a folder with spaces and Cyrillic
    # letters. Both programs run from there.
    archive=$(ls "$build"/package/Zolvik-*-win64.zip 2>/dev/null | head -n 1)
    if [ -z "$archive" ] || [ "$build/Zolvik.exe" -nt "$archive" ] ||
        [ "$build/zolvik-report.exe" -nt "$archive" ]; then
        (cd "$build" && cpack --config CPackConfig.cmake >/dev/null) || exit 1
        archive=$(ls "$build"/package/Zolvik-*-win64.zip | head -n 1)
    fi
    echo "archive: $archive"
    place="$state/Мои программы/Zolvik test"
    rm -rf "$state/Мои программы" && mkdir -p "$place" && unzip -q "$archive" -d "$place" || exit 1
    folder=$(ls -d "$place"/Zolvik-*-win64)
    (cd "$folder" && sha256sum -c SHA256SUMS) || exit 1
    cmp "$folder/Zolvik.exe" "$build/Zolvik.exe" && cmp "$folder/zolvik-report.exe" "$build/zolvik-report.exe" ||
        { echo "the zip's programs differ from the build's"; exit 1; }
    [ "$(ls "$folder" | sort | tr '\n' ' ')" = "README.txt SHA256SUMS Zolvik.exe zolvik-report.exe " ] ||
        { echo "unexpected files: $(ls "$folder")"; exit 1; }
    zolvik_alive && { probe close; wait_exit_code >/dev/null; }
    start_zolvik "$folder"
    zipped() { (cd "$folder" && "$ZOLVIK_WINE" zolvik-report.exe "$@" </dev/null 2>&1) | tr -d '\r'; }
    zipped --samples 8 --csv runs.csv | tail -n 3 || exit 1
    zipped --samples 8 --csv runs.csv --append >/dev/null || exit 1
    [ "$(grep -c '^[12],' "$folder/runs.csv")" = 16 ] || { echo "no 2 runs in $folder/runs.csv"; exit 1; }
    output=$(zipped --compare runs.csv runs.csv)
    echo "$output"
    grep -q '^  raw times  *B/A 1.00  ' <<<"$output" || exit 1
    probe escape
    code=$(wait_exit_code)
    echo "exit code of the unzipped Zolvik: $code"
    [ "$code" = 0 ]
}
