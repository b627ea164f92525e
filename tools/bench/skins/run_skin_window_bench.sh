#!/usr/bin/env bash
# The skin window's openings under Wine against the local endpoint serving the demo content at the
# build's download host (its LQ_DOWNLOAD_HOST, a port on 127.0.0.1).
#   tools/bench/skins/run_skin_window_bench.sh <windows build dir> [rounds, default 5] [slow ms]
# With `slow ms`, each preview's answer comes in pieces over that time (the host's fault mode
# slow:<ms>), as over a slow link; by default the host answers at once.
# Needs the build's skin_window_bench and skin_window_demo_content (the end-to-end tests' content
# writer) built.
set -euo pipefail
build=$(cd "${1:?windows build directory}" && pwd)
rounds=${2:-5}
slow=${3:-0}
here=$(cd "$(dirname "$0")/../../.." && pwd)
source "$here/scripts/lib.sh"
host=$(sed -n 's/^LQ_DOWNLOAD_HOST:STRING=//p' "$build/CMakeCache.txt")
port=${host##*:}
work=$(mktemp -d)
script="$here/tools/endpoint/install_routes.py"
trap 'python3 "$script" --stop --state-dir "$work/state" >/dev/null 2>&1 || true; lq_cleanup; rm -rf "$work"' EXIT
lq_ensure_display
lq_start_wineserver
"$wine" "$build/tests/e2e/skin_window_demo_content.exe" "Z:${work//\//\\}\\demo" | tr -d '\r'
python3 "$script" --background --port "$port" --root "$work/demo" --state-dir "$work/state" \
  >/dev/null
if [ "$slow" -gt 0 ]; then
  curl -sf "$host/__install/fault?mode=slow:$slow&prefix=/lolbf/imgs/" >/dev/null
fi
"$wine" "$build/tools/bench/skins/skin_window_bench.exe" "$rounds" | tr -d '\r'
