#!/usr/bin/env bash
# Says how many test cases the last ctest run in BUILD_DIR skipped, and why:
#   scripts/test-skips.sh [BUILD_DIR]     (default build)
# ctest itself lists the test programs that skipped cases as "Skipped"; this names the cases.
set -euo pipefail
log=${1:-build}/Testing/Temporary/LastTest.log
[ -f "$log" ] || { echo "no test log: $log" >&2; exit 1; }
# QtTest prints "SKIP   : TestClass::case(row) reason".
skips=$(sed -n 's/^SKIP   : \([^ ]*\) \(.*\)$/\2\t\1/p' "$log")
if [ -z "$skips" ]; then
    echo "No test case was skipped."
    exit 0
fi
echo "$(wc -l <<<"$skips") test case(s) skipped:"
cut -f 1 <<<"$skips" | sort | uniq -c | sort -rn | sed 's/^ */  /'
