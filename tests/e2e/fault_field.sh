#!/usr/bin/env bash
# Faults a technician meets in the field, each a run of the real program under Wine:
#   fault_field.sh BUILD_DIR DRIVER [CASE...]      (no CASE: all of them)
# Several cases wait through a whole update (134 s of fixed ticks, sleeps rather than
# work), so they run side by side: each lane has its own Wine prefix, display and COM7,
# and runs its cases one after another. Each case sets up the bench, runs its one driver
# test (fault_field_test.cpp) and checks the module and the folder afterwards. Every
# case's output lands in BUILD_DIR/e2e/fault_field/CASE.log; a summary ends the run.
set -uo pipefail
build=$(cd "$1" && pwd)
driver=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
results="$build/e2e/fault_field"
shots="$build/e2e/screenshots"

# The long cases first, one lane each; the short ones share the last lane.
lanes=(
  "module_removed"
  "copy_tool_missing"
  "firmware_missing"
  "firmware_empty"
  "odd_folder"
  "report_left unplugged endless_answer long_folder"
)

# --- within a case: the bench is open in the lane's prefix ----------------------------

fault_fail() {
  echo "FAILED: $*"
  exit 1
}

# fault_lay [FOLDER_NAME]: the technician's folder (by default the bench's own) and the
# one adapter, on COM7.
fault_lay() {
  if [ -n "${1:-}" ]; then
    BENCH_TOOL_DIR="$BENCH_WORK/$1"
    BENCH_TOOL_DIR_WIN=$(bench_windows_path "$BENCH_TOOL_DIR")
  fi
  bench_lay_folder
  bench_add_adapter '5&2a3f1e&0&1' COM7
}

# fault_drive TEST [VAR=VALUE...]: the driver's one test for this case.
fault_drive() {
  local test=$1
  shift
  env KV_E2E_TOOL_DIR="$BENCH_TOOL_DIR_WIN" KV_E2E_SHOTS="$(bench_windows_path "$case_shots")" "$@" \
    wine "$driver" --gtest_filter="$test" </dev/null ||
    fault_fail "the driver's test $test"
}

fault_update_ends() { fault_drive "FaultField/UpdateFault.*/$1"; }

fault_store() { echo "$(bench_module_dir COM7)/store"; }

