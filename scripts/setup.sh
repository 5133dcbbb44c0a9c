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
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
