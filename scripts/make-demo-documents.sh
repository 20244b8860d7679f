#!/usr/bin/env bash
# A few small documents for the demo, in a folder whose name has Chinese characters and a space.
set -eu
dir=$1
mkdir -p "$dir"
for name in "季度报告.docx" "预算 2026.xlsx" "产品介绍.pptx" "会议纪要.doc"; do
    printf 'Tavrolin demo document: %s\n' "$name" > "$dir/$name"
done
