# Shared by the scripts: paths, Wine environment, a private X display when none is given.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=zh_CN.UTF-8
wine="$here/scripts/wine"
wineserver=/usr/lib/wine/wineserver

lq_started_xvfb=""
lq_started_wineserver=""

# Uses $DISPLAY when set; otherwise starts Xvfb on a free display number.
lq_ensure_display() {
  if [ -n "${DISPLAY:-}" ]; then return; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    lq_started_xvfb=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
    export DISPLAY=":$n"
    return
  done
  echo "no free X display number" >&2
  return 1
}

# One persistent wineserver for the whole run: each Wine process then starts in a fraction of a second.
lq_start_wineserver() {
  if "$wineserver" -p 2>/dev/null; then lq_started_wineserver=1; fi
  # The first Wine process starts the prefix's services and desktop, which inherit its output and
  # hold it open for as long as they live: start them here, detached, so that CTest's pipes close
  # when each test ends.
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

lq_cleanup() {
  if [ -n "$lq_started_wineserver" ]; then LQ_ALLOW_KILL=1 "$wineserver" -k 2>/dev/null || true; fi
  if [ -n "$lq_started_xvfb" ]; then kill "$lq_started_xvfb" 2>/dev/null || true; fi
}
