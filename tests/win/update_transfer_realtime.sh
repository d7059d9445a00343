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
. "$here/../../bench/bench-lib.sh"

BENCH_BUILD=$build
BENCH_WORK="$build/tests/win/update-realtime-$scenario"
tool="$BENCH_WORK/KV730 Update 100%"
rm -rf "$BENCH_WORK"
mkdir -p "$tool/firmware"
cp "$win_tests" "$build"/bench/mes/{MESShellExt.dll,MESServer.exe,MESPort.exe,MESXCopy.exe} \
  "$tool/"
head -c 150000 /dev/urandom >"$tool/firmware/KV730.jar"
printf 'MIDlet-Name: KV730\r\nMIDlet-Jar-Size: 150000\r\n' >"$tool/firmware/KV730.jad"
: >"$tool/firmware/empty.ini"

wine_use_prefix "$build/wineprefix"
wine_prepare_prefix
wine_start_display
trap 'bench_stop_modules; wine_end_session; wine_stop_display' EXIT
wine_start_session
bench_start_module COM17 "$scenario" || exit 1
store="$(bench_module_dir COM17)/store"

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
