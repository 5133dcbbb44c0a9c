#!/usr/bin/env bash
# Builds everything and runs all tests under Wine, in a throwaway sandbox that is removed afterwards.
# Prints how long each stage took. With ctest arguments (-R REGEX, -L LABEL) it builds and runs only
# those tests.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TRELLWIPE_BUILD:-$top/build}

times=()
stage_start=$SECONDS
# Ends the stage that ran since the last call, and notes its time under the given name.
stage() {
  local took=$((SECONDS - stage_start))
  times+=("$(printf '%-34s %3dm%02ds' "$1" $((took / 60)) $((took % 60)))")
  stage_start=$SECONDS
}
report_times() {
  printf '%s\n' "test time:" "${times[@]/#/  }" \
    "$(printf '  %-34s %3dm%02ds' total $((SECONDS / 60)) $((SECONDS % 60)))"
}

sandbox=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-test.XXXXXX")
cleanup() {
  ( . "$top/scripts/wine-sandbox.sh"; sandbox_stop_all "$sandbox" )
  rm -rf "$sandbox"
  report_times
}
trap cleanup EXIT

"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$build"
stage "set-up and build"

export TRELLWIPE_SANDBOX="$sandbox"
if [ $# -gt 0 ]; then
  "$top/scripts/ctest-twice.sh" "$build" 300 "$@"
  stage "tests"
  exit 0
fi

# The whole suite runs, beside the tests, one after another: the installed program cleaning on its
# own under a virtual screen, the run command on a fresh build folder, the packages installed and
# removed (the per-user ones, then the per-machine MSI), and the format of the sources. Those mostly
# wait on Wine, so they run at a lower priority and yield the processor to the tests, and their
# output is held until the tests and the heap pass (the tests of the logic, with Wine's heap
# checking on) have said what they found. Any failure fails the run at its end.
checks_log="$sandbox/checks.log"
window_pass_done="$sandbox/window-pass.done"
(
  renice -n 10 -p "$BASHPID" >/dev/null
  start=$SECONDS
  status=0
  # The packages are made by cpack, which builds the build folder first: once in a while that
  # relinks the window tests, so it waits until their pass has ended.
  "$top/scripts/end-to-end.sh" "$build" && "$top/scripts/fresh-run-check.sh" &&
    until [ -e "$window_pass_done" ] || ! kill -0 $$ 2>/dev/null; do sleep 2; done &&
    "$top/scripts/package-check.sh" "$build" && "$top/scripts/msi-check.sh" "$build" || status=$?
  "$top/scripts/format-check.sh" || status=1
  took=$((SECONDS - start))
  printf 'end-to-end, fresh-run, package and format checks: %dm%02ds\n' $((took / 60)) $((took % 60))
  exit "$status"
) >"$checks_log" 2>&1 &
checks=$!
failed=0
# The windows' tests and the scripts' checks; the tests of the logic run once, in the heap pass.
"$top/scripts/ctest-twice.sh" "$build" 300 -LE '^heap$' || failed=1
: >"$window_pass_done"
stage "tests"
"$top/scripts/heap-check.sh" "$build" || failed=1
stage "heap pass (the logic's tests)"
wait "$checks" || failed=1
cat "$checks_log"
stage "the rest of the checks"
exit "$failed"
