#!/usr/bin/env bash
# Installs what is missing, builds Tavrolin and runs it under Wine.
# With a display it simply runs the program. Without one it runs on a virtual display,
# plays a short demo (documents added, a print run on the stand-in office suite) and
# leaves screenshots and the printed jobs in build/demo/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
headless=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then headless=0; fi
trap cleanup EXIT
prepare_all

if [ "$headless" = 0 ]; then
    wine "$BUILD/tavrolin.exe"
    exit 0
fi

out=$BUILD/demo
rm -rf "$out" && mkdir -p "$out"
"$ROOT/scripts/demo.sh" "$out"
log "screenshots and printed jobs are in $out"
ls -1 "$out" >&2
