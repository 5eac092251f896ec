# What a newcomer is told to run: every zolvik-report command the README and the manual show.
# Sourced by e2e.sh; each case is the function named after its CTest test.

# The zolvik-report commands the README and the manual show, run on Wine in the order shown,
# each document in a folder of its own: as shown, but with 6 samples a run, 2 runs and pauses
# of a second, so that the suite stays short.
docs_commands_run_as_shown() {
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
        if "--precision" in command:
            # Runs long enough for intervals of their own, and the pilot's three at most.
            command = re.sub(r"--samples \d+", "--samples 24", command) + " --runs 3 --pause 1"
        elif "--sweep" in command:
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
