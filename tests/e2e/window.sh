#!/usr/bin/env bash
# The window, its menu, About, the file chooser and the keyboard, with two adapter ports in
# the registry and the module on COM7.
. "$(dirname "$0")/scenario-lib.sh" window "$@"
bench_add_adapter '5&2a3f1e&0&1' COM7
bench_add_adapter '5&2a3f1e&0&2' COM10
bench_start_module COM7 normal
scenario_drive 'Window.*'

# Each start pulsed a break on COM7 and let the port go again (the module notes a close a
# moment after it happens).
events=$(bench_module_dir COM7)/events
grep -qx open "$events" || scenario_fail "the start-up never opened COM7"
balanced() { [ "$(grep -cx open "$events")" = "$(grep -cx close "$events")" ]; }
for _ in $(seq 20); do balanced && break; sleep 0.1; done
balanced || scenario_fail "COM7 was left open: $(tr '\n' ' ' <"$events")"
