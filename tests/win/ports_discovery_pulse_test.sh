#!/usr/bin/env bash
# The start-up break through real serial links under Wine:
#   ports_discovery_pulse_test.sh PREFIX WIN_TESTS_EXE MODULE_SIM
# The module simulator plays the adapter on COM5 and on COM6 and notes every open and close
# of its port; COM4 has no port behind it. The pulse must skip COM4, go on, and open and
# close each of the other two exactly once.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../cmake/wine-lib.sh"
prefix=$1 tests=$2 sim=$3

work=$(mktemp -d)
sims=()
finish() {
  local pid
  for pid in "${sims[@]}"; do
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  wine_end_session
  wine_stop_display
  rm -rf "$work"
}
trap finish EXIT

wine_use_prefix "$prefix"
wine_prepare_prefix
wine_start_display
rm -f "$WINEPREFIX/dosdevices/com4"

for port in com5 com6; do
  "$sim" --link "$WINEPREFIX/dosdevices/$port" --events "$work/$port.events" \
    --ready "$work/$port.ready" </dev/null >"$work/$port.output" 2>&1 &
  sims+=($!)
done
for port in com5 com6; do
  for _ in $(seq 100); do [ -e "$work/$port.ready" ] && break; sleep 0.1; done
  if [ ! -e "$work/$port.ready" ]; then
    echo "the simulator on $port did not start:" >&2
    cat "$work/$port.output" >&2
    exit 1
  fi
done

wine_start_session
wine "$tests" --gtest_filter='PortDiscoveryPulseRealTime.*' || exit 1

# The simulators note a close a moment after it happens.
status=0
for port in com5 com6; do
  for _ in $(seq 20); do
    [ "$(cat "$work/$port.events" 2>/dev/null)" = $'open\nclose' ] && break
    sleep 0.1
  done
  events=$(tr '\n' ' ' <"$work/$port.events" 2>/dev/null)
  if [ "$events" != "open close " ]; then
    echo "$port: expected one open and one close, the simulator saw: ${events:-nothing}" >&2
    status=1
  fi
done
exit $status
