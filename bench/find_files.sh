#!/usr/bin/env bash
# Times filesearch::FindFiles with the default patterns against `cmd /c dir /s /b` of the same patterns
# (the peer) on one generated tree, in one throwaway sandbox prefix with one warm wineserver.
# Prints one line per round, then the medians; the last line is the ours/dir ratio.
#
# Settings (environment): ROUNDS (5), FOLDERS (2000), FILES_PER_FOLDER (50), TRELLWIPE_BENCH_BUILD
# (build folder, default bench/build, ignored by git). The sandbox goes under $TMPDIR (default /tmp).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
rounds=${ROUNDS:-5}
folders=${FOLDERS:-2000}
per_folder=${FILES_PER_FOLDER:-50}
search='*.tmp;*.gid;*.swp;*.chk'
# Ten extensions in turn, four of them searched for: 40 % of the files match.
extensions=(tmp txt gid dat swp log chk doc bin ini)
expected=0
for ((f = 0; f < per_folder; f++)); do
  case ${extensions[f % 10]} in tmp|gid|swp|chk) expected=$((expected + 1)) ;; esac
done
expected=$((expected * folders))
files=$((folders * per_folder))

bench_build find_files bench_find_files
exe="$build/bench/bench_find_files.exe"

bench_sandbox

bench="$WINEPREFIX/drive_c/bench"
tree="$bench/tree"
tree_win='C:\bench\tree'
peer_out_win='C:\bench\dir.txt'

# The tree is only read, so it is made once; every file holds 100 bytes (sparse, so quick to make).
mkdir -p "$tree"
for ((d = 0; d < folders; d++)); do
  printf -v dir '%s/d%04d' "$tree" "$d"
  mkdir "$dir"
  names=()
  for ((f = 0; f < per_folder; f++)); do names+=("$dir/f$f.${extensions[f % 10]}"); done
  truncate -s 100 "${names[@]}"
done
sync -f "$tree"
have=$(find "$tree" -type f | wc -l)
[ "$have" -eq "$files" ] || { echo "find_files: made $have files, wanted $files" >&2; exit 1; }

# Both contenders are timed around the whole `wine` command, so each carries the same start-up cost.
# A contender that does not report every match has not done the job, however fast it was.
run_ours() {
  sandbox_warm
  local start end out
  start=$(now_us)
  wine "$exe" "$tree_win" "$search" </dev/null >"$sandbox/ours.out" 2>&1
  end=$(now_us)
  out=$(tr -d '\r' <"$sandbox/ours.out")
  inner_ms=${out#ms=}; inner_ms=${inner_ms%% *}
  local items=${out#*items=}; items=${items%% *}
  local bytes=${out##*bytes=}
  [ "$items" = "$expected" ] && [ "$bytes" = $((expected * 100)) ] ||
    { echo "find_files: ours reported '$out', wanted items=$expected bytes=$((expected * 100))" >&2; exit 1; }
  elapsed=$((end - start))
}

run_dir() {
  sandbox_warm
  rm -f "$bench/dir.txt"
  local start end patterns=()
  local p
  for p in ${search//;/ }; do patterns+=("$tree_win\\$p"); done
  start=$(now_us)
  wine cmd /c dir /s /b "${patterns[@]}" '>' "$peer_out_win" </dev/null >"$sandbox/dir.out" 2>&1
  end=$(now_us)
  local lines
  lines=$(tr -d '\r' <"$bench/dir.txt" | grep -c . || true)
  [ "$lines" -eq "$expected" ] || { echo "find_files: dir listed $lines files, wanted $expected" >&2; exit 1; }
  elapsed=$((end - start))
}

echo "tree: $files files in $folders folders, $expected matching '$search'; $rounds rounds of ours and dir (taking turns to go first)"
ours=() peer=() ratios=()
for ((round = 1; round <= rounds; round++)); do
  # Who goes first alternates, so neither side always finds the tree's metadata colder or warmer.
  if ((round % 2)); then
    run_ours; t_ours=$elapsed
    run_dir; t_dir=$elapsed
  else
    run_dir; t_dir=$elapsed
    run_ours; t_ours=$elapsed
  fi
  ours+=("$t_ours") peer+=("$t_dir")
  ratios+=("$(ratio "$t_ours" "$t_dir")")
  printf 'round %d: ours %s s (in-process %s ms)  dir %s s  ours/dir %.2f\n' \
    "$round" "$(seconds "$t_ours")" "$inner_ms" "$(seconds "$t_dir")" "${ratios[-1]}"
done
rm -rf "$bench"

printf 'median times: ours %s s  dir %s s\n' "$(seconds "$(median "${ours[@]}")")" "$(seconds "$(median "${peer[@]}")")"
# The ratio is taken within each round, between neighbouring runs, then the median across rounds.
printf 'ours/dir median ratio: %.2f\n' "$(median "${ratios[@]}")"
