#!/usr/bin/env bash
# The program's main job without a person at the screen: in a sandbox under a virtual screen, start
# Trellwipe as Windows would at start-up ("min"), let it clean the sample traces with a sample
# selection, print the saved totals and the result rows, take a screenshot of the main window and end
# the program through its own Exit command.
#   unattended.sh BUILD SANDBOX [SCREENSHOT.png]
# The sandbox is made when missing (scratch HOME and XDG folders, drive C: only) and kept.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1 sandbox=$2 screenshot=${3:-}

# shellcheck source=wine-sandbox.sh
. "$top/scripts/wine-sandbox.sh"
# shellcheck source=sample-traces.sh
. "$top/scripts/sample-traces.sh"

if [ "${TRELLWIPE_UNATTENDED_INNER:-}" != 1 ]; then
  mkdir -p "$sandbox"
  sandbox_env "$sandbox"
  sandbox_stop
  sandbox_init display only-c
  program="$WINEPREFIX/drive_c/Trellwipe"
  cmake --install "$build" --prefix "$program" >/dev/null
  mkdir -p "$WINEPREFIX/drive_c/tools"
  cp "$build/tests/trellwipe_driver.exe" "$WINEPREFIX/drive_c/tools/"
  sample_selection "$program/prisd.dat"
  sample_traces
  sandbox_stop
  # Its screens are numbered from 150, apart from those the tests start beside it (from 99): two
  # servers started at once would otherwise take the same free number.
  TRELLWIPE_UNATTENDED_INNER=1 exec xvfb-run -a -n 150 -s '-screen 0 1024x768x24' bash "$0" "$@"
fi

sandbox_env "$sandbox"
settings="$WINEPREFIX/drive_c/Trellwipe/prisd.dat"
driver() { wine 'C:\tools\trellwipe_driver.exe' "$@" </dev/null 2>/dev/null | tr -d '\r'; }
value() { tr -d '\r' <"$settings" | sed -n "s/^$1=//p" | head -n1; }

preview() { { wine 'C:\Trellwipe\trellwipe-cli.exe' --preview </dev/null 2>/dev/null || true; } | tr -d '\r' | sed 's/^/  /'; }
echo "Preview before the run:"
preview
wine 'C:\Trellwipe\trellwipe.exe' min </dev/null >/dev/null 2>&1 &
program_pid=$!
end() {
  driver post exit >/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$program_pid" 2>/dev/null; then
    echo "unattended: the program did not end through Exit" >&2
    sandbox_stop
    return 1
  fi
  sandbox_stop
}

for _ in $(seq 1 240); do
  [ -n "$(value lastclean)" ] && break
  sleep 0.5
done
if [ -z "$(value lastclean)" ]; then
  echo "unattended: no run ended within two minutes" >&2
  end || true
  exit 1
fi
echo "Last cleaning: $(value lastclean)"
echo "Cleaned registry keys: $(value regnum)"
echo "Released bytes: $(value filesize)"
echo "Result rows:"
driver rows | sed 's/^/  /'
echo "Preview after the run:"
preview
if [ -n "$screenshot" ]; then
  driver post restore >/dev/null
  sleep 1.5
  import -window root "$screenshot"
  echo "Screenshot: $screenshot"
fi
end
