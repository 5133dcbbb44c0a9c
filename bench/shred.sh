#!/usr/bin/env bash
# Times Papermill's shred of a tree against the erase walk (allerase::EraseAllFilesInTree) on identical
# trees, and its free-space wipe against a plain write of the same number of bytes, in one throwaway
# sandbox prefix with one warm wineserver. Prints one line per round, then the medians; the last two
# lines are the ratios, measured in the same run.
#
# Settings (environment): ROUNDS (3), FOLDERS (20), FILES_PER_FOLDER (100), FILE_BYTES (4096),
# WIPE_BYTES (536870912), TRELLWIPE_BENCH_BUILD (build folder, default bench/build). The sandbox goes
# under $TMPDIR (default /tmp); the wipe fills that file system's drive C: up to WIPE_BYTES only.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
rounds=${ROUNDS:-3}
folders=${FOLDERS:-20}
per_folder=${FILES_PER_FOLDER:-100}
file_bytes=${FILE_BYTES:-4096}
wipe_bytes=${WIPE_BYTES:-536870912}
files=$((folders * per_folder))
tree_bytes=$((files * file_bytes))
expected_figure=$((tree_bytes + (folders + 1) * 10000))

bench_build shred bench_shred
exe="$build/bench/bench_shred.exe"

bench_sandbox

tree="$WINEPREFIX/drive_c/bench/tree"
tree_win='C:\bench\tree'
payload=$(head -c "$file_bytes" /dev/zero | tr '\0' 'x')

make_tree() { bench_tree "$tree" "$folders" "$per_folder" "$payload"; }

# Runs one job, checks what it reports against `want` (a key=value it must print) and sets $ms.
run_job() {
  local want=$1 out
  shift
  sandbox_warm
  out=$(wine "$exe" "$@" </dev/null 2>&1 | tr -d '\r')
  case " $out " in
    *" $want "*) ;;
    *) echo "shred: '$*' printed '$out', wanted $want" >&2; exit 1 ;;
  esac
  ms=${out#ms=}; ms=${ms%% *}
}

check_gone() {
  local left
  left=$(bench_count_files "$tree")
  [ "$left" -eq 0 ] || { echo "shred: $1 left $left of $files files" >&2; exit 1; }
}

echo "tree: $files files of $file_bytes bytes in $folders folders; wipe: $wipe_bytes bytes; $rounds rounds, taking turns to go first"
shreds=() erases=() wipes=() writes=() r_shred=() r_wipe=()
for ((round = 1; round <= rounds; round++)); do
  for side in $( ((round % 2)) && echo "shred erase" || echo "erase shred"); do
    make_tree
    if [ "$side" = shred ]; then
      run_job "files=$files" shred "$tree_win"; t_shred=$ms
      [ ! -e "$tree" ] || { echo "shred: the shred left the tree's folders" >&2; exit 1; }
    else
      run_job "figure=$expected_figure" erase "$tree_win"; t_erase=$ms
    fi
    check_gone "$side"
  done
  for side in $( ((round % 2)) && echo "wipe write" || echo "write wipe"); do
    # Each starts alike: an untimed write of the same size first (the first large write after a while
    # pays for making room in the page cache, which would otherwise decide the ratio by who goes
    # first), then nothing left to write back.
    run_job "written=$wipe_bytes" write 'C:\bench\warm.bin' "$wipe_bytes"
    sync -f "$WINEPREFIX/drive_c"
    if [ "$side" = wipe ]; then
      run_job "written=$wipe_bytes" wipe 'C:\' "$wipe_bytes"; t_wipe=$ms
    else
      run_job "written=$wipe_bytes" write 'C:\bench\plain.bin' "$wipe_bytes"; t_write=$ms
    fi
  done
  [ ! -e "$WINEPREFIX/drive_c/Papermill free space wipe" ] || { echo "shred: the wipe left its folder" >&2; exit 1; }
  shreds+=("$t_shred") erases+=("$t_erase") wipes+=("$t_wipe") writes+=("$t_write")
  r_shred+=("$(ratio "$t_shred" "$t_erase")") r_wipe+=("$(ratio "$t_wipe" "$t_write")")
  printf 'round %d: shred %.0f ms  erase %.0f ms  shred/erase %.2f  wipe %.0f ms  write %.0f ms  wipe/write %.2f\n' \
    "$round" "$t_shred" "$t_erase" "${r_shred[-1]}" "$t_wipe" "$t_write" "${r_wipe[-1]}"
done
rm -rf "$WINEPREFIX/drive_c/bench"

rate() { awk -v n="$1" -v ms="$2" 'BEGIN { printf "%.1f", n / (ms / 1000) }'; }
m_shred=$(median "${shreds[@]}") m_erase=$(median "${erases[@]}") m_wipe=$(median "${wipes[@]}") m_write=$(median "${writes[@]}")
printf 'median rates: shred %s files/s  erase %s files/s  wipe %s MB/s  plain write %s MB/s\n' \
  "$(rate "$files" "$m_shred")" "$(rate "$files" "$m_erase")" \
  "$(rate $((wipe_bytes / 1048576)) "$m_wipe")" "$(rate $((wipe_bytes / 1048576)) "$m_write")"
# Ratios of times within each round, then the median across rounds; above 1 means slower than the peer.
printf 'shred/erase median time ratio: %.2f\n' "$(median "${r_shred[@]}")"
printf 'wipe/write median time ratio: %.2f\n' "$(median "${r_wipe[@]}")"
