# The technician's bench under Wine: a Wine prefix with a virtual desktop, the program's
# folder as a technician lays it out, the USB-to-serial adapter's registry entries, the
# simulated module on COM ports, and screenshots. Sourced by the end-to-end scenarios and
# the demo; sets nothing until called.
#
#   . bench/bench-lib.sh
#   bench_open build/win32 build/win32/e2e/update   # prefix, desktop, session, work folder
#   trap bench_close EXIT
#   bench_lay_folder                                # $BENCH_TOOL_DIR: program, stand-ins, firmware
#   bench_add_adapter '5&2a3f1e&0&1' COM7
#   bench_start_module COM7 normal                  # $(bench_module_dir COM7)/store, events, log
#   wine "$BENCH_TOOL_DIR/KV730Update.exe"
#
# The prefix's registry and its COM links outlive one run; bench_close removes what this
# run added, so runs in the same prefix must follow one another, never overlap.

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$bench_root/cmake/wine-lib.sh"

bench_adapter_key='HKLM\SYSTEM\CurrentControlSet\Enum\USB\Vid_067b&Pid_2303'
bench_module_pids=()
bench_shot_server_pid=""

# bench_open BUILD_DIR WORK_DIR [PREFIX]: the win32 build to take the programs from, an
# emptied folder for this run's files, and the Wine prefix (default BUILD_DIR/bench-prefix,
# made on first use). Starts the display and the Wine session. Sets BENCH_BUILD,
# BENCH_WORK, BENCH_TOOL_DIR (the technician's folder, a name with a space as under
# "Program Files") and BENCH_TOOL_DIR_WIN (the same as Windows programs see it).
bench_open() {
  BENCH_BUILD=$(cd "$1" && pwd)
  BENCH_WORK=$2
  rm -rf "$BENCH_WORK"
  mkdir -p "$BENCH_WORK"
  BENCH_WORK=$(cd "$BENCH_WORK" && pwd)
  BENCH_TOOL_DIR="$BENCH_WORK/KV730 Update"
  BENCH_TOOL_DIR_WIN=$(bench_windows_path "$BENCH_TOOL_DIR")
  export BENCH_BUILD BENCH_WORK BENCH_TOOL_DIR BENCH_TOOL_DIR_WIN
  wine_use_prefix "${3:-$BENCH_BUILD/bench-prefix}"
  wine_prepare_prefix
  wine_start_display
  bench_use_virtual_desktop
  bench_start_session
}

# The Wine server would otherwise hold on to the caller's output (a test runner's pipe)
# until it ends.
bench_start_session() {
  wine_start_session </dev/null >/dev/null 2>&1
}

# bench_close: undoes what this run added to the prefix and ends everything it started.
bench_close() {
  set +e  # every step runs, whatever the one before it met
  bench_stop_modules
  bench_stop_screenshot_server
  bench_remove_adapters
  wine_end_session
  wine_stop_display
}

# bench_windows_path PATH: the path as Windows programs under Wine see it (drive Z:).
bench_windows_path() {
  local path=$1
  echo "Z:${path//\//\\}"
}

# Every window gets Wine's own frame, drawn inside a desktop window, so that screenshots
# show title bars and close boxes even without a window manager. Set once per prefix.
bench_use_virtual_desktop() {
  (
    flock 9
    [ -f "$WINEPREFIX/.kv-desktop" ] && exit 0
    bench_start_session
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
      </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
      </dev/null >/dev/null 2>&1
    wine_end_session
    touch "$WINEPREFIX/.kv-desktop"
  ) 9>"$WINEPREFIX.lock"
}