# The module holds the firmware only when every file arrived whole.
fault_module_has_firmware() {
  local file
  for file in "$BENCH_TOOL_DIR"/firmware/*; do
    cmp -s "$file" "$(fault_store)/$(basename "$file")" || return 1
  done
}

fault_nothing_written_to_module() {
  [ -z "$(ls -A "$(fault_store)")" ] || fault_fail "the module received: $(ls -A "$(fault_store)" | tr '\n' ' ')"
}

# Every opening of COM7 was followed by its closing.
fault_port_left_closed() {
  local events opens closes
  events=$(bench_module_dir COM7)/events
  opens=$(grep -cx open "$events" || true)
  closes=$(grep -cx close "$events" || true)
  [ "$opens" = "$closes" ] || fault_fail "COM7 opened $opens times but closed $closes times"
}

# The transfer starts the extension's unregistration as its last act, without waiting.
fault_unregistered() {
  local _ mark
  for _ in $(seq 100); do
    [ -e "$BENCH_TOOL_DIR/MESServer.registered" ] ||
      [ -e "$BENCH_TOOL_DIR/MESShellExt.registered" ] || return 0
    sleep 0.1
  done
  for mark in MESServer.registered MESShellExt.registered; do
    [ ! -e "$BENCH_TOOL_DIR/$mark" ] || fault_fail "left registered: $mark"
  done
}

fault_nothing_started() {
  local file
  for file in Port.bat Update.bat Port.txt Update.txt MESPort.port; do
    [ ! -e "$BENCH_TOOL_DIR/$file" ] || fault_fail "$file exists: a stage was started"
  done
}

# --- the cases ------------------------------------------------------------------------

# The module goes away in the middle of the first file (the simulator ends mid-copy).
case_module_removed() {
  fault_lay
  bench_start_module COM7 vanish
  fault_update_ends ModuleRemovedDuringTheCopy
  fault_module_has_firmware && fault_fail "the module holds the whole firmware"
  fault_unregistered
}

case_copy_tool_missing() {
  fault_lay
  rm "$BENCH_TOOL_DIR/MESXCopy.exe"
  bench_start_module COM7 normal
  fault_update_ends CopyToolMissing
  fault_nothing_written_to_module
  fault_port_left_closed
  fault_unregistered
}

case_firmware_missing() {
  fault_lay
  rm -r "$BENCH_TOOL_DIR/firmware"
  bench_start_module COM7 normal
  fault_update_ends FirmwareFolderMissing
  fault_nothing_written_to_module
  fault_port_left_closed
  fault_unregistered
}

case_firmware_empty() {
  fault_lay
  rm "$BENCH_TOOL_DIR"/firmware/*
  bench_start_module COM7 normal
  fault_update_ends FirmwareFolderEmpty
  fault_nothing_written_to_module
  fault_port_left_closed
  fault_unregistered
}

# An earlier successful run left its copy report, and it is read-only now (as files
# copied from a CD are): this run's copy stage could not write its own over it.
case_report_left() {
  fault_lay
  printf 'Z:\\KV730 Update\\firmware\\KV730.jad\r\n3 file(s) copied\r\n' \
    >"$BENCH_TOOL_DIR/Update.txt"
  chmod a-w "$BENCH_TOOL_DIR/Update.txt"
  bench_start_module COM7 normal
  fault_update_ends EarlierReportThatCannotBeReplaced
  fault_nothing_written_to_module
  fault_port_left_closed
  fault_unregistered
  [ ! -e "$BENCH_TOOL_DIR/Update.bat" ] || fault_fail "the copy stage was started"
}

# The adapter is listed in the registry and was there at start; it is pulled out before
# the scan.
case_unplugged() {
  fault_lay
  bench_start_module COM7 normal
  fault_drive 'FaultField.UnpluggedAdapter*' \
    KV_E2E_MODULE_PID="$(cat "$(bench_module_dir COM7)/ready")"
  fault_nothing_started
}

# The module answers the revision check with text that never ends in OK or ERROR.
case_endless_answer() {
  fault_lay
  bench_start_module COM7 garbled
  fault_update_ends EndlessAnswerToTheRevisionCheck
  fault_port_left_closed
  [ ! -e "$BENCH_TOOL_DIR/Port.bat" ] || fault_fail "the transfer was started"
}

# Spaces, % and & in the folder's name; short enough for the command files.
case_odd_folder() {
  fault_lay 'KV730 Update 100% & Co'
  bench_start_module COM7 normal
  fault_update_ends FolderWithSpacesPercentAndAmpersand
  fault_module_has_firmware || fault_fail "the firmware did not arrive whole"
  fault_port_left_closed
  fault_unregistered
}

# The same characters in a folder of over 200 characters: its command lines would not
# fit, so the update is refused before any program starts.
case_long_folder() {
  local name='KV730 Update 100% & Co ' base
  base=$(bench_windows_path "$BENCH_WORK")
  while [ $((${#base} + 1 + ${#name})) -lt 210 ]; do name+=x; done
  fault_lay "$name"
  bench_start_module COM7 normal
  fault_update_ends FolderOver200Characters
  fault_nothing_started
  [ "$(cat "$(bench_module_dir COM7)/log")" = $'ati\r' ] ||
    fault_fail "the module was sent more than the revision check"
  fault_port_left_closed
}

# --- lanes ----------------------------------------------------------------------------

# run_case CASE LANE: one case with the bench open in the lane's prefix; its own display,
# so that the programs of different lanes never see each other's windows, and its own
# screenshot server, which photographs that display only.
run_case() {
  (
    set -eu
    unset DISPLAY
    . "$here/../../bench/bench-lib.sh"
    bench_open "$build" "$results/$1" "$build/fault-prefix-$2"
    case_shots="$BENCH_WORK/screenshots"
    trap 'bench_close; mv -f "$case_shots"/*.png "$shots"/ 2>/dev/null' EXIT
    bench_serve_screenshots "$case_shots"
    "case_$1"
  ) >"$results/$1.log" 2>&1
}

run_lane() {
  local lane=$1 case_name start status
  shift
  for case_name in "$@"; do
    start=$SECONDS
    run_case "$case_name" "$lane"
    status=$?
    echo "$case_name $status $((SECONDS - start))" >"$results/$case_name.result"
  done
}

wanted() {
  [ $# -eq 1 ] && return 0
  local case_name=$1 want
  shift
  for want in "$@"; do [ "$want" = "$case_name" ] && return 0; done
  return 1
}

mkdir -p "$results" "$shots"
rm -f "$results"/*.result "$results"/*.log
begin=$SECONDS
lane_pids=()
for i in "${!lanes[@]}"; do
  cases=()
  for case_name in ${lanes[$i]}; do
    wanted "$case_name" "$@" && cases+=("$case_name")
  done
  [ ${#cases[@]} -gt 0 ] || continue
  run_lane "$i" "${cases[@]}" &
  lane_pids+=($!)
done
[ ${#lane_pids[@]} -gt 0 ] || { echo "no such case: $*"; exit 1; }
wait "${lane_pids[@]}"

failed=0
echo "case                 result  seconds  shown"
for result in "$results"/*.result; do
  read -r case_name status seconds <"$result"
  shown=$(grep -h '^shown:' "$results/$case_name.log" | sed 's/^shown: //' | tr '\n' ' ')
  printf '%-20s %-7s %7s  %s\n' "$case_name" "$([ "$status" = 0 ] && echo ok || echo FAILED)" \
    "$seconds" "$shown"
  [ "$status" = 0 ] || failed=1
done
echo "all lanes: $((SECONDS - begin)) s"
if [ $failed -ne 0 ]; then
  for result in "$results"/*.result; do
    read -r case_name status _ <"$result"
    [ "$status" = 0 ] && continue
    echo "===== $case_name"
    cat "$results/$case_name.log"
  done
fi
exit $failed
