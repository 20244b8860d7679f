#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
trap cleanup EXIT
prepare_all
log "running the tests"
cd "$BUILD"
ctest --output-on-failure --timeout 1200 "$@"
