#!/usr/bin/env bash
# Runs system_http_bench under Wine against an endpoint started for the run.
#   tools/bench/system/run_http_bench.sh <windows build dir> [MiB] [rounds] [burst]
set -euo pipefail
here=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "$1" && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}" WINEDEBUG="${WINEDEBUG:--all}"
state="$build/endpoints/system_http_bench"
port=$(python3 "$here/tools/endpoint/burst_routes.py" --background --port 0 --root "$here" \
  --state-dir "$state")
trap 'python3 "$here/tools/endpoint/burst_routes.py" --stop --state-dir "$state"' EXIT
"$(dirname "$0")/../../../scripts/wine" "$build/tools/bench/system/system_http_bench.exe" "$port" "${2:-256}" "${3:-3}" ${4:-}
