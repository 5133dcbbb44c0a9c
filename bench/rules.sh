#!/usr/bin/env bash
# What a rule file of the community file's size costs: `trellwipe-cli --list` (which reads the rule
# files, detects every entry and reads the ticks, as the selection window does when it opens) with a
# generated file of ENTRIES entries beside the program, against the same command without it (the
# peer), in one throwaway sandbox prefix with one warm wineserver. A tenth of the entries are for
# programs that are present. Prints one line per round, then the medians; the last line is the cost
# in seconds, the median of each round's difference.
#
# Settings (environment): ROUNDS (5), ENTRIES (4000), TRELLWIPE_BENCH_BUILD (build folder, default
# bench/build, ignored by git). The sandbox goes under $TMPDIR (default /tmp).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
rounds=${ROUNDS:-5}
entries=${ENTRIES:-4000}

bench_build rules bench_rules
cmake --build "$build" --target trellwipe-cli -j"$(nproc)" >/dev/null

bench_sandbox

program="$WINEPREFIX/drive_c/Trellwipe"
mkdir -p "$program"
cp "$build/src/trellwipe-cli.exe" "$build/bench/bench_rules.exe" "$program/"
cli='C:\Trellwipe\trellwipe-cli.exe'

bench_generated_rules "$program" "$entries"

# The lines --list prints for the rules: as many as there are programs present, or the run did not
# detect what it should.
list() {
  sandbox_warm
  local start end
  start=$(now_us)
  wine "$cli" --list </dev/null >"$sandbox/list.out" 2>&1
  end=$(now_us)
  elapsed=$((end - start))
  listed=$(grep -c 'winapp2/' "$sandbox/list.out" || true)
}

with_file() {
  cp "$program/rules.generated" "$program/winapp2.ini"
  list
  rm -f "$program/winapp2.ini"
  [ "$listed" -eq "$present" ] || { echo "rules: listed $listed entries, wanted $present" >&2; exit 1; }
}

without_file() {
  list
  [ "$listed" -eq 0 ] || { echo "rules: listed $listed entries without a rule file" >&2; exit 1; }
}

inner=$(cp "$program/rules.generated" "$program/winapp2.ini" &&
        wine 'C:\Trellwipe\bench_rules.exe' load 'C:\Trellwipe' </dev/null 2>/dev/null | tr -d '\r')
rm -f "$program/winapp2.ini"
echo "rule file: $entries entries, $bytes bytes, $present programs present; in-process load and detect: $inner"
withs=() withouts=() costs=()
for ((round = 1; round <= rounds; round++)); do
  if ((round % 2)); then
    with_file; t_with=$elapsed
    without_file; t_without=$elapsed
  else
    without_file; t_without=$elapsed
    with_file; t_with=$elapsed
  fi
  withs+=("$t_with") withouts+=("$t_without")
  costs+=("$((t_with - t_without))")
  printf 'round %d: with the file %s s  without %s s  cost %s s\n' \
    "$round" "$(seconds "$t_with")" "$(seconds "$t_without")" "$(seconds "${costs[-1]}")"
done

printf 'median times: with the file %s s  without %s s\n' \
  "$(seconds "$(median "${withs[@]}")")" "$(seconds "$(median "${withouts[@]}")")"
printf 'cost of the rule file (median of the rounds'"'"' differences): %s s\n' "$(seconds "$(median "${costs[@]}")")"
