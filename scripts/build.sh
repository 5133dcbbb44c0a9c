#!/usr/bin/env bash
# Configures and builds a build folder (Release, the mingw-w64 cross compiler), all of it or the
# targets named, through the compiler cache the set-up installs. The cache names the sources
# relative to the clone, so a build folder beside the usual one (the fresh-run check's) reuses what
# another one compiled.
#   build.sh BUILD [TARGET...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
# The tests' precompiled header is cached only when the cache may overlook its macros and the time
# macros, which no source uses.
export CCACHE_BASEDIR="$top" CCACHE_DIR="${CCACHE_DIR:-$top/.ccache}" CCACHE_SLOPPINESS=pch_defines,time_macros
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
