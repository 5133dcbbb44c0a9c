#!/usr/bin/env bash
# What keeping sites costs: cleaning a Chromium cookie database of ROWS rows over SITES sites inside,
# keeping KEPT of them (as the cookie items do with a keep list), against deleting the file (the peer,
# what the items did before). Both in-process in one throwaway sandbox prefix with one warm
# wineserver; the database is made afresh before each timed run. Prints one line per round, then the
# medians; the last line is the median of each round's ratio.
#
# Settings (environment): ROUNDS (5), ROWS (50000), SITES (2000), KEPT (20), TRELLWIPE_BENCH_BUILD
# (build folder, default bench/build, ignored by git). The sandbox goes under $TMPDIR (default /tmp).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
rounds=${ROUNDS:-5}
rows=${ROWS:-50000}
sites=${SITES:-2000}
kept=${KEPT:-20}

bench_build cookies bench_cookies
bench_sandbox

program="$WINEPREFIX/drive_c/Trellwipe"
mkdir -p "$program"
cp "$build/bench/bench_cookies.exe" "$program/"
exe='C:\Trellwipe\bench_cookies.exe'
database='C:\Trellwipe\Cookies'
: >"$program/keepcook.dat"
for ((i = 0; i < kept; i++)); do printf 'site:site%d.com\r\n' "$((i * sites / kept))" >>"$program/keepcook.dat"; done
# Every site has rows/sites rows; the kept ones stay.
want=$((kept * (rows / sites)))

make_database() {
  wine "$exe" make "$database" "$rows" "$sites" </dev/null >/dev/null 2>&1
  sync -f "$program"
}
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

clean() {
  make_database
  local out
  out=$(wine "$exe" clean "$database" 'C:\Trellwipe' </dev/null 2>/dev/null | tr -d '\r')
  [ "$(field rows "$out")" -eq "$want" ] || { echo "cookies: $out, wanted rows=$want" >&2; exit 1; }
  t_clean=$(field ms "$out") freed=$(field freed "$out")
}

delete() {
  make_database
  local out
  out=$(wine "$exe" delete "$database" </dev/null 2>/dev/null | tr -d '\r')
  [ "$(field deleted "$out")" = 1 ] && [ ! -e "$program/Cookies" ] || { echo "cookies: $out" >&2; exit 1; }
  t_delete=$(field ms "$out")
}

make_database
echo "database: $rows rows over $sites sites, $(stat -c %s "$program/Cookies") bytes; $kept sites kept ($want rows)"
cleans=() deletes=() ratios=()
for ((round = 1; round <= rounds; round++)); do
  if ((round % 2)); then clean; delete; else delete; clean; fi
  cleans+=("$t_clean") deletes+=("$t_delete")
  ratios+=("$(ratio "$t_clean" "$t_delete")")
  printf 'round %d: clean %s ms (freed %s bytes)  delete %s ms  clean/delete %s\n' \
    "$round" "$t_clean" "$freed" "$t_delete" "${ratios[-1]}"
done

printf 'median times: clean %s ms  delete %s ms\n' "$(median "${cleans[@]}")" "$(median "${deletes[@]}")"
printf 'clean/delete median ratio: %s\n' "$(median "${ratios[@]}")"
