#!/usr/bin/env bash
# Builds everything and runs all tests under Wine, in a throwaway sandbox that is removed afterwards.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
build=${TRELLWIPE_BUILD:-$top/build}
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"

sandbox=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-test.XXXXXX")
cleanup() {
  ( . "$top/scripts/wine-sandbox.sh"; sandbox_env "$sandbox"; sandbox_stop )
  rm -rf "$sandbox"
}
trap cleanup EXIT
export TRELLWIPE_SANDBOX="$sandbox"
# Now and then Wine fails a test's process within its first half second (it prints nothing, or its
# first window cannot be made), and the test passes when run again. A failed test runs once more; one
# that fails twice fails the run, and the log keeps the first failure.
ctest --test-dir "$build" --output-on-failure --timeout 300 --repeat until-pass:2 "$@"
# The whole suite goes on with the installed program cleaning on its own under a virtual screen, the
# packages installed and removed, the run command on a fresh build folder, and the tests once more
# with Wine's heap checking on.
if [ $# -eq 0 ]; then
  "$top/scripts/end-to-end.sh" "$build"
  "$top/scripts/fresh-run-check.sh"
  "$top/scripts/package-check.sh" "$build"
  "$top/scripts/heap-check.sh" "$build"
fi
