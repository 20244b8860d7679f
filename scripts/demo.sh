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

docs="$out/示例 文档"
"$ROOT/scripts/make-demo-documents.sh" "$docs"
paths=()
for f in "$docs"/*; do paths+=("$(winepath -w "$f")"); done
last_job() { ls "$CAPTURE_DIR" 2>/dev/null | sed -n 's/^job-\([0-9]*\)\.rec$/\1/p' | sort -n | tail -1; }
lj=$(last_job); first_new=$(( ${lj:-0} + 1 ))
log "demo: adding ${#paths[@]} documents with the file dialog and printing 2 copies each on Tavrolin-A"
wine "$BUILD/demo_driver.exe" run Tavrolin-A 2 "${paths[@]}" || log "the demo driver reported a problem"
sleep 2
shot finished-run.png
# The list's shortcut menu, as Shift+F10 opens it on the first row.
if wine "$BUILD/demo_driver.exe" menu; then
    sleep 1
    shot list-menu.png
    wine "$BUILD/demo_driver.exe" dismiss || true
    sleep 1
fi
# A second, longer run stopped while its second document prints (it takes a few seconds): the
# stop says it is stopping, and the rows it will not start read 未打印.
weekly="$out/周报 文档"
mkdir -p "$weekly"
more=()
for name in "周一 安排.docx" "周二 长报告.docx" "周三 汇总.xlsx" "周四 讲稿.pptx" "周五 纪要.doc"; do
    if [ "$name" = "周二 长报告.docx" ]; then printf 'officesim: print=8\n' > "$weekly/$name"
    else printf 'Tavrolin demo document: %s\n' "$name" > "$weekly/$name"; fi
done
# Added last first, so that the run takes them in the order of their names.
for name in "周五 纪要.doc" "周四 讲稿.pptx" "周三 汇总.xlsx" "周二 长报告.docx" "周一 安排.docx"; do
    more+=("$(winepath -w "$weekly/$name")")
done
log "demo: a run of ${#more[@]} more documents, stopped during the second"
if wine "$BUILD/demo_driver.exe" start Tavrolin-A 1 "${more[@]}" && wine "$BUILD/demo_driver.exe" stop 1; then
    # The office application's progress window must not hide the stop control and the count.
    if wine "$BUILD/demo_driver.exe" front; then
        shot stopping-run.png
    else
        log "demo: the window could not be brought in front of the office application; no stopping picture"
    fi
fi
wine "$BUILD/demo_driver.exe" wait || log "the stopped run did not end"
sleep 1
# The printed jobs as the spooler received them.
mkdir -p "$out/printed"
for rec in "$CAPTURE_DIR"/job-*.rec; do
    [ -e "$rec" ] || continue
    id=$(basename "$rec" .rec); id=${id#job-}
    [ "$id" -ge "$first_new" ] || continue
    cp "$CAPTURE_DIR/job-$id".* "$out/printed/"
    { cat "$rec"; echo; } >> "$out/printed-jobs.txt"
done

wine "$BUILD/demo_driver.exe" close || kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
