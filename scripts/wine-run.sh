#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix (used by CTest).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
exe=$1; shift
cd "$(dirname "$exe")" || exit 1
# Wine's service processes started by this program inherit its output; give them a file,
# not CTest's pipe, or CTest waits for them long after the test has ended.
out=$(mktemp)
wine "$exe" "$@" >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
