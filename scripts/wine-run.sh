#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix (used by CTest).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
exe=$1; shift
cd "$(dirname "$exe")" || exit 1
wine "$exe" "$@"
rc=$?
exit $rc
