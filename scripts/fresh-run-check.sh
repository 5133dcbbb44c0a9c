#!/usr/bin/env bash
# The README's run command on a build folder and a sandbox that do not exist yet, as on a fresh
# clone: without a DISPLAY it builds what it installs and does the main job unattended. Fails unless
# that run reached its end.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-fresh-run.XXXXXX")
# Beside the usual build folder, so that the compiler cache serves it (scripts/build.sh).
build=$(mktemp -u "$top/build-fresh-run.XXXXXX")
trap 'rm -rf "$scratch" "$build"' EXIT
report=$(env -u DISPLAY TRELLWIPE_BUILD="$build" TRELLWIPE_RUN_SANDBOX="$scratch/sandbox" bash "$top/scripts/run.sh")
echo "$report"
echo "$report" | grep -q $'^  Task complete' ||
  { echo "fresh-run-check: the run command's unattended run did not reach its end" >&2; exit 1; }
echo "fresh-run-check: passed"
