#!/usr/bin/env bash
# No adapter key in the registry: Update with the row "NO" fails the version check at once
# and never reaches the transfer.
. "$(dirname "$0")/scenario-lib.sh" no_adapter "$@"
bench_remove_adapters
scenario_drive 'NoAdapter.*'

for file in Port.bat Update.bat Port.txt Update.txt; do
  [ ! -e "$BENCH_TOOL_DIR/$file" ] || scenario_fail "$file was written without a module"
done
