#!/usr/bin/env bash
# Times allerase::EraseAllFilesInTree against `cmd /c del /s /q` (the peer) and native `rm -rf` (the
# floor) on identical trees of small files, in one throwaway sandbox prefix with one warm wineserver.
# Prints one line per round, then the medians; the last line is the ours/del ratio.
#
# Settings (environment): ROUNDS (3), FOLDERS (200), FILES_PER_FOLDER (100), FILE_BYTES (100), AGE
# (1: the walk keeps files changed from its start on, as the temporary files' items do, which reads
# every file's change time; the tree is older and goes whole),
# TRELLWIPE_BENCH_BUILD (build folder; the default bench/build keeps clear of concurrent builds in
# ./build and is already ignored by git). The sandbox goes under $TMPDIR (default /tmp).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
rounds=${ROUNDS:-3}
folders=${FOLDERS:-200}
per_folder=${FILES_PER_FOLDER:-100}
file_bytes=${FILE_BYTES:-100}
files=$((folders * per_folder))
# What EraseAllFilesInTree returns for a whole tree: the bytes plus 10000 for every folder visited,
# the top one included. Anything else means the walk missed part of the tree.
expected_figure=$((files * file_bytes + (folders + 1) * 10000))

bench_build erase_tree bench_erase
exe="$build/bench/bench_erase.exe"

bench_sandbox

tree="$WINEPREFIX/drive_c/bench/tree"
tree_win='C:\bench\tree'

printf -v payload "%0${file_bytes}d" 0

make_tree() {
  bench_tree "$tree" "$folders" "$per_folder" "$payload"
  local have
  have=$(bench_count_files "$tree")
  [ "$have" -eq "$files" ] || { echo "erase_tree: made $have files, wanted $files" >&2; exit 1; }
}

# A contender that leaves files behind has not done the job, however fast it was.
check_empty() {
  local left
  left=$(bench_count_files "$tree")
  [ "$left" -eq 0 ] || { echo "erase_tree: $1 left $left of $files files" >&2; exit 1; }
}

# Both Wine contenders are timed the same way, around the whole `wine` command, so each carries the
# same start-up cost. The untimed warm-up before each keeps the server and its services running.
run_ours() {
  sandbox_warm
  local start end out
  start=$(now_us)
  wine "$exe" "$tree_win" ${AGE:+--age} </dev/null >"$sandbox/ours.out" 2>&1
  end=$(now_us)
  out=$(tr -d '\r' <"$sandbox/ours.out")
  local figure=${out##*figure=}
  inner_ms=${out#ms=}; inner_ms=${inner_ms%% *}
  [ "$figure" = "$expected_figure" ] ||
    { echo "erase_tree: ours returned '$out', wanted figure=$expected_figure" >&2; exit 1; }
  elapsed=$((end - start))
}

run_del() {
  sandbox_warm
  local start end
  start=$(now_us)
  wine cmd /c del /s /q "$tree_win" '>' NUL </dev/null >"$sandbox/del.out" 2>&1
  end=$(now_us)
  elapsed=$((end - start))
}

run_rm() {
  local start end
  start=$(now_us)
  rm -rf "$tree"
  end=$(now_us)
  elapsed=$((end - start))
}

echo "tree: $files files of $file_bytes bytes in $folders folders; $rounds rounds of ours and del (taking turns to go first), then rm-rf"
ours=() del=() rmrf=() r_del=() r_rm=()
for ((round = 1; round <= rounds; round++)); do
  # Who goes first alternates, so neither side always inherits the disk's backlog of the round before.
  if ((round % 2)); then
    make_tree; run_ours; check_empty ours; t_ours=$elapsed
    make_tree; run_del; check_empty del; t_del=$elapsed
  else
    make_tree; run_del; check_empty del; t_del=$elapsed
    make_tree; run_ours; check_empty ours; t_ours=$elapsed
  fi
  make_tree; run_rm; check_empty rm-rf; t_rm=$elapsed
  ours+=("$t_ours") del+=("$t_del") rmrf+=("$t_rm")
  r_del+=("$(ratio "$t_ours" "$t_del")") r_rm+=("$(ratio "$t_ours" "$t_rm")")
  printf 'round %d: ours %s s (in-process %s ms)  del %s s  rm-rf %s s  ours/del %.2f  ours/rm-rf %.2f\n' \
    "$round" "$(seconds "$t_ours")" "$inner_ms" "$(seconds "$t_del")" "$(seconds "$t_rm")" \
    "${r_del[-1]}" "${r_rm[-1]}"
done
rm -rf "$WINEPREFIX/drive_c/bench"

printf 'median times: ours %s s  del %s s  rm-rf %s s\n' \
  "$(seconds "$(median "${ours[@]}")")" "$(seconds "$(median "${del[@]}")")" \
  "$(seconds "$(median "${rmrf[@]}")")"
# Ratios are taken within each round, between neighbouring runs, then the median across rounds, so
# a slow spell on the machine weighs on both sides of a ratio.
printf 'ours/rm-rf median ratio: %.2f\n' "$(median "${r_rm[@]}")"
printf 'ours/del median ratio: %.2f\n' "$(median "${r_del[@]}")"
