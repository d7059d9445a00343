# Shell functions for running Windows programs of this project under Wine.
# Sourced by cmake/wine-run and by the bench scripts; sets nothing until called.

# wine_use_prefix DIR: every later wine command works in the prefix DIR (32-bit,
# Mono and Gecko installers skipped, Wine's own chatter off).
wine_use_prefix() {
  export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=;${WINEDLLOVERRIDES:-}"
}

# wine_prepare_prefix: makes the prefix once; later calls find it ready. A lock keeps two
# runs from making it at the same time.
wine_prepare_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.kv-ready" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i </dev/null >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.kv-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# wine_start_display: starts Xvfb on a free display when there is no DISPLAY;
# kv_xvfb_pid names it for wine_stop_display.
kv_xvfb_pid=""
wine_start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local fifo display
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
  kv_xvfb_pid=$!
  read -r display <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$display"
}
wine_stop_display() {
  [ -n "$kv_xvfb_pid" ] || return 0
  kill "$kv_xvfb_pid" 2>/dev/null; wait "$kv_xvfb_pid" 2>/dev/null
  kv_xvfb_pid=""
}

# wine_start_session: Wine's background services inherit the output of the first wine
# command and keep it open, which would hang whoever reads that output (ctest, a pipe).
# Starting them with nothing attached avoids that.
wine_start_session() {
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}
wine_end_session() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  return 0
}
