#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
trap cleanup EXIT
prepare_all
# Each test program runs in a copy of this prefix (scripts/wine-run.sh): its server must
# have written the registration to disk and gone before the first copy is taken.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
log "running the tests"
cd "$BUILD"
ctest --output-on-failure --timeout 1200 -j"$(nproc)" "$@"
