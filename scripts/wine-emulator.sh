#!/usr/bin/env bash
# The emulator CTest puts in front of every test executable: runs it under Wine inside a sandbox.
# The sandbox is $TRELLWIPE_SANDBOX when the caller made one (scripts/test.sh does, per run), else
# the default folder given by the build (first argument after --default-sandbox).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
default=""
if [ "${1:-}" = --default-sandbox ]; then default=$2; shift 2; fi
sandbox=${TRELLWIPE_SANDBOX:-$default}
[ -n "$sandbox" ] || { echo "wine-emulator: no sandbox folder" >&2; exit 2; }
mkdir -p "$sandbox"
# shellcheck source=wine-sandbox.sh
. "$here/wine-sandbox.sh"
sandbox_env "$sandbox"
(
  flock 9
  sandbox_init null keep-z
  sandbox_warm
) 9>"$sandbox/.lock"
exec wine "$@"
