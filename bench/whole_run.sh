#!/usr/bin/env bash
# Times a whole cleaning run of trellwipe-cli on a seeded profile against the Wine console doing the
# same folders: `--clean --only <browser caches>` against `cmd /c del /s /q`, and `--preview` of the
# same items against `cmd /c dir /s`. One throwaway sandbox prefix (scratch HOME and XDG), one warm
# wineserver. Prints one line per round, then the medians; the last line is the preview/clean ratio
# of ours, and the line before it the clean ratio ours/del.
#
# Settings (environment): ROUNDS (3), FILES (50000, spread over the four browser caches),
# FILE_BYTES (100), TRELLWIPE_BENCH_BUILD (build folder, default bench/build). The sandbox goes under
# $TMPDIR (default /tmp).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
rounds=${ROUNDS:-3}
files=${FILES:-50000}
file_bytes=${FILE_BYTES:-100}
per_folder=250

bench_build whole_run trellwipe-cli

# shellcheck source=../scripts/sample-traces.sh
. "$top/scripts/sample-traces.sh"
bench_sandbox

bench_install_cli
items='Chrome/Cache,FIREFOX/cache,Opera/cache,Maxthon/folder'

profile=$(sample_profile)
profile_win=$(winepath -w "$profile" 2>/dev/null 9>&- | tr -d '\r')
# The folders the four items empty, as Unix and as Windows paths; the Firefox and Opera items remove
# folders named "cache" below their profile folders.
unix_folders=(
  "$profile/AppData/Local/Google/Chrome/User Data/Default/Cache"
  "$profile/AppData/Local/Mozilla/Firefox/Profiles/bench.default/cache"
  "$profile/AppData/Local/Opera/Opera/cache"
  "$profile/AppData/Roaming/Maxthon3/Public/Downloader/TaskList"
)
win_folders=(
  "$profile_win\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\Cache"
  "$profile_win\\AppData\\Local\\Mozilla\\Firefox\\Profiles\\bench.default\\cache"
  "$profile_win\\AppData\\Local\\Opera\\Opera\\cache"
  "$profile_win\\AppData\\Roaming\\Maxthon3\\Public\\Downloader\\TaskList"
)

printf -v payload "%0${file_bytes}d" 0

seed() {
  local i f dir n=0 per_cache=$((files / 4))
  for ((i = 0; i < 4; i++)); do
    rm -rf "${unix_folders[$i]}"
    for ((f = 0; f < per_cache; f++)); do
      if ((f % per_folder == 0)); then
        printf -v dir '%s/d%03d' "${unix_folders[$i]}" $((f / per_folder))
        mkdir -p "$dir"
      fi
      printf '%s' "$payload" >"$dir/f$f"
      n=$((n + 1))
    done
  done
  sync -f "$profile"
  [ "$(count_files)" -eq "$n" ] || { echo "whole_run: seeding made $(count_files) files, wanted $n" >&2; exit 1; }
  seeded=$n
}

count_files() {
  local folder total=0 n
  for folder in "${unix_folders[@]}"; do
    if [ -d "$folder" ]; then n=$(find "$folder" -type f | wc -l); total=$((total + n)); fi
  done
  echo "$total"
}

check_empty() {
  local left
  left=$(count_files)
  [ "$left" -eq 0 ] || { echo "whole_run: $1 left $left of $seeded files" >&2; exit 1; }
}

timed() {
  sandbox_warm
  local start end
  start=$(now_us)
  "$@" </dev/null >"$sandbox/out" 2>&1 || true
  end=$(now_us)
  elapsed=$((end - start))
}

run_clean() {
  timed wine "$cli" --clean --only "$items"
  grep -q "^Erased: $seeded files" <(tr -d '\r' <"$sandbox/out") ||
    { echo "whole_run: the clean reported $(grep '^Erased' "$sandbox/out"), wanted $seeded files" >&2; exit 1; }
}
run_preview() {
  timed wine "$cli" --preview --only "$items"
  grep -q "^Would erase: $seeded files" <(tr -d '\r' <"$sandbox/out") ||
    { echo "whole_run: the preview reported $(grep '^Would' "$sandbox/out"), wanted $seeded files" >&2; exit 1; }
  [ "$(count_files)" -eq "$seeded" ] || { echo "whole_run: the preview erased files" >&2; exit 1; }
}
run_del() { timed wine cmd /c del /s /q "${win_folders[@]}" '>' NUL; }
run_dir() {
  timed wine cmd /c dir /s "${win_folders[@]}" '>' NUL
  [ "$(count_files)" -eq "$seeded" ] || { echo "whole_run: dir erased files" >&2; exit 1; }
}

seed
echo "profile: $seeded files of $file_bytes bytes in four browser caches; $rounds rounds"
t_c=() t_d=() t_p=() t_s=() r_clean=() r_preview=() r_self=()
for ((round = 1; round <= rounds; round++)); do
  seed; run_preview; p=$elapsed
  run_dir; s=$elapsed
  if ((round % 2)); then
    run_clean; check_empty clean; c=$elapsed
    seed; run_del; check_empty del; d=$elapsed
  else
    run_del; check_empty del; d=$elapsed
    seed; run_clean; check_empty clean; c=$elapsed
  fi
  t_c+=("$c") t_d+=("$d") t_p+=("$p") t_s+=("$s")
  r_clean+=("$(ratio "$c" "$d")") r_preview+=("$(ratio "$p" "$s")") r_self+=("$(ratio "$p" "$c")")
  printf 'round %d: clean %s s  del %s s  preview %s s  dir %s s  clean/del %.2f  preview/dir %.2f  preview/clean %.2f\n' \
    "$round" "$(seconds "$c")" "$(seconds "$d")" "$(seconds "$p")" "$(seconds "$s")" \
    "${r_clean[-1]}" "${r_preview[-1]}" "${r_self[-1]}"
done

printf 'median times: clean %s s  del %s s  preview %s s  dir %s s\n' \
  "$(seconds "$(median "${t_c[@]}")")" "$(seconds "$(median "${t_d[@]}")")" \
  "$(seconds "$(median "${t_p[@]}")")" "$(seconds "$(median "${t_s[@]}")")"
printf 'preview ours/dir median ratio: %.2f\n' "$(median "${r_preview[@]}")"
printf 'preview/clean median ratio (must not exceed 1): %.2f\n' "$(median "${r_self[@]}")"
printf 'clean ours/del median ratio: %.2f\n' "$(median "${r_clean[@]}")"
