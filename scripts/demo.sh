#!/usr/bin/env bash
# The headless demo: start the program on the virtual display, photograph it, and, when the
# demo driver is built, add documents and print them. Called by run.sh with the output folder.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
out=$1

wine "$BUILD/tavrolin.exe" >/dev/null 2>&1 &
app=$!
title='Tavrolin V8.3'
for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "$title" && break
    sleep 0.2
done
sleep 1
shot() { import -window root -crop "$(window_geometry)" +repage "$out/$1" 2>/dev/null || import -window root "$out/$1"; }
window_geometry() {
    xwininfo -root -tree | grep "\"$title" | head -1 | sed -E 's/.* ([0-9]+x[0-9]+)\+([0-9]+)\+([0-9]+).*/\1+\2+\3/'
}
shot main-window.png

if [ -f "$BUILD/demo_driver.exe" ]; then
    docs=$out/documents
    mkdir -p "$docs"
    "$ROOT/scripts/make-demo-documents.sh" "$docs"
    rm -f "$CAPTURE_DIR"/job-*
    wine "$BUILD/demo_driver.exe" "$(winepath -w "$docs")" || log "the demo driver reported a problem"
    sleep 1
    shot finished-run.png
    # The printed jobs as the spooler received them.
    mkdir -p "$out/printed"
    cp "$CAPTURE_DIR"/job-* "$out/printed/" 2>/dev/null || true
    cat "$out"/printed/*.rec 2>/dev/null > "$out/printed-jobs.txt" || true
fi

# Enter ends the program without the exit question.
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
