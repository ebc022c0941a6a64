#!/usr/bin/env bash
# Installs what is missing, builds lumo and the calendar stand-in, and runs
# both under Wine: on $DISPLAY, or on a private Xvfb when there is none.
#
#   ./run.sh [FILE.adr]                 run (the calendar stand-in first) with a
#                                       copy of FILE.adr, or of demo/demo.adr
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
adr=${1:-demo/demo.adr}

./scripts/setup.sh
source scripts/wine-env.sh

cmake --preset win64 >/dev/null
if ! cmake --build --preset win64 -j"$(nproc)" --target lumo vornix default_configuration >build/run-build.log 2>&1; then
  grep -E 'error' build/run-build.log | head -40
  echo "build failed; see build/run-build.log" >&2
  exit 1
fi

# lumo reads its settings and finds its help beside its exe: give it a
# program folder of its own.
folder=build/run
mkdir -p "$folder"
cp build/win64/lumo.exe build/win64/vornix.exe "$folder/"
mkdir -p "$folder/DOC"
cp build/win64/DOC/V_LUMO.HTM "$folder/DOC/"
if [ -n "$shot" ] || [ -z "${DISPLAY:-}" ]; then
  private_display
  trap 'wineserver -k >/dev/null 2>&1 || true; stop_private_display' EXIT
fi
wine_prefix_ready

# lumo reopens the file its configuration names. Name the chosen book (a copy,
# so the original stays as it is) when one is given or nothing is configured
# yet, in a complete configuration with the documented defaults and both
# automatic saves off: nothing is saved without a question.
if [ -n "${1:-}" ] || [ ! -f "$folder/V-LUMO.INF" ]; then
  cp "$adr" "$folder/"
  (cd "$folder" && wine ../win64/default_configuration.exe V-LUMO.INF "$(basename "$adr")") \
    || { echo "could not write $folder/V-LUMO.INF" >&2; exit 1; }
fi

desktop=()
[ -n "$shot" ] && desktop=(explorer "/desktop=lumo,${LUMO_DESKTOP:-1280x800}")

# Waits up to $2 seconds for a condition.
wait_for() {
  local i
  for i in $(seq 1 $(( $2 * 5 ))); do eval "$1" && return 0; sleep 0.2; done
  return 1
}

cd "$folder"
rm -f calendar.log
wine "${desktop[@]}" vornix.exe --log calendar.log &
wait_for '[ -f calendar.log ]' 90 || echo "the calendar stand-in did not start" >&2
wine "${desktop[@]}" lumo.exe &
lumo_pid=$!

if [ -n "$shot" ]; then
  wait_for 'grep -q "HALLO" calendar.log' 90 || echo "lumo did not greet the calendar" >&2
  sleep "${LUMO_SHOT_DELAY:-4}"
  import -window root "$shot"
  echo "saved $shot"
  exit 0
fi
wait "$lumo_pid"
