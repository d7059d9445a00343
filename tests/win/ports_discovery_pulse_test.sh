#!/usr/bin/env bash
# The start-up break through real serial links under Wine:
#   ports_discovery_pulse_test.sh PREFIX WIN_TESTS_EXE WIN32_BUILD_DIR
# The module simulator plays the adapter on COM5 and on COM6 and notes every open and close
# of its port; COM4 has no port behind it. The pulse must skip COM4, go on, and open and
# close each of the other two exactly once.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../bench/bench-lib.sh"
prefix=$1 tests=$2
BENCH_BUILD=$3
BENCH_WORK=$(mktemp -d)
trap 'bench_stop_modules; wine_end_session; wine_stop_display; rm -rf "$BENCH_WORK"' EXIT

wine_use_prefix "$prefix"
wine_prepare_prefix
wine_start_display
rm -f "$WINEPREFIX/dosdevices/com4"
bench_start_module COM5 normal || exit 1
bench_start_module COM6 normal || exit 1

wine_start_session
wine "$tests" --gtest_filter='PortDiscoveryPulseRealTime.*' || exit 1

# The simulators note a close a moment after it happens.
status=0
for port in COM5 COM6; do
  file="$(bench_module_dir $port)/events"
  for _ in $(seq 20); do
    [ "$(cat "$file" 2>/dev/null)" = $'open\nclose' ] && break
    sleep 0.1
  done
  events=$(tr '\n' ' ' <"$file" 2>/dev/null)
  if [ "$events" != "open close " ]; then
    echo "$port: expected one open and one close, the simulator saw: ${events:-nothing}" >&2
    status=1
  fi
done
exit $status
