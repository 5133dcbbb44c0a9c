#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; does nothing when all is there.
set -euo pipefail
need=()
command -v wine >/dev/null 2>&1 || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || need+=(g++-mingw-w64-x86-64-posix)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
command -v xvfb-run >/dev/null 2>&1 || need+=(xvfb)
command -v xauth >/dev/null 2>&1 || need+=(xauth)
command -v import >/dev/null 2>&1 || need+=(imagemagick)
command -v makensis >/dev/null 2>&1 || need+=(nsis)
command -v wixl >/dev/null 2>&1 || need+=(wixl)
command -v msibuild >/dev/null 2>&1 || need+=(msitools)
command -v npm >/dev/null 2>&1 || need+=(npm)
command -v clang-format-14 >/dev/null 2>&1 || need+=(clang-format-14)
command -v ccache >/dev/null 2>&1 || need+=(ccache)
# The fit test shows Chinese in this font, Debian's, pinned to the version whose file it was measured
# with and checked by its hash below; the test prefix takes it for the interface fonts only while it
# runs Chinese.
cjk_font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
cjk_font_sha256=2420e8078af796b19a3f6ef13de527a1a91c1e7171eea115926c614ced1009b3
[ -f "$cjk_font" ] || need+=(fonts-wqy-microhei=0.2.0-beta-3.1)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi

echo "$cjk_font_sha256  $cjk_font" | sha256sum --check --quiet

# SQLite is compiled into the program from its official amalgamation, which the npm package
# better-sqlite3 carries; the package is checked by its hash before anything is taken from it.
# The build reads the two files from third_party/sqlite (ignored by git) and downloads nothing.
sqlite_package=better-sqlite3-12.11.1.tgz
sqlite_sha256=ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835
sqlite_dir="$(cd "$(dirname "$0")/.." && pwd)/third_party/sqlite"
if [ ! -f "$sqlite_dir/sqlite3.c" ] || [ ! -f "$sqlite_dir/sqlite3.h" ]; then
  echo "bringing in the SQLite amalgamation"
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  (cd "$scratch" && npm pack --silent "better-sqlite3@12.11.1" >/dev/null)
  echo "$sqlite_sha256  $scratch/$sqlite_package" | sha256sum --check --quiet
  tar -xzf "$scratch/$sqlite_package" -C "$scratch" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
  mkdir -p "$sqlite_dir"
  mv "$scratch/package/deps/sqlite3/sqlite3.c" "$scratch/package/deps/sqlite3/sqlite3.h" "$sqlite_dir/"
fi
