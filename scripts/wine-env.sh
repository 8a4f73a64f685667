# Wine environment for running our Windows programs and tests: sourced, not run.
#
#   wine_env_init [build-dir]   exports a Japanese Wine environment whose prefix,
#                               home and caches live under build-dir/wine; the
#                               prefix is made once and reused
#   wine_display_start          starts a private Xvfb and exports its DISPLAY
#   wine_env_stop               ends every Wine process and the Xvfb
#
# Nothing here touches ~/.wine or the user's own display.

VORTA_ROOT=${VORTA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

wine_env_init() {
  local build=${1:-$VORTA_ROOT/build/windows}
  mkdir -p "$build/wine"
  export WINE_BASE
  WINE_BASE=$(cd "$build/wine" && pwd)
  export WINEPREFIX=$WINE_BASE/prefix
  export HOME=$WINE_BASE/home
  export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8   # Wine's ANSI code page becomes 932
  export WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$HOME"
  (
    flock 9
    [ -f "$WINEPREFIX/.vorta-ready" ] || _wine_prefix_create
  ) 9>"$WINE_BASE/.lock"
}

_wine_prefix_create() {
  echo "wine-env: creating the Wine prefix in $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  local log=$WINE_BASE/prefix-create.log
  # No display while the prefix is made: nothing may show up on the user's screen.
  (
    unset DISPLAY WAYLAND_DISPLAY
    wineboot -i >"$log" 2>&1
    timeout 60 wineserver -w >>"$log" 2>&1
    local substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    wine reg add "$substitutes" /v "ＭＳ Ｐゴシック" /d IPAPGothic /f >>"$log" 2>&1
    wine reg add "$substitutes" /v "ＭＳ ゴシック" /d IPAGothic /f >>"$log" 2>&1
    wine reg add "$substitutes" /v "MS UI Gothic" /d IPAPGothic /f >>"$log" 2>&1
    # Without a window manager Wine's own frames give windows their caption and
    # close them at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1
    timeout 60 wineserver -w >>"$log" 2>&1
  ) || { echo "wine-env: making the prefix failed, see $log" >&2; return 1; }
  # The shell folders of a new prefix point into $HOME; make them real folders.
  local d
  for d in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
  done
  touch "$WINEPREFIX/.vorta-ready"
}

wine_display_start() {
  local out
  out=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out" >"$WINE_BASE/xvfb.log" 2>&1 &
  WINE_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$out" ] && break
    sleep 0.05
  done
  if [ ! -s "$out" ]; then
    echo "wine-env: Xvfb did not start, see $WINE_BASE/xvfb.log" >&2
    rm -f "$out"
    return 1
  fi
  export DISPLAY=":$(tr -d '[:space:]' <"$out")"
  rm -f "$out"
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    timeout 15 wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${WINE_XVFB_PID:-}" ]; then
    kill "$WINE_XVFB_PID" 2>/dev/null || true
    wait "$WINE_XVFB_PID" 2>/dev/null || true
    unset WINE_XVFB_PID
  fi
}

# Keeps one wineserver and Wine's helper processes running for a batch of runs,
# with their output in a file so that no pipe of the caller stays open.
wine_server_warm() {
  wineserver -p >"$WINE_BASE/wineserver.log" 2>&1
  wine cmd /c exit >>"$WINE_BASE/wineserver.log" 2>&1 </dev/null
}