# bench_lay_folder: the technician's folder: the program, the module-exchange stand-ins
# beside it, and a "firmware" folder of three sample files.
bench_lay_folder() {
  local mes="$BENCH_BUILD/bench/mes"
  mkdir -p "$BENCH_TOOL_DIR/firmware"
  cp "$BENCH_BUILD/KV730Update.exe" "$BENCH_TOOL_DIR/"
  cp "$mes/MESShellExt.dll" "$mes/MESServer.exe" "$mes/MESPort.exe" "$mes/MESXCopy.exe" \
    "$BENCH_TOOL_DIR/"
  printf 'MIDlet-Name: KV730\r\nMIDlet-Version: 2.0.7\r\nMIDlet-Vendor: Norvane\r\n' \
    >"$BENCH_TOOL_DIR/firmware/KV730.jad"
  head -c 20000 /dev/urandom >"$BENCH_TOOL_DIR/firmware/KV730.jar"
  printf '[radio]\r\nband=900\r\n' >"$BENCH_TOOL_DIR/firmware/settings.ini"
}

# bench_add_adapter INSTANCE PORT: one adapter instance as its driver names it in the
# device registry, e.g. bench_add_adapter '5&2a3f1e&0&1' COM7.
bench_add_adapter() {
  wine reg add "$bench_adapter_key\\$1" /v FriendlyName /t REG_SZ \
    /d "Prolific USB-to-Serial Comm Port ($2)" /f </dev/null >/dev/null 2>&1
}

# bench_remove_adapters: no adapter known to the registry any more.
bench_remove_adapters() {
  wine reg delete "$bench_adapter_key" /f </dev/null >/dev/null 2>&1 || true  # none is fine
}

# bench_module_dir PORT: where the simulated module on PORT keeps its files: store/ (what
# was written onto its drive), events ("open"/"close" of the port), log (bytes received).
bench_module_dir() {
  echo "$BENCH_WORK/module-$1"
}

# bench_start_module PORT SCENARIO: the simulated module answering on PORT (COM7, ...),
# behaving as SCENARIO (see module-sim --help). Returns once it answers.
bench_start_module() {
  local port=$1 scenario=$2 dir
  dir=$(bench_module_dir "$port")
  mkdir -p "$dir/store"
  "$BENCH_BUILD/bench/module-sim/module-sim" \
    --link "$WINEPREFIX/dosdevices/${port,,}" --scenario "$scenario" --store "$dir/store" \
    --events "$dir/events" --log "$dir/log" --ready "$dir/ready" \
    </dev/null >"$dir/output" 2>&1 &
  bench_module_pids+=($!)
  local tries=0
  until [ -e "$dir/ready" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ]; then
      echo "bench: the module on $port did not start:" >&2
      cat "$dir/output" >&2
      return 1
    fi
    sleep 0.1
  done
}

# bench_stop_modules: ends every simulated module of this run (each removes its COM link).
bench_stop_modules() {
  local pid
  for pid in "${bench_module_pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  bench_module_pids=()
}

# bench_screenshot FILE [GEOMETRY]: a PNG of the virtual desktop, or of the part
# WIDTHxHEIGHT+X+Y of it.
bench_screenshot() {
  local file=$1 crop=()
  [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
  import -window root "${crop[@]}" "png:$file.part" && mv "$file.part" "$file"
}

# bench_serve_screenshots DIR: lets a Windows program ask for screenshots at the moments
# it chooses: it writes NAME.want holding WIDTHxHEIGHT+X+Y into DIR and waits until the
# file is gone; NAME.png is then the picture of that part of the desktop.
bench_serve_screenshots() {
  local dir=$1
  mkdir -p "$dir"
  (
    shopt -s nullglob
    while :; do
      for want in "$dir"/*.want; do
        bench_screenshot "${want%.want}.png" "$(cat "$want")"
        rm -f "$want"
      done
      sleep 0.1
    done
  ) </dev/null >/dev/null 2>&1 &
  bench_shot_server_pid=$!
}

bench_stop_screenshot_server() {
  [ -n "$bench_shot_server_pid" ] || return 0
  kill "$bench_shot_server_pid" 2>/dev/null
  wait "$bench_shot_server_pid" 2>/dev/null
  bench_shot_server_pid=""
}
