#!/usr/bin/env bash
# Runs one test program under Wine, in a prefix and on a display of its own (used by CTest,
# which runs several side by side).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
exe=$1; shift
rc=1
trap 'end_isolated_test $rc' EXIT
isolate_test "$(basename "$exe" .exe)" || exit 1
cd "$(dirname "$exe")" || exit 1
# Wine's service processes started by this program inherit its output; give them a file,
# not CTest's pipe, or CTest waits for them long after the test has ended.
out=$(mktemp)
wine "$exe" "$@" >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
