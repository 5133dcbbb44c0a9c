#!/usr/bin/env bash
# Builds Trellwipe and starts it in a Wine sandbox of its own, kept between runs so the settings
# stay. The sandbox's prefix was made with a scratch HOME and sees only its own drive C:, so the
# program cannot reach the user's real files.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
build=${TRELLWIPE_BUILD:-$top/build}
sandbox=${TRELLWIPE_RUN_SANDBOX:-${XDG_DATA_HOME:-$HOME/.local/share}/trellwipe-sandbox}
"$top/scripts/build.sh" "$build" trellwipe_program_folder trellwipe_driver

if [ -z "${DISPLAY:-}" ]; then
  # No screen to show the window on: do the main job unattended in a sandbox of its own, so the
  # sample selection it writes never replaces the settings kept in the run sandbox.
  echo "No DISPLAY: cleaning unattended in $sandbox-unattended (a start with Windows, on a virtual screen)."
  exec "$top/scripts/unattended.sh" "$build" "$sandbox-unattended" "$sandbox-unattended/main-window.png"
fi

# shellcheck source=wine-sandbox.sh
. "$top/scripts/wine-sandbox.sh"
# shellcheck source=sample-traces.sh
. "$top/scripts/sample-traces.sh"
mkdir -p "$sandbox"
sandbox_env "$sandbox"
new_sandbox=0
[ -f "$WINEPREFIX/.trellwipe-ready" ] || new_sandbox=1
sandbox_init display only-c
# A new sandbox gets traces to clean, so that the first cleaning shows real work.
if [ "$new_sandbox" = 1 ]; then sample_traces; fi
cmake --install "$build" --prefix "$WINEPREFIX/drive_c/Trellwipe" >/dev/null

echo "Trellwipe runs in the sandbox $sandbox (program folder C:\\Trellwipe)."
exec wine 'C:\Trellwipe\trellwipe.exe' "$@"
