#!/usr/bin/env bash
# Runs the tests with ctest, then once more those that failed: Wine now and then fails a test's
# process within its first half second (it prints nothing, or its first window cannot be made), and
# the test passes when run again. Prints the tests that passed only on their second try; fails when
# a test failed both times or when more than two passed only on their second try, so a flaky test
# is seen. The log keeps the first failure.
#   ctest-twice.sh BUILD TIMEOUT [ctest arguments choosing the tests]
set -uo pipefail
build=$1 timeout=$2
shift 2
failed_log="$build/Testing/Temporary/LastTestsFailed.log"
rm -f "$failed_log"
# One test at a time per core, each in a sandbox of its own for its whole run (a CTest resource:
# the emulator reads the one it was given), so no two running tests share a prefix, a registry or a
# home folder.
parallel=()
if [ -n "${TRELLWIPE_SANDBOX:-}" ]; then
  cores=$(nproc)
  resources="$TRELLWIPE_SANDBOX/sandboxes.json"
  slots=$(for ((i = 0; i < cores; i++)); do printf '{"id":"%d","slots":1}' "$i"; done | sed 's/}{/},{/g')
  printf '{"version":{"major":1,"minor":0},"local":[{"sandbox":[%s]}]}\n' "$slots" >"$resources"
  parallel=(-j "$cores" --resource-spec-file "$resources")
fi
ctest --test-dir "$build" --output-on-failure --timeout "$timeout" "${parallel[@]}" "$@" && exit 0
[ -s "$failed_log" ] || exit 1
first=$(cut -d: -f2- "$failed_log" | sort)
# The failed tests by their whole names: a test's number depends on the choosing arguments (-E
# numbers only the tests it keeps), and the retry would run other tests under those numbers.
names=$(echo "$first" | sed 's/[][\\.*^$+?()|]/\\&/g' | paste -sd'|')
rm -f "$failed_log"
echo "ctest-twice: $(echo "$first" | wc -l) failed; running them once more, one at a time"
ctest --test-dir "$build" --output-on-failure --timeout "$timeout" -R "^($names)\$"
status=$?
second=""
[ ! -s "$failed_log" ] || second=$(cut -d: -f2- "$failed_log" | sort)
retried=$(comm -23 <(echo "$first") <(echo "$second"))
if [ -n "$retried" ]; then
  echo "ctest-twice: passed only on their second try ($(echo "$retried" | wc -l)):"
  echo "$retried" | sed 's/^/  /'
fi
[ "$status" -eq 0 ] || exit "$status"
if [ "$(echo "$retried" | grep -c .)" -gt 2 ]; then
  echo "ctest-twice: more than two tests passed only on their second try" >&2
  exit 1
fi
