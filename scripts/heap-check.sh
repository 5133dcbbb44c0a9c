#!/usr/bin/env bash
# The tests of the logic (label `heap`) with Wine's heap checking on (WINEDEBUG=warn+heap), in a
# throwaway sandbox; the few too slow under it run without it. The whole test command runs the
# logic's tests only here, so each runs once.
# Fails on any heap error Wine reports, and first proves with a deliberate double free that it
# reports them at all. With ctest arguments it runs only the tests chosen, under the heap checks.
#   heap-check.sh BUILD [ctest arguments]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
shift

sandbox=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-heap.XXXXXX")
cleanup() {
  ( . "$top/scripts/wine-sandbox.sh"; sandbox_stop_all "$sandbox" )
  rm -rf "$sandbox"
}
trap cleanup EXIT
export TRELLWIPE_SANDBOX="$sandbox" TRELLWIPE_WINEDEBUG=warn+heap
log="$sandbox/wine-errors.log"
heap_errors() { grep -E '^[0-9a-f]+:(err|warn):heap:' "$1" || true; }

# The emulator shows the program's output and Wine's on its standard output, until the program ends.
probe=$("$top/scripts/wine-emulator.sh" "$build/tests/trellwipe_heap_probe.exe" </dev/null 2>&1 || true)
if [ -z "$(heap_errors <(echo "$probe"))" ]; then
  echo "heap-check: Wine reported nothing for a double free; heap checking is not on" >&2
  exit 1
fi

: >"$log"
# Three tests build lists of tens of thousands of entries (a 20,000-entry list saved over and over
# while the saving process is killed, a 100,000-line plug-in definition). Under the heap checks each
# ran for minutes on end instead of seconds (one was still running after nine), so they run without
# them. So do the tests that run every item or entry at once (a rule file of 4,000
# entries, a first cleaning of every item, every shipped rule, every item over the whole Unix
# drive): they repeat what the tests of each item and entry cover one at a time, and under the heap
# checks took 20 to 40 seconds each. GoogleTest's patterns; ctest's form follows.
slow=(KilledSave.* MalformedSettings.APluginWithEndlessOrNonsenseLinesListsAndRunsSafely
  Rules.AGeneratedFileOfFourThousandEntriesListsPreviewsAndCleans
  KeptData.TheFirstCleaningAndEveryItemLeaveWhatTheUserKeeps TodaysProfile.* WholeUnixDrive.*)
slow_regex="^($(printf '%s$\n' "${slow[@]}" | sed 's/\./\\./g; s/\*/.*/g' | paste -sd'|'))"
# Only the tests of the logic below the windows (label `heap`), where the program's own allocations
# are: the windows' tests run mostly Wine's own window code. A failed test runs once more, as in the
# ordinary pass (scripts/ctest-twice.sh); what Wine reports of the heap in either attempt stays in
# the log.
alone() { TRELLWIPE_WINE_LOG="$log" "$top/scripts/ctest-twice.sh" "$build" 600 -L '^heap$' -E "$slow_regex" "$@"; }
if [ $# -gt 0 ]; then
  alone "$@"
else
  # A program's start under the heap checks takes longer than most tests, so the tests run many to a
  # process, one process per core, each in its own sandbox. Every test that did not pass there then
  # runs alone, as in the ordinary pass: the tests that need a fixture laid out before each test,
  # those that found the fixture used up by a test before them, those a crash cut short.
  program="$build/tests/trellwipe_tests.exe"
  filter="$(cat "$build/tests/trellwipe_tests.plain-filter"):$(IFS=:; echo "${slow[*]}")"
  cores=$(nproc)
  for ((i = 0; i < cores; i++)); do
    CTEST_RESOURCE_GROUP_0_SANDBOX="id:$i,slots:1" GTEST_TOTAL_SHARDS=$cores GTEST_SHARD_INDEX=$i \
      TRELLWIPE_WINE_LOG="$log" timeout 1200 "$top/scripts/wine-emulator.sh" "$program" \
      "--gtest_filter=$filter" >"$sandbox/batch$i.log" 2>&1 </dev/null &
  done
  wait || true
  passed=$(sed -n 's/^\[ \{7\}OK \] \([^ ]*\) (.*/\1/p; s/^\[  SKIPPED \] \([^ ]*\) (.*/\1/p' \
    "$sandbox"/batch*.log | sort -u)
  rest=$(ctest --test-dir "$build" -N -L '^heap$' -E "$slow_regex" |
    sed -n 's/^ *Test *#[0-9]*: \([^ ]*\).*/\1/p' | sort -u | comm -23 - <(echo "$passed"))
  echo "heap-check: $(echo "$passed" | grep -c .) tests passed in $cores shared processes;" \
    "$(echo "$rest" | grep -c .) run alone"
  if [ "$(echo "$rest" | grep -c .)" -gt 100 ]; then
    alone  # a process cut short early: every test alone, as ctest's pattern would grow too long
  elif [ -n "$rest" ]; then
    alone -R "^($(echo "$rest" | sed 's/[][\\.*^$+?()|]/\\&/g' | paste -sd'|'))( |\$)"
  fi || failed=1
  env -u TRELLWIPE_WINEDEBUG "$top/scripts/ctest-twice.sh" "$build" 600 -L '^heap$' -R "$slow_regex" ||
    failed=1
fi
found=$(heap_errors "$log")
if [ -n "$found" ]; then
  echo "heap-check: Wine reported heap errors:" >&2
  echo "$found" | sort | uniq -c | sort -rn | head -n 20 >&2
  exit 1
fi
[ "${failed:-0}" -eq 0 ] || { echo "heap-check: no heap errors reported, but tests failed" >&2; exit 1; }
echo "heap-check: passed, no heap errors reported"
