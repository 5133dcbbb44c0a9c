# Sourced by the benchmarks, not run. Needs $top (the source folder) set.
export LC_ALL=C  # EPOCHREALTIME and printf must use a decimal point

# bench_build NAME TARGET: builds one target into $TRELLWIPE_BENCH_BUILD (default bench/build, which
# keeps clear of concurrent builds in ./build and is ignored by git) and sets $build.
bench_build() {
  local name=$1 target=$2 log
  build=${TRELLWIPE_BENCH_BUILD:-$top/bench/build}
  log=$(mktemp "${TMPDIR:-/tmp}/trellwipe-bench-build.XXXXXX")
  if ! { cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
           -DCMAKE_BUILD_TYPE=Release &&
         cmake --build "$build" --target "$target" -j"$(nproc)"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "$name: build failed" >&2
    exit 1
  fi
  rm -f "$log"
}

# bench_sandbox: one throwaway sandbox under $TMPDIR with a warm wineserver, removed on exit; sets
# $sandbox and the sandbox's environment.
bench_sandbox() {
  sandbox=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-bench.XXXXXX")
  trap '( sandbox_env "$sandbox"; sandbox_stop ); rm -rf "$sandbox"' EXIT
  trap 'exit 130' INT TERM
  sandbox_env "$sandbox"
  sandbox_init null only-c
  sandbox_warm
}

# bench_install_cli: copies the built trellwipe-cli into the sandbox as C:\Trellwipe\trellwipe-cli.exe
# and sets $cli to that Windows path.
bench_install_cli() {
  mkdir -p "$WINEPREFIX/drive_c/Trellwipe"
  cp "$build/src/trellwipe-cli.exe" "$WINEPREFIX/drive_c/Trellwipe/"
  cli='C:\Trellwipe\trellwipe-cli.exe'
}

# bench_tree TREE FOLDERS PER_FOLDER PAYLOAD: makes TREE afresh, FOLDERS folders of PER_FOLDER files
# holding PAYLOAD, synced to disk so that no contender inherits the writeback of its making.
bench_tree() {
  local tree=$1 folders=$2 per_folder=$3 payload=$4 d f dir
  rm -rf "$tree"
  mkdir -p "$tree"
  for ((d = 0; d < folders; d++)); do
    printf -v dir '%s/d%03d' "$tree" "$d"
    mkdir "$dir"
    for ((f = 0; f < per_folder; f++)); do printf '%s' "$payload" >"$dir/f$f.txt"; done
  done
  sync -f "$tree"
}

# bench_count_files TREE: the files left in it.
bench_count_files() { if [ -d "$1" ]; then find "$1" -type f | wc -l; else echo 0; fi; }

# bench_generated_rules PROGRAM ENTRIES: writes PROGRAM/rules.generated, a made-up rule file of
# ENTRIES entries under %LocalAppData%\Bench (bench_rules.exe must be in PROGRAM), and makes the
# folders of a tenth of its programs, so that those are present; sets $present and $bytes.
bench_generated_rules() {
  local program=$1 entries=$2 local_app_data local_unix name i
  present=$(((entries + 9) / 10))
  wine 'C:\Trellwipe\bench_rules.exe' generate 'C:\Trellwipe\rules.generated' "$entries" '%LocalAppData%\Bench' \
    </dev/null >/dev/null 2>&1
  bytes=$(stat -c %s "$program/rules.generated")
  local_app_data=$(wine cmd /c echo '%LocalAppData%' </dev/null 2>/dev/null | tr -d '\r')
  local_unix=$(winepath -u "$local_app_data" 2>/dev/null | tr -d '\r')
  for ((i = 0; i < entries; i += 10)); do
    printf -v name 'Generated Program %04d' "$i"
    mkdir -p "$local_unix/Bench/$name/Cache"
  done
}

now_us() { local t=$EPOCHREALTIME; echo "${t/./}"; }
seconds() { awk -v us="$1" 'BEGIN { printf "%.3f", us / 1e6 }'; }
median() {
  printf '%s\n' "$@" | sort -g |
    awk '{ a[NR] = $1 } END { m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "%.6f\n", m }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }

# shellcheck source=../scripts/wine-sandbox.sh
. "$top/scripts/wine-sandbox.sh"
