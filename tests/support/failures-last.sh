#!/usr/bin/env bash
# Prints each failed check of the last ctest run once more, at the very end: with a long run, what a
# failing program printed is otherwise far up among the other programs' output.
# Usage: failures-last.sh BUILD_DIR
log="$1/Testing/Temporary/LastTest.log"
[[ -f $log ]] || exit 0
echo "---- failed checks of this run ----"
grep -E -A3 '^(FAIL!|XPASS) ' "$log" | grep -v '^--$' | cut -c1-600 | head -60
