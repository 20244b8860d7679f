#!/usr/bin/env bash
# The package test: packs this build's tavrolin.exe with scripts/package.sh, checks the
# portable zip and the packed program here, then runs the installer test under Wine.
#   run.sh <tavrolin.exe> <test_package.exe> <build type>
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
set -euo pipefail
program=$1 test_exe=$2 config=$3
dist=$BUILD/package-dist
rm -rf "$dist"
bash "$ROOT/scripts/package.sh" --exe "$program" --dist "$dist"

fail=0
check() { if ! eval "$2"; then echo "FAILED: $1" >&2; fail=1; fi; }

# A release is stripped of its symbol table and needs no MinGW runtime DLLs.
if [[ $config == Release || $config == MinSizeRel ]]; then
    check "the program is stripped" \
        '[ "$(x86_64-w64-mingw32-objdump -t "$program" | grep -c "^\[")" = 0 ]'
fi
imports=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | xargs)
check "only system DLLs are imported (got: $imports)" '! grep -qE "libstdc|libgcc|libwinpthread" <<<"$imports"'

# The zip: one folder with the program, the readme and the licence, nothing else; the
# texts with Windows line ends, the readme with a byte-order mark and its Chinese name
# flagged as UTF-8.
check "the portable zip holds what it should" 'python3 - "$dist/Tavrolin-$VERSION-portable.zip" "$program" "$VERSION" <<"PY"
import sys, zipfile
path, program, version = sys.argv[1:]
z = zipfile.ZipFile(path)
top = "Tavrolin-%s/" % version
names = sorted(i.filename for i in z.infolist())
want = sorted(top + n for n in ("tavrolin.exe", "说明.txt", "LICENSE.txt"))
assert names == want, names
assert z.read(top + "tavrolin.exe") == open(program, "rb").read(), "the zip holds another program"
readme = z.read(top + "说明.txt")
assert readme.startswith(b"\xef\xbb\xbf") and b"\r\n" in readme and b"\n\n" not in readme.replace(b"\r\n", b""), "readme"
assert z.getinfo(top + "说明.txt").flag_bits & 0x800, "name not flagged UTF-8"
assert b"MIT License\r\n" in z.read(top + "LICENSE.txt")
PY'
[ $fail = 0 ] || exit 1

rc=1
trap 'end_isolated_test $rc' EXIT
isolate_test package
# Shortcuts saved in the Start menu would make Wine write menu entries into the host's desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
cd "$(dirname "$test_exe")"
out=$(mktemp)  # not CTest's pipe: see scripts/wine-run.sh
rc=0
wine "$test_exe" >"$out" 2>&1 || rc=$?
cat "$out"
rm -f "$out"
exit $rc
