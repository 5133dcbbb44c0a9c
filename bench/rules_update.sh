#!/usr/bin/env bash
# What a rules update costs once its download is here: `trellwipe-cli --update-rules --url` with a
# generated rule file of the community file's size served on 127.0.0.1, into a program folder with no
# rule file yet (every entry is new, so each is detected, checked by the guard and for what a user
# keeps), against `trellwipe-cli --list` with the same file in place (the peer: it reads and detects
# every entry), in one throwaway sandbox prefix with one warm wineserver. Prints one line per round,
# then the medians and, last, the median of the rounds' ratios.
#
# Settings (environment): ROUNDS (5), ENTRIES (4000), TRELLWIPE_BENCH_BUILD (build folder, default
# bench/build, ignored by git). The sandbox goes under $TMPDIR (default /tmp). Needs python3 for the
# loopback server.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
rounds=${ROUNDS:-5}
entries=${ENTRIES:-4000}

bench_build rules_update bench_rules
cmake --build "$build" --target trellwipe-cli -j"$(nproc)" >/dev/null

bench_sandbox
program="$WINEPREFIX/drive_c/Trellwipe"
mkdir -p "$program" "$sandbox/served"
cp "$build/src/trellwipe-cli.exe" "$build/bench/bench_rules.exe" "$program/"
cli='C:\Trellwipe\trellwipe-cli.exe'
bench_generated_rules "$program" "$entries"
cp "$program/rules.generated" "$sandbox/served/winapp2.ini"

python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$sandbox/served" >"$sandbox/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; ( sandbox_env "$sandbox"; sandbox_stop ); rm -rf "$sandbox"' EXIT
port=
for _ in $(seq 50); do
  port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$sandbox/server.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "rules_update: the loopback server did not start" >&2; exit 1; }
url="http://127.0.0.1:$port/winapp2.ini"

timed() {
  sandbox_warm
  local start end
  start=$(now_us)
  wine "$cli" "$@" </dev/null >"$sandbox/cli.out" 2>&1 || true
  end=$(now_us)
  elapsed=$((end - start))
}

# The update must list every entry as added, or it did not do the work it is timed for.
update() {
  rm -f "$program/winapp2.ini" "$program/winapp2.ini.new"
  timed --update-rules --url "$url"
  grep -q "^$entries added" "$sandbox/cli.out" ||
    { echo "rules_update: the update did not list $entries added entries:" >&2; head -5 "$sandbox/cli.out" >&2; exit 1; }
}

list() {
  cp "$program/rules.generated" "$program/winapp2.ini"
  timed --list
  rm -f "$program/winapp2.ini"
  [ "$(grep -c 'winapp2/' "$sandbox/cli.out" || true)" -eq "$present" ] ||
    { echo "rules_update: --list did not list the $present programs present" >&2; exit 1; }
}

inner=$(wine 'C:\Trellwipe\bench_rules.exe' compare 'C:\Trellwipe' 'C:\Trellwipe\rules.generated' </dev/null 2>/dev/null |
        tr -d '\r')
echo "rule file: $entries entries, $bytes bytes, $present programs present; in-process comparison: $inner"
updates=() lists=() ratios=()
for ((round = 1; round <= rounds; round++)); do
  if ((round % 2)); then
    update; t_update=$elapsed
    list; t_list=$elapsed
  else
    list; t_list=$elapsed
    update; t_update=$elapsed
  fi
  updates+=("$t_update") lists+=("$t_list")
  ratios+=("$(ratio "$t_update" "$t_list")")
  printf 'round %d: update %s s  list %s s  update/list %s\n' \
    "$round" "$(seconds "$t_update")" "$(seconds "$t_list")" "${ratios[-1]}"
done

printf 'median times: update %s s  list %s s\n' \
  "$(seconds "$(median "${updates[@]}")")" "$(seconds "$(median "${lists[@]}")")"
printf 'update/list (median of the rounds'"'"' ratios): %.2f\n' "$(median "${ratios[@]}")"
