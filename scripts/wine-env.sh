# Sourced by the scripts that run Windows programs: the project's private Wine
# prefix, quiet Wine, no Mono/Gecko prompts, the ANSI code page 1252.
LUMO_ROOT=${LUMO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$LUMO_ROOT/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=en_US.UTF-8 LC_ALL=
export WINEARCH=win64

# Creates the prefix the first time (about 15 s).
wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
  fi
}

# Keeps one wineserver and Wine's services running for a whole test run, so
# each test program starts in about a second.
wine_warm_up() {
  (wineserver -p >/dev/null 2>&1 &)
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# Starts a private Xvfb when there is no display; sets DISPLAY.
LUMO_XVFB_PID=
private_display() {
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${LUMO_SCREEN:-1280x800x24}" -nolisten tcp >/dev/null 2>&1 &
    LUMO_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    return 0
  done
  echo "no free display number for Xvfb" >&2
  return 1
}

stop_private_display() {
  [ -n "$LUMO_XVFB_PID" ] && kill "$LUMO_XVFB_PID" 2>/dev/null || true
}
