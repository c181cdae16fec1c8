# The display and Wine prefix that the Windows tests run in. Sourced by tools/test,
# tools/run and tools/bench; testenv_stop ends every process testenv_start began.
#
# testenv_start: a private Xvfb display (1024 x 768, 24 bits, or TESTENV_SCREEN as
# WIDTHxHEIGHTxDEPTH) with the openbox window manager, and a fresh Wine prefix in a temporary folder with one
# wineserver kept alive for the whole run.

TESTENV_DIR=""
TESTENV_XVFB_PID=""
TESTENV_WM_PID=""

testenv_start() {
  TESTENV_DIR=$(mktemp -d "${TMPDIR:-/tmp}/velmora-test.XXXXXX")
  # -displayfd picks a free display number and writes it once the server is ready.
  Xvfb -displayfd 1 -screen 0 "${TESTENV_SCREEN:-1024x768x24}" -nolisten tcp -noreset \
    >"$TESTENV_DIR/display" 2>"$TESTENV_DIR/xvfb.log" &
  TESTENV_XVFB_PID=$!
  local number="" tries=0
  while [ -z "$number" ] && [ $tries -lt 200 ]; do
    sleep 0.1; tries=$((tries + 1))
    number=$(head -n 1 "$TESTENV_DIR/display" 2>/dev/null | tr -dc 0-9)
  done
  [ -n "$number" ] || { cat "$TESTENV_DIR/xvfb.log"; die "Xvfb did not start"; }
  export DISPLAY=":$number"
  # Without a window manager Wine waits two seconds for every hidden window to be
  # withdrawn; openbox answers at once and changes nothing else the saver sees.
  openbox --sm-disable >"$TESTENV_DIR/openbox.log" 2>&1 &
  TESTENV_WM_PID=$!
  # Windows mapped before the window manager runs are never given the focus.
  tries=0
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    [ $tries -lt 200 ] || { cat "$TESTENV_DIR/openbox.log"; die "openbox did not start"; }
    sleep 0.1; tries=$((tries + 1))
  done
  export WINEPREFIX="$TESTENV_DIR/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINE
  WINE=$(wine_binary)
  "$WINE" wineboot -u >"$TESTENV_DIR/wineboot.log" 2>&1 || true
  wineserver_bin -w
  wineserver_bin -p
  "$WINE" cmd /c exit 0 >/dev/null 2>&1 || true
}

wineserver_bin() {
  if [ -x /usr/lib/wine/wineserver ]; then /usr/lib/wine/wineserver "$@"; else wineserver "$@"; fi
}

testenv_stop() {
  if [ -n "$TESTENV_DIR" ]; then
    WINEPREFIX="$TESTENV_DIR/wineprefix" wineserver_bin -k >/dev/null 2>&1 || true
    WINEPREFIX="$TESTENV_DIR/wineprefix" wineserver_bin -w >/dev/null 2>&1 || true
  fi
  [ -n "$TESTENV_WM_PID" ] && kill "$TESTENV_WM_PID" 2>/dev/null
  [ -n "$TESTENV_XVFB_PID" ] && kill "$TESTENV_XVFB_PID" 2>/dev/null
  [ -n "$TESTENV_XVFB_PID" ] && wait "$TESTENV_XVFB_PID" 2>/dev/null
  [ -n "$TESTENV_DIR" ] && rm -rf "$TESTENV_DIR"
  TESTENV_DIR=""; TESTENV_XVFB_PID=""; TESTENV_WM_PID=""
  return 0
}

# A Linux path as Wine's Z: drive names it.
winpath() { printf 'Z:%s' "$(realpath "$1" | tr '/' '\\')"; }
