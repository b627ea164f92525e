#!/usr/bin/env bash
# Starts the local endpoint, runs web_bench under Wine against it, and stops the endpoint.
#   tools/bench/web/run_web_bench.sh <windows build dir> [size, default 32m] [rounds, default 5]
set -euo pipefail
build=${1:?windows build directory}
here=$(cd "$(dirname "$0")/../../.." && pwd)
state=$(mktemp -d)
trap 'python3 "$here/tools/endpoint/endpoint.py" --stop --state-dir "$state"; rm -rf "$state"' EXIT
port=$(python3 "$here/tools/endpoint/endpoint.py" --background --port 0 --root "$state" \
  --state-dir "$state")
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix} WINEDEBUG=${WINEDEBUG:--all}
"$(dirname "$0")/../../../scripts/wine" "$build/tools/bench/web/web_bench.exe" "$port" "${2:-32m}" "${3:-5}"
