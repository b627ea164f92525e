#!/usr/bin/env bash
# Installing a large package from the local endpoint under Wine, against the sum of a bare download
# of the same bytes and a copy of the file that is flushed to the disk; and how far the
# installation's peak working set rises above the process's idle working set.
#   tools/bench/skins/run_skins_bench.sh <windows build dir> [size in MiB, default 200] [rounds, default 3]
set -euo pipefail
build=$(cd "${1:?windows build directory}" && pwd)
mib=${2:-200}
rounds=${3:-3}
here=$(cd "$(dirname "$0")/../../.." && pwd)
exe="$build/tools/bench/skins/skins_bench.exe"
work=$(mktemp -d)
script="$here/tools/endpoint/install_routes.py"
trap 'python3 "$script" --stop --state-dir "$work/state"; rm -rf "$work"' EXIT
mkdir -p "$work/root" "$work/game/英雄联盟/Game"
port=$(python3 "$script" --background --port 0 --root "$work/root" --state-dir "$work/state")
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix} WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=${LC_ALL:-zh_CN.UTF-8}
wine="$(cd "$(dirname "$0")/../../.." && pwd)/scripts/wine"
url="http://127.0.0.1:$port/install/zip/${mib}m/bench.zip"
game="Z:${work//\//\\}\\game\\英雄联盟\\Game\\"
# The package's exact size: the entry's bytes plus the zip's headers.
size=$(python3 -c "
import sys; sys.path.insert(0, '$here/tools/endpoint')
import install_routes; print(install_routes.PatternZip($mib * 1024 * 1024).length)")
# The endpoint computes the entry's checksum once; a first fetch keeps that out of the rounds.
curl -s -o /dev/null "$url"

for round in $(seq 1 "$rounds"); do
  "$wine" "$exe" install "$url" "$game" "$size" | tr -d '\r' | tee -a "$work/figures"
  "$wine" "$exe" download "$url" "$size" | tr -d '\r' | tee -a "$work/figures"
  "$wine" "$exe" copy "${game}bench.zip" "${game}copy.zip" | tr -d '\r' | tee -a "$work/figures"
  rm -f "$work/game/英雄联盟/Game/copy.zip"
done

# A second load of the same package (remembered in a store of its own), and a transfer broken
# half way and resumed: the figures, and the body bytes the host sent for each.
control="http://127.0.0.1:$port"
path="/install/zip/${mib}m/bench.zip"
sent() { curl -s "$control/__sent?path=$path" | python3 -c "import json,sys; print(json.load(sys.stdin)['body_bytes'])"; }
mkdir -p "$work/store"
rm -f "$work/game/英雄联盟/Game/bench.zip"
before=$(sent)
"$wine" "$exe" reuse "$url" "$game" "$size" "Z:${work//\//\\}\\store" | tr -d '\r' | tee "$work/reuse"
echo "reuse: body bytes sent for both loads $(python3 -c "print($(sent) - $before)") (the package: $size)"
rm -f "$work/game/英雄联盟/Game/bench.zip"
curl -s -o /dev/null "$control/__install/fault?mode=break:50%25&prefix=$path&count=1"
before=$(sent)
"$wine" "$exe" install "$url" "$game" "$size" | tr -d '\r' | grep -v staged
echo "resumed body bytes: $(python3 -c "b=$(sent) - $before; print(b, 'of', $size, '=', round(b / $size, 3), 'packages')")"
curl -s -o /dev/null "$control/__install/fault?mode=none&prefix=$path"

python3 - "$work/figures" "$size" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    step, *fields = line.split()
    if step == "staged":
        continue
    values = dict(f.split("=") for f in fields)
    rows.setdefault(step, []).append(values)
size = int(sys.argv[2])
med = lambda step, key: statistics.median(float(r[key]) for r in rows[step])
install, download, copy = med("install", "seconds"), med("download", "seconds"), med("copy", "seconds")
above = max(int(r["peak_working_set"]) - int(r["idle_working_set"]) for r in rows["install"])
dl_above = max(int(r["peak_working_set"]) - int(r["idle_working_set"]) for r in rows["download"])
ratios = [float(i["seconds"]) / (float(d["seconds"]) + float(c["seconds"]))
          for i, d, c in zip(rows["install"], rows["download"], rows["copy"])]
print(f"package {size / 2**20:.1f} MiB, {len(rows['install'])} rounds (medians)")
print(f"install {install:.3f} s, download {download:.3f} s, copy and flush {copy:.3f} s")
print(f"install / (download + copy) = {install / (download + copy):.2f} of the medians, "
      f"{statistics.median(ratios):.2f} the median of the rounds  (target 1.20)")
print(f"install peak working set {above / 2**20:.1f} MiB above idle  (target 32)")
print(f"bare download peak working set {dl_above / 2**20:.1f} MiB above idle")
PY
awk '{for (i = 2; i <= NF; i++) {split($i, kv, "="); v[kv[1]] = kv[2]}}
     END {printf "second load / first load = %.3f  (%.3f s / %.3f s; target under 0.05)\n",
          v["second_seconds"] / v["first_seconds"], v["second_seconds"], v["first_seconds"]}' "$work/reuse"
