#!/usr/bin/env bash
# Registers or unregisters officesim's ProgIDs in the project's Wine prefix.
#   register.sh register|unregister [ProgID...]   (all six by default)
# An unregistered ProgID is what a machine without that office suite looks like.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
case "${1:-}" in
    register) flag=/regserver ;;
    unregister) flag=/unregserver ;;
    *) echo "usage: $0 register|unregister [ProgID...]" >&2; exit 2 ;;
esac
shift
exe="$BUILD/officesim/officesim.exe"
[ -f "$exe" ] || { echo "officesim.exe not built: $exe" >&2; exit 1; }
wine "$exe" "$flag" "$@"
