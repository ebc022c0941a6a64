#!/usr/bin/env bash
# Checks the Windows package that ./package.sh makes from the win32 build:
# the zip holds exactly the program, the calendar stand-in, the help page, the
# demo book and a README with Windows line ends; the exes are stripped 32-bit
# GUI programs with their version; the installer exists when makensis does.
#
#   tests/package/package_test.sh [BUILD_FOLDER]    (default build/win32)
set -uo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build/win32}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
passed=0
failed=0
check() {  # check NAME COMMAND...
  local name=$1; shift
  if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

if ! LUMO_WIN32_BUILD="$build" LUMO_PACKAGE_OUT="$out" ./package.sh --no-build >"$out/package.log" 2>&1; then
  cat "$out/package.log"
  echo "0 passed, 1 failed"
  exit 1
fi
zip="$out/lumo-windows.zip"
check "the zip exists" test -f "$zip"

listing=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
expected="lumo/DEMO.ADR lumo/DOC/V_LUMO.HTM lumo/README.TXT lumo/lumo.exe lumo/vornix.exe "
check "the zip holds exactly the five files (got: $listing)" test "$listing" = "$expected"

x=$out/x
mkdir -p "$x"
unzip -q "$zip" -d "$x"
version=$(sed -n 's/^#define LUMO_VERSION_TEXT "\(.*\)"/\1/p' src/win32/resources/version.h)
for exe in lumo vornix; do
  check "$exe.exe is a 32-bit GUI program" bash -c "file '$x/lumo/$exe.exe' | grep -q 'PE32 executable (GUI) Intel 80386'"
  check "$exe.exe carries no debug sections" \
    bash -c "! i686-w64-mingw32-objdump -h '$x/lumo/$exe.exe' | grep -q '\.debug'"
  # The version block, as Windows shows it in the file's properties (UTF-16).
  check "$exe.exe names its version $version" bash -c "strings -el '$x/lumo/$exe.exe' | grep -qx '$version'"
  check "$exe.exe names its product" bash -c "strings -el '$x/lumo/$exe.exe' | grep -qx 'VORNIX-Lumo'"
done
check "the help page is the repository's" cmp "$x/lumo/DOC/V_LUMO.HTM" doc/V_LUMO.HTM
check "the demo book is the repository's" cmp "$x/lumo/DEMO.ADR" demo/demo.adr
check "README.TXT has lines" test "$(grep -c . "$x/lumo/README.TXT")" -gt 5
# Every line ends with CR LF: no LF without its CR before it.
check "README.TXT ends its lines with CR LF" \
  bash -c "! LC_ALL=C grep -q -v \$'\r\$' '$x/lumo/README.TXT'"
check "README.TXT is plain ASCII" bash -c "! LC_ALL=C grep -q -P '[^\x00-\x7f]' '$x/lumo/README.TXT'"
if command -v makensis >/dev/null 2>&1; then
  check "the installer is a Windows program" bash -c "file '$out/lumo-setup.exe' | grep -q 'PE32 executable'"
  check "the installer names its version $version" bash -c "strings -el '$out/lumo-setup.exe' | grep -qx '$version'"
fi
# The same build packs to the same bytes.
first=$(sha256sum "$zip" | cut -d' ' -f1)
LUMO_NO_INSTALLER=1 LUMO_WIN32_BUILD="$build" LUMO_PACKAGE_OUT="$out" ./package.sh --no-build >/dev/null 2>&1
check "packing again gives the same zip" test "$(sha256sum "$zip" | cut -d' ' -f1)" = "$first"

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
