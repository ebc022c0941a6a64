#!/usr/bin/env bash
# Installs what is missing, builds the three presets and runs every test
# level through ctest: native unit tests and fuzz replays, then the Win32 and
# end-to-end tests of the win64 build under Wine. The win32 (i686) release
# build is compiled but cannot run here; its Windows package is made and its
# contents checked.
set -euo pipefail
cd "$(dirname "$0")"
export LUMO_ROOT=$PWD

./scripts/setup.sh
source scripts/wine-env.sh
source scripts/pdf-printer.sh

jobs=$(nproc)
for preset in native win64 win32; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  mkdir -p build
  if ! cmake --build --preset "$preset" -j"$jobs" >"build/$preset.log" 2>&1; then
    grep -E 'error|Error' "build/$preset.log" | head -40
    echo "build of $preset failed; see build/$preset.log" >&2
    exit 1
  fi
  grep -E 'warning:' "build/$preset.log" || true
done

file build/win32/lumo.exe | grep -q 'PE32 executable (GUI) Intel 80386' \
  || { echo "win32 build did not produce a PE32 GUI lumo.exe" >&2; exit 1; }

echo "== test native"
ctest --preset native

echo "== test package"
tests/package/package_test.sh build/win32

echo "== test win64 (Wine)"
private_display
# The printing test prints to a private PDF printer.
trap stop_pdf_printer EXIT
pdf_printer_ready
wine_prefix_ready
wine_warm_up
status=0
ctest --preset win64 || status=$?
wineserver -k >/dev/null 2>&1 || true
stop_private_display
exit $status
