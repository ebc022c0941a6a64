#!/usr/bin/env bash
# Installs what is missing, builds lumo and the calendar stand-in, and runs
# both under Wine: on $DISPLAY, or on a private Xvfb when there is none.
#
#   ./run.sh [FILE.adr]                 run (the calendar stand-in first)
#   ./run.sh --screenshot FILE.png [FILE.adr]
#                                       run headless on a private Xvfb in a Wine
#                                       virtual desktop, save what a user would
#                                       see, and stop
set -euo pipefail
cd "$(dirname "$0")"
export LUMO_ROOT=$PWD

shot=
if [ "${1:-}" = "--screenshot" ]; then
  shot=$(realpath -m "${2:?--screenshot needs a file name}")
  shift 2
fi
adr=${1:-}

./scripts/setup.sh
source scripts/wine-env.sh

cmake --preset win64 >/dev/null
if ! cmake --build --preset win64 -j"$(nproc)" --target lumo vornix >build/run-build.log 2>&1; then
  grep -E 'error' build/run-build.log | head -40
  echo "build failed; see build/run-build.log" >&2
  exit 1
fi

# lumo reads its settings and finds its help beside its exe: give it a
# program folder of its own.
folder=build/run
mkdir -p "$folder"
cp build/win64/lumo.exe build/win64/vornix.exe "$folder/"
if [ -n "$adr" ]; then cp "$adr" "$folder/"; fi

if [ -n "$shot" ] || [ -z "${DISPLAY:-}" ]; then
  private_display
  trap 'wineserver -k >/dev/null 2>&1 || true; stop_private_display' EXIT
fi
wine_prefix_ready

desktop=()
[ -n "$shot" ] && desktop=(explorer "/desktop=lumo,${LUMO_DESKTOP:-1280x800}")

cd "$folder"
wine "${desktop[@]}" vornix.exe --log calendar.log &
sleep 2
wine "${desktop[@]}" lumo.exe &
lumo_pid=$!

if [ -n "$shot" ]; then
  sleep "${LUMO_SHOT_DELAY:-6}"
  import -window root "$shot"
  echo "saved $shot"
  exit 0
fi
wait "$lumo_pid"
