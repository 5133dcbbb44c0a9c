#!/usr/bin/env bash
# Builds Trellwipe and starts it in a Wine sandbox of its own, kept between runs so the settings
# stay. The sandbox's prefix was made with a scratch HOME and sees only its own drive C:, so the
# program cannot reach the user's real files.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
build=${TRELLWIPE_BUILD:-$top/build}
sandbox=${TRELLWIPE_RUN_SANDBOX:-${XDG_DATA_HOME:-$HOME/.local/share}/trellwipe-sandbox}
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target trellwipe

# shellcheck source=wine-sandbox.sh
. "$top/scripts/wine-sandbox.sh"
mkdir -p "$sandbox"
sandbox_env "$sandbox"
sandbox_init display only-c
cmake --install "$build" --prefix "$WINEPREFIX/drive_c/Trellwipe" >/dev/null

echo "Trellwipe runs in the sandbox $sandbox (program folder C:\\Trellwipe)."
if [ -n "${DISPLAY:-}" ]; then
  exec wine 'C:\Trellwipe\trellwipe.exe' "$@"
fi
echo "No DISPLAY: starting on a virtual screen (xvfb); the window is not visible." >&2
exec xvfb-run -a -s '-screen 0 1024x768x24' wine 'C:\Trellwipe\trellwipe.exe' "$@"
