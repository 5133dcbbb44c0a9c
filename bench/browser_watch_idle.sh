#!/usr/bin/env bash
# The idle cost of the browser watch: starts trellwipe.exe as the Windows Run entry does ("min", hidden
# in the notification area) with "Clean this browser's ticked items when its last window closes"
# ticked for Internet Explorer and Google Chrome (a Chrome install folder is laid out, no browser
# runs), lets it settle, then waits MINUTES and prints the CPU time its Wine process used meanwhile
# (utime + stime from /proc) against the wall time, as a percentage of one core. The wineserver of
# the sandbox, which answers the looks at the process list, is given on a line of its own.
#
# Settings (environment): MINUTES (10), SETTLE (20 seconds before the measure starts), BOXES (1; 0
# ticks no box, so that the program waits as it did before the watch, for comparison),
# TRELLWIPE_BENCH_BUILD (build folder, default bench/build). The sandbox goes under $TMPDIR (default /tmp).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
minutes=${MINUTES:-10}
settle=${SETTLE:-20}

bench_build browser_watch_idle trellwipe
bench_sandbox

folder="$WINEPREFIX/drive_c/Trellwipe"
mkdir -p "$folder" "$WINEPREFIX/drive_c/Program Files/Google/Chrome/Application"
cp "$build/src/trellwipe.exe" "$folder/"
: >"$WINEPREFIX/drive_c/Program Files/Google/Chrome/Application/chrome.exe"
boxes=${BOXES:-1}
printf '[Options]\r\nCleanOnCloseInternetExplorer=%s\r\nCleanOnCloseChrome=%s\r\n[EXPLORER]\r\ncache=1\r\n[Chrome]\r\nCache=1\r\n' \
  "$boxes" "$boxes" >"$folder/prisd.dat"

# The process of that name in this sandbox (other sandboxes may run the same programs).
sandbox_pid() {
  local p
  for p in $(pgrep -x "$1" || true); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then echo "$p"; return; fi
  done
}
wine 'C:\Trellwipe\trellwipe.exe' min </dev/null >/dev/null 2>&1 9>&- &
pid=""
for _ in $(seq 100); do
  pid=$(sandbox_pid trellwipe.exe)
  [ -n "$pid" ] && break
  sleep 0.2
done
[ -n "$pid" ] || { echo "browser_watch_idle: trellwipe.exe did not start" >&2; exit 1; }
server=$(sandbox_pid 'wineserver(64)?')
sleep "$settle"

# utime + stime of a process, in clock ticks (fields 14 and 15 of /proc/PID/stat, after the name).
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
start=$(now_us)
program0=$(cpu_ticks "$pid")
server0=$( [ -n "$server" ] && cpu_ticks "$server" || echo 0)
sleep $((minutes * 60))
kill -0 "$pid" 2>/dev/null || { echo "browser_watch_idle: trellwipe.exe ended during the measure" >&2; exit 1; }
program1=$(cpu_ticks "$pid")
server1=$( [ -n "$server" ] && cpu_ticks "$server" || echo 0)
wall=$(( $(now_us) - start ))

share() { awk -v t="$1" -v hz="$hz" -v us="$wall" 'BEGIN { printf "%.3f s CPU in %.0f s: %.4f %% of one core", t / hz, us / 1e6, 100 * (t / hz) / (us / 1e6) }'; }
echo "wineserver: $(share $((server1 - server0)))"
if [ "$boxes" = 1 ]; then watched="two browsers watched"; else watched="no browser watched"; fi
echo "trellwipe.exe waiting with $watched: $(share $((program1 - program0)))"
