#!/usr/bin/env bash
# The whole update against the simulated module on COM7 (COM10 is listed but leads
# nowhere), with the module-exchange stand-ins beside the program.
. "$(dirname "$0")/scenario-lib.sh" update "$@"
bench_add_adapter '5&2a3f1e&0&1' COM7
bench_add_adapter '6&11c2e0b&0&1' COM10
bench_start_module COM7 normal
scenario_drive 'FullUpdate.*'

store=$(bench_module_dir COM7)/store
for file in "$BENCH_TOOL_DIR"/firmware/*; do
  cmp -s "$file" "$store/$(basename "$file")" ||
    scenario_fail "$(basename "$file") did not arrive whole on the module"
done
grep -q "3 file(s) copied" "$BENCH_TOOL_DIR/Update.txt" ||
  scenario_fail "the copy report does not say 3 file(s) copied: $(cat "$BENCH_TOOL_DIR/Update.txt")"
