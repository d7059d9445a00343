# What every scenario script does around its own part: open the bench in the build's
# prefix, lay the technician's folder, serve screenshots, and run the driver's tests.
#   . "$(dirname "$0")/scenario-lib.sh" NAME BUILD_DIR DRIVER
set -euo pipefail
scenario_name=$1
scenario_driver=$3
. "$(dirname "${BASH_SOURCE[0]}")/../../bench/bench-lib.sh"
bench_open "$2" "$2/e2e/$scenario_name"
trap bench_close EXIT
bench_lay_folder
scenario_shots="$2/e2e/screenshots"
bench_serve_screenshots "$scenario_shots"

# scenario_drive GTEST_FILTER: the driver's tests for this scenario, against the folder.
scenario_drive() {
  KV_E2E_TOOL_DIR=$BENCH_TOOL_DIR_WIN KV_E2E_SHOTS=$(bench_windows_path "$scenario_shots") \
    wine "$scenario_driver" --gtest_filter="$1" </dev/null
}

# scenario_fail MESSAGE: a check of the scenario script itself failed.
scenario_fail() {
  echo "FAILED: $*" >&2
  exit 1
}
