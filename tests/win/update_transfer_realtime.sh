#!/usr/bin/env bash
# One real-time firmware transfer under Wine:
#   update_transfer_realtime.sh BUILD WIN_TESTS TEST SCENARIO EXPECT
# lays out a technician's folder (a copy of WIN_TESTS, the module-exchange stand-ins, a
# small "firmware" folder; the folder's name holds a space and a %), starts the simulated
# module as SCENARIO on COM17 with a store, runs the one gtest TEST there, and then checks
# what the module keeps: EXPECT "copied" (the firmware, byte for byte) or "nothing".
# Either way the stand-in server and extension must be unregistered again.
set -u
build=$(cd "$1" && pwd) win_tests=$2 test=$3 scenario=$4 expect=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../cmake/wine-lib.sh"

work="$build/tests/win/update-realtime-$scenario"
tool="$work/KV730 Update 100%"
store="$work/store"
rm -rf "$work"
mkdir -p "$tool/firmware" "$store"
cp "$win_tests" "$build"/bench/mes/{MESShellExt.dll,MESServer.exe,MESPort.exe,MESXCopy.exe} \
  "$tool/"
head -c 150000 /dev/urandom >"$tool/firmware/KV730.jar"
printf 'MIDlet-Name: KV730\r\nMIDlet-Jar-Size: 150000\r\n' >"$tool/firmware/KV730.jad"
: >"$tool/firmware/empty.ini"

wine_use_prefix "$build/wineprefix"
wine_prepare_prefix
wine_start_display
sim_pid=""
# Wine first: the wineserver that opened the pseudo-terminal takes it as its controlling
# terminal, and would get a hang-up (and dump its objects) when the simulator closes it.
finish() {
  wine_end_session
  [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  wine_stop_display
}
trap finish EXIT
wine_start_session

"$build/bench/module-sim/module-sim" --link "$WINEPREFIX/dosdevices/com17" \
  --scenario "$scenario" --store "$store" --ready "$work/ready" \
  </dev/null >"$work/module-sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -e "$work/ready" ] && break; sleep 0.1; done
[ -e "$work/ready" ] || { echo "the module simulator did not start"; cat "$work/module-sim.out"; exit 1; }

# The tool's folder is the working folder, as when the technician starts the program
# there: REGSVR32 finds MESShellExt.dll through it.
(cd "$tool" && KV_MODULE_PORT=COM17 wine ./win_tests.exe --gtest_filter="$test")
status=$?

# The extension's unregistration is started as the transfer's last act; give it time.
for _ in $(seq 150); do
  [ -e "$tool/MESServer.registered" ] || [ -e "$tool/MESShellExt.registered" ] || break
  sleep 0.1
done
for mark in MESServer.registered MESShellExt.registered; do
  [ -e "$tool/$mark" ] && { echo "still registered: $mark"; status=1; }
done

case $expect in
  copied) diff -r "$tool/firmware" "$store" || { echo "the module does not hold the firmware"; status=1; } ;;
  nothing) [ -z "$(ls -A "$store")" ] || { echo "the module received files:"; ls -l "$store"; status=1; } ;;
esac
echo "Port.txt: $(cat "$tool/Port.txt" 2>/dev/null)"
echo "Update.txt: $(cat "$tool/Update.txt" 2>/dev/null)"
exit $status
