#!/usr/bin/env bash
# The scan for the module's port: COM3 and COM7 in the registry, nothing behind COM3, the
# module on COM7, first in its setting mode, then talking on its own.
. "$(dirname "$0")/scenario-lib.sh" scan_ports "$@"
bench_add_adapter '5&2a3f1e&0&1' COM3
bench_add_adapter '5&2a3f1e&0&2' COM7
rm -f "$WINEPREFIX/dosdevices/com3"

# Every scan and update opened COM7 and closed it again: nothing was left open.
com7_left_open() {
  local events
  events=$(bench_module_dir COM7)/events
  [ "$(grep -cx open "$events")" != "$(grep -cx close "$events")" ]
}

bench_start_module COM7 normal
scenario_drive 'ScanPorts.*'
com7_left_open && scenario_fail "COM7 was left open: $(tr '\n' ' ' <"$(bench_module_dir COM7)/events")"

bench_stop_modules
rm -f "$(bench_module_dir COM7)/events"
bench_start_module COM7 talking
scenario_drive 'ScanPortsTalking.*'
com7_left_open && scenario_fail "COM7 was left open while talking"
exit 0
