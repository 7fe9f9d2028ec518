#!/usr/bin/env bash
# Runs the suite once under the sanitizers. A program that failed runs once more only when its own output
# shows LeakSanitizer's tracer crashing at exit ("Tracer caught signal"), which is the checker failing, not
# the program; any other failure fails the run at once. Every failing output stays in the log.
# Usage: sanitize-ctest.sh BUILD_DIR JOBS
set -uo pipefail
build=$1
jobs=${2:-2}
log="$build/Testing/sanitize-first-run.log"
mkdir -p "$build/Testing"
ctest --test-dir "$build" --output-on-failure -j "$jobs" && exit 0
cp "$build/Testing/Temporary/LastTest.log" "$log"
mapfile -t failed < <(sed -n 's/^[0-9]*://p' "$build/Testing/Temporary/LastTestsFailed.log")
if ((${#failed[@]} == 0)); then
    echo "ctest failed without a failed test; see above" >&2
    exit 1
fi
mapfile -t tracer < <(awk '/^[0-9]+\/[0-9]+ Test: /{ name = substr($0, index($0, "Test: ") + 6) }
                           /Tracer caught signal/ { print name }' "$log" | sort -u)
rerun=()
for name in "${failed[@]}"; do
    if printf '%s\n' "${tracer[@]}" | grep -qxF -- "$name"; then
        rerun+=("$name")
    else
        echo "FAILED (not the leak tracer): $name; first run's log: $log" >&2
        bash "$(dirname "$0")/failures-last.sh" "$build"
        exit 1
    fi
done
echo "Only the leak tracer crashed, in: ${rerun[*]}; running those once more." >&2
pattern="^($(printf '%s|' "${rerun[@]}" | sed 's/|$//'))\$"
ctest --test-dir "$build" --output-on-failure -R "$pattern" || { bash "$(dirname "$0")/failures-last.sh" "$build"; exit 1; }
