#!/usr/bin/env bash
# Builds the i686 release (preset win32, stripped) and packs it for Windows:
#
#   build/package/lumo-windows.zip   a folder lumo\ with lumo.exe, the calendar
#                                    stand-in vornix.exe, DOC\V_LUMO.HTM (the help
#                                    page F1 opens), DEMO.ADR and README.TXT
#   build/package/lumo-setup.exe     the same as an installer for the current user,
#                                    with Start-menu shortcuts, ".adr" opening in
#                                    lumo, an entry in the list of programs and
#                                    an uninstaller (when NSIS's makensis is
#                                    installed)
#
#   ./package.sh               build, then pack
#   ./package.sh --no-build    pack what the build folder holds already
#
# LUMO_WIN32_BUILD names the build folder (default build/win32, the preset's),
# LUMO_PACKAGE_OUT the output folder (default build/package); LUMO_NO_INSTALLER=1
# makes the zip only.
set -euo pipefail
cd "$(dirname "$0")"

build=${LUMO_WIN32_BUILD:-build/win32}
out=${LUMO_PACKAGE_OUT:-build/package}

if [ "${1:-}" != "--no-build" ]; then
  ./scripts/setup.sh
  mkdir -p "$out"
  # The release preset builds exactly the two programs and the help page.
  if ! { cmake --preset win32 -B "$build" && cmake --build "$build" -j"$(nproc)"; } >"$out/build.log" 2>&1; then
    grep -E 'error|Error' "$out/build.log" | head -40
    echo "package: the win32 build failed; see $out/build.log" >&2
    exit 1
  fi
fi

for f in lumo.exe vornix.exe DOC/V_LUMO.HTM; do
  if [ ! -s "$build/$f" ]; then
    echo "package: $build/$f is missing; run ./package.sh without --no-build to build it" >&2
    exit 1
  fi
done

out=$(realpath -m "$out")
stage="$out/stage/lumo"
rm -rf "$out/stage" "$out/lumo-windows.zip" "$out/lumo-setup.exe"
mkdir -p "$stage/DOC"
cp "$build/lumo.exe" "$build/vornix.exe" "$stage/"
cp "$build/DOC/V_LUMO.HTM" "$stage/DOC/"
cp demo/demo.adr "$stage/DEMO.ADR"
# Windows line ends for the one text a person opens in Notepad.
sed 's/$/\r/' packaging/README.TXT >"$stage/README.TXT"

# Fixed times and order, so the same build packs to the same bytes.
find "$out/stage" -exec touch -h -d '2026-01-01 00:00:00' {} +
(cd "$out/stage" && find lumo | LC_ALL=C sort | zip -X -q -D "$out/lumo-windows.zip" -@)
echo "package: $out/lumo-windows.zip"

if [ -n "${LUMO_NO_INSTALLER:-}" ]; then
  :
elif command -v makensis >/dev/null 2>&1; then
  version=$(sed -n 's/^#define LUMO_VERSION_TEXT "\(.*\)"/\1/p' src/win32/resources/version.h)
  makensis -V2 -DSTAGE="$stage" -DOUTFILE="$out/lumo-setup.exe" -DVERSION="$version" packaging/lumo.nsi \
    >"$out/nsis.log" 2>&1 \
    || { cat "$out/nsis.log" >&2; echo "package: makensis failed" >&2; exit 1; }
  echo "package: $out/lumo-setup.exe"
else
  echo "package: makensis not found; no installer made (apt-get install nsis)"
fi
