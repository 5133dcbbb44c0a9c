#!/usr/bin/env bash
# Screenshots of every window for README.md, taken under a virtual screen in a throwaway sandbox: the
# main window's home page and status page after a cleaning of the sample traces, the cleaning
# settings, the options, the file search, the about window, the notification pop-up and Papermill, the shredder.
#   screenshots.sh [BUILD] [FOLDER]     (defaults: build/, docs/screenshots/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build} out=${2:-$top/docs/screenshots}

# shellcheck source=wine-sandbox.sh
. "$top/scripts/wine-sandbox.sh"
# shellcheck source=sample-traces.sh
. "$top/scripts/sample-traces.sh"

if [ "${TRELLWIPE_SCREENSHOTS_INNER:-}" != 1 ]; then
  "$top/scripts/setup.sh"
  cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j"$(nproc)" --target trellwipe trellwipe_driver >/dev/null
  sandbox=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-shots.XXXXXX")
  trap 'rm -rf "$sandbox"' EXIT
  sandbox_env "$sandbox"
  sandbox_init display only-c
  program="$WINEPREFIX/drive_c/Trellwipe"
  cmake --install "$build" --prefix "$program" >/dev/null
  mkdir -p "$WINEPREFIX/drive_c/tools" "$out"
  cp "$build/tests/trellwipe_driver.exe" "$WINEPREFIX/drive_c/tools/"
  sample_selection "$program/prisd.dat"
  sample_traces
  sandbox_stop
  TRELLWIPE_SCREENSHOTS_INNER=1 TRELLWIPE_SHOTS_SANDBOX="$sandbox" \
    xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$build" "$out"
  exit
fi

sandbox_env "$TRELLWIPE_SHOTS_SANDBOX"
settings="$WINEPREFIX/drive_c/Trellwipe/prisd.dat"
driver() { wine 'C:\tools\trellwipe_driver.exe' "$@" </dev/null >/dev/null 2>&1; }
shot() {
  sleep "${2:-1}"
  import -window root "$out/$1.png.full.png"
  # The pop-up alone: Wine's stand-in for the notification area sits at the top left of a screen
  # without a taskbar and would stop the trim.
  if [ -n "${3:-}" ]; then
    convert "$out/$1.png.full.png" -gravity southeast -crop "$3" +repage "$out/$1.png"
  else
    convert "$out/$1.png.full.png" -trim +repage "$out/$1.png"
  fi
  rm -f "$out/$1.png.full.png"
  echo "screenshot: $out/$1.png"
}
window() {
  driver post "$1"
  driver wait-window "$2" 60
  shot "$3"
  driver close "$2"
  sleep 0.5
}

wine 'C:\Trellwipe\trellwipe.exe' </dev/null >/dev/null 2>&1 &
driver wait-window 'Trellwipe V6.50' 60
shot main-home 2
driver post cleannow
driver wait-window 'Task Complete' 120
sleep 1
driver close 'Task Complete'
shot main-status
window settings 'Cleaning Settings' settings
window options 'Options' options
window search 'Search & Erase' search
window about 'About Trellwipe' about
before=$(tr -d '\r' <"$settings" | sed -n 's/^lastclean=//p')
driver post trayclean
for _ in $(seq 1 240); do
  [ "$(tr -d '\r' <"$settings" | sed -n 's/^lastclean=//p')" != "$before" ] && break
  sleep 0.5
done
shot popup 4 480x100+0+0
driver post exit
driver wait-gone 20
# Papermill alone on the screen, with a folder and a file of letters queued from its command line.
letters="$WINEPREFIX/drive_c/users/Public/Documents/Old letters"
mkdir -p "$letters/2019"
for name in 2019/january.doc 2019/march.doc draft.doc; do head -c 48000 /dev/urandom >"$letters/$name"; done
wine 'C:\Trellwipe\Papermill.exe' 'C:\users\Public\Documents\Old letters\2019' \
  'C:\users\Public\Documents\Old letters\draft.doc' </dev/null >/dev/null 2>&1 &
driver wait-window 'Papermill File Shredder' 60
shot papermill 2
driver close 'Papermill File Shredder'
sandbox_stop
