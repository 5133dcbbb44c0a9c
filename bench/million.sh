#!/usr/bin/env bash
# A profile of a million files: times a preview and a clean of it through trellwipe-cli and prints
# each one's peak memory; then, with the profile made again, cleans it in the main window and prints
# how long the window took to answer while cleaning, and to stop on Cancel and to end on Exit. The
# files are made from Linux straight into the sandbox prefix's drive C:, far faster than through
# Wine: FOLDERS folders of FILES_PER_FOLDER files, half in the Chrome cache (a tree whose files go)
# and half in a Firefox profile's "cache" folder (a folder that goes whole).
# Run by hand; it takes some minutes and about 4 GB of disk blocks under $TMPDIR.
#
# Settings (environment): FOLDERS (20000), FILES_PER_FOLDER (50), FILE_BYTES (100),
# TRELLWIPE_BENCH_BUILD (build folder, default bench/build). The sandbox goes under $TMPDIR
# (default /tmp).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=common.sh
. "$top/bench/common.sh"
folders=${FOLDERS:-20000}
per_folder=${FILES_PER_FOLDER:-50}
file_bytes=${FILE_BYTES:-100}
files=$((folders * per_folder))

bench_build million trellwipe-cli
bench_build million trellwipe_program_folder
bench_build million trellwipe_driver

# shellcheck source=../scripts/sample-traces.sh
. "$top/scripts/sample-traces.sh"
bench_sandbox

bench_install_cli
items='Chrome/Cache,FIREFOX/cache'

profile=$(sample_profile)
caches=(
  "$profile/AppData/Local/Google/Chrome/User Data/Default/Cache"
  "$profile/AppData/Local/Mozilla/Firefox/Profiles/bench.default/cache"
)

# The Firefox item removes its "cache" folder whole, so after the clean it is not there to count.
count_files() { { find "${caches[@]}" -type f 2>/dev/null || true; } | wc -l; }

make_profile() {
  python3 - "$folders" "$per_folder" "$file_bytes" "${caches[@]}" <<'EOF'
import os, sys
folders, per_folder, size = map(int, sys.argv[1:4])
caches = sys.argv[4:]
payload = b"0" * size
for d in range(folders):
    folder = os.path.join(caches[d % len(caches)], "d%05d" % d)
    os.makedirs(folder, exist_ok=True)
    for f in range(per_folder):
        fd = os.open(os.path.join(folder, "f%07d" % (d * per_folder + f)), os.O_WRONLY | os.O_CREAT | os.O_EXCL)
        os.write(fd, payload)
        os.close(fd)
EOF
  sync -f "$profile"
  [ "$(count_files)" -eq "$files" ] || { echo "million: made $(count_files) files, wanted $files" >&2; exit 1; }
}

make_profile
echo "profile: $files files of $file_bytes bytes in $folders folders (half in the Chrome cache, half in a Firefox cache)"

# Runs trellwipe-cli under GNU time, which gives the elapsed seconds and the peak resident memory
# of the process (Wine runs the program in the process it starts). Sets $elapsed and $peak_mb.
measured() {
  sandbox_warm
  /usr/bin/time -f '%e %M' -o "$sandbox/time" wine "$cli" "$@" </dev/null >"$sandbox/out" 2>"$sandbox/err" || true
  read -r elapsed peak_kb <"$sandbox/time"
  peak_mb=$((peak_kb / 1024))
}

summary() { tr -d '\r' <"$sandbox/out" | grep "^$1" || true; }

measured --preview --only "$items"
got=$(summary 'Would erase:')
[[ "$got" == "Would erase: $files files"* ]] || { echo "million: the preview reported '$got', wanted $files files" >&2; exit 1; }
[ "$(count_files)" -eq "$files" ] || { echo "million: the preview erased files" >&2; exit 1; }
printf 'preview: %s s, peak memory %d MB (%s lines of report)\n' "$elapsed" "$peak_mb" "$(wc -l <"$sandbox/out")"

measured --clean --only "$items"
got=$(summary 'Erased:')
[[ "$got" == "Erased: $files files"* ]] || { echo "million: the clean reported '$got', wanted $files files" >&2; exit 1; }
left=$(count_files)
[ "$left" -eq 0 ] || { echo "million: the clean left $left files" >&2; exit 1; }
printf 'clean: %s s, peak memory %d MB (%s lines of report)\n' "$elapsed" "$peak_mb" "$(wc -l <"$sandbox/out")"

# The main window, cleaning the same items again. Cancel and Exit each come while a clean runs; the
# figures are the time until no file goes any more, and until the window is gone.
make_profile
program="$WINEPREFIX/drive_c/Trellwipe"
cmake --install "$build" --prefix "$program" >/dev/null
cp "$build/tests/trellwipe_driver.exe" "$program/"
printf '%s\r\n' '[Chrome]' 'Cache=1' '[FIREFOX]' 'cache=1' >"$program/prisd.dat"
driver() { wine 'C:\Trellwipe\trellwipe_driver.exe' "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# Waits until the count of files stays the same for two seconds; prints the seconds that took.
settled() {
  local start before after
  start=$(now_us)
  after=$(count_files)
  while before=$after; sleep 2; after=$(count_files); [ "$after" -ne "$before" ]; do :; done
  seconds $(($(now_us) - start - 2000000))
}
start_cleaning() {
  local before
  before=$(count_files)
  driver post cleannow >/dev/null
  for _ in $(seq 1 60); do
    sleep 1
    [ "$(count_files)" -lt "$before" ] && return
  done
  echo "million: the main window's clean did not start" >&2
  exit 1
}
wine 'C:\Trellwipe\trellwipe.exe' </dev/null >/dev/null 2>&1 &
driver wait-window 60 >/dev/null || { echo "million: the main window did not open" >&2; exit 1; }
start_cleaning
answers=()
for _ in $(seq 1 10); do
  ms=$(driver answer) || { echo "million: the main window did not answer within 10 s while cleaning" >&2; exit 1; }
  answers+=("$ms")
  sleep 1
done
driver post cancel >/dev/null
stopped=$(settled)
left=$(count_files)
# The stopped run ends with its message, which the next clean waits for.
driver wait-window 'Task Stopped' 30 >/dev/null || { echo "million: no 'Task Stopped' after Cancel (a small profile may be clean before Cancel comes)" >&2; exit 1; }
driver close 'Task Stopped' >/dev/null
start_cleaning
driver post exit >/dev/null
start=$(now_us)
driver wait-gone 120 >/dev/null || { echo "million: the main window was still there 120 s after Exit" >&2; exit 1; }
ended=$(seconds $(($(now_us) - start)))
printf 'main window: answered while cleaning in %s ms (the slowest %s ms); Cancel stopped the clean in %s s with %d files left; Exit ended it in %s s\n' \
  "$(printf "%.0f" "$(median "${answers[@]}")")" "$(printf '%s\n' "${answers[@]}" | sort -g | tail -1)" "$stopped" "$left" "$ended"
