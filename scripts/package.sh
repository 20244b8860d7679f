#!/usr/bin/env bash
# Builds the release of Tavrolin and packs it for Windows users into dist/:
#   Tavrolin-<version>-portable.zip  tavrolin.exe, 说明.txt (how to use it) and LICENSE.txt
#   Tavrolin-<version>-setup.exe     the installer (NSIS; per-user by default, /ALLUSERS, /S)
#
#   bash scripts/package.sh                        install what is missing, build, pack into dist/
#   bash scripts/package.sh --exe EXE --dist DIR   pack an already built tavrolin.exe into DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe= dist=$ROOT/dist
while [ $# -gt 0 ]; do
    case $1 in
        --exe) exe=$2; shift 2 ;;
        --dist) dist=$2; shift 2 ;;
        *) echo "usage: $0 [--exe tavrolin.exe] [--dist folder]" >&2; exit 2 ;;
    esac
done

if [ -z "$exe" ]; then
    install_packages g++-mingw-w64-x86-64-posix mingw-w64-tools cmake make nsis python3
    release=$ROOT/build-release
    log "building the release in $release"
    # The program alone: the tests, the stand-in office suite and the benchmarks are never shipped.
    cmake -S "$ROOT" -B "$release" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DTAVROLIN_TESTS=OFF >/dev/null
    cmake --build "$release" -j"$(nproc)" -- --no-print-directory 2>&1 | grep -v '^\[' || true
    exe=$release/tavrolin.exe
fi
test -f "$exe" || { echo "no program at $exe" >&2; exit 1; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)

# What goes to users: Windows line ends, and a byte-order mark so that any Notepad reads the
# Chinese text as UTF-8.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=$stage/Tavrolin-$VERSION
mkdir "$folder"
cp "$exe" "$folder/tavrolin.exe"
sed 's/$/\r/' "$ROOT/LICENSE" > "$folder/LICENSE.txt"
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' "$ROOT/packaging/说明.txt"; } > "$folder/说明.txt"

zip=$dist/Tavrolin-$VERSION-portable.zip
rm -f "$zip"
# Python's zipfile flags a non-ASCII name as UTF-8 (bit 11), which Windows' own zip folders
# read; Info-ZIP's zip only adds an extra field that they ignore.
python3 - "$zip" "$stage" "Tavrolin-$VERSION" <<'PY'
import os, sys, zipfile
out, base, top = sys.argv[1:]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in sorted(os.listdir(os.path.join(base, top))):
        z.write(os.path.join(base, top, name), top + "/" + name)
PY

makensis -INPUTCHARSET UTF8 -V2 -DSRCDIR="$ROOT" -DEXE="$exe" -DSTAGE="$folder" -DOUTDIR="$dist" \
    "$ROOT/packaging/installer.nsi" >&2

log "packed $VERSION_FULL into $dist"
ls -l "$exe" "$zip" "$dist/Tavrolin-$VERSION-setup.exe" >&2
