#!/usr/bin/env bash
# The emulator CTest puts in front of every test executable: runs it under Wine inside a sandbox.
# The sandbox is $TRELLWIPE_SANDBOX when the caller made one (scripts/test.sh does, per run), else
# the default folder given by the build (first argument after --default-sandbox). A test that needs a
# fixture laid out natively names it in TRELLWIPE_FIXTURE, set beside its registration in
# tests/CMakeLists.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
default=""
if [ "${1:-}" = --default-sandbox ]; then default=$2; shift 2; fi
sandbox=${TRELLWIPE_SANDBOX:-$default}
fixture_name=${TRELLWIPE_FIXTURE:-}
[ -n "$sandbox" ] || { echo "wine-emulator: no sandbox folder" >&2; exit 2; }
# Tests run side by side each get the sandbox CTest gave them ("id:1,slots:1"); a test run alone
# (its second try) uses the run's own.
slot=${CTEST_RESOURCE_GROUP_0_SANDBOX:-}
if [ -n "$slot" ]; then
  slot=${slot#id:}
  sandbox="$sandbox/slot${slot%%,*}"
fi
# The test that changes the system DPI for the programs it starts gets a prefix of its own, so no
# other test ever starts at that DPI, and a virtual screen large enough for windows at 200 % (the
# null driver's screen is 1024x768).
graphics=null screen=""
[ "$fixture_name" != window_fit ] || { sandbox="$sandbox/window-fit" graphics=display screen=3840x2160x24; }
mkdir -p "$sandbox"
# shellcheck source=wine-sandbox.sh
. "$here/wine-sandbox.sh"
sandbox_env "$sandbox"
(
  flock 9
  sandbox_init "$graphics" only-c
  # A server started without the virtual screen's DISPLAY would break the run under it.
  [ -n "$screen" ] || sandbox_warm
  # Wine cannot make links from inside a Windows process: the link tests get a fresh tree with a
  # link that leads out of it, made natively before each test.
  fixture="$WINEPREFIX/drive_c/linkfixture"
  rm -rf "$fixture"
  mkdir -p "$fixture/outside/cache" "$fixture/tree/sub"
  printf 0123456789 >"$fixture/outside/precious.txt"
  printf 0123456789 >"$fixture/outside/cache/precious.bin"
  printf 12345 >"$fixture/tree/sub/own.txt"
  ln -s "$fixture/outside" "$fixture/tree/sub/cache"
  # A loop, loop\a\b\up leading back to loop itself, only for the tests that ask for it: a walk
  # over the whole drive that follows links (cmd's "del /s") would never end.
  case "$fixture_name" in
    link_loop)
      mkdir -p "$fixture/loop/a/b"
      printf 1234567 >"$fixture/loop/a/b/own.log"
      printf 123 >"$fixture/loop/top.log"
      ln -s "$fixture/loop" "$fixture/loop/a/b/up"
      ;;
    whole_unix_drive)
      # Drive Z: as Wine makes it in a new prefix: the whole Unix file system. The next test's
      # start removes it again.
      ln -sfn / "$WINEPREFIX/dosdevices/z:"
      ;;
    file_links)
      # A file link inside the tree, and a link to an empty folder, leading out of it.
      ln -s "$fixture/outside/precious.txt" "$fixture/tree/note.txt"
      mkdir "$fixture/outside/empty"
      ln -s "$fixture/outside/empty" "$fixture/tree/sub/empty"
      # "report." leading to "report" beside it, which Wine names alike.
      printf KEEP-ME >"$fixture/outside/report"
      ln -s report "$fixture/outside/report."
      ;;
    shred_room)
      # A file with room taken past its end, as a database or a download takes it in advance.
      printf 0123456789 >"$fixture/outside/download.part"
      fallocate --keep-size -l 4M "$fixture/outside/download.part"
      ;;
    identity_guard)
      # Other names of drive C:'s folders: drive Y:, the sandbox folder that holds the prefix (as
      # drive Z: names every folder), and a link to the parent of the folder the tests make the
      # program folder. The next test's start removes the drive again. ChromeLink names a browser's
      # "User Data" folder otherwise.
      mkdir -p "$fixture/app" "$fixture/Chrome/User Data"
      ln -s "$fixture/app" "$fixture/up"
      ln -s "$fixture/Chrome/User Data" "$fixture/ChromeLink"
      ln -sfn "$sandbox" "$WINEPREFIX/dosdevices/y:"
      ;;
    path_guard)
      # Links to folders no erasure may touch, for the guard to see through.
      mkdir -p "$fixture/links"
      ln -s "$WINEPREFIX/drive_c/windows" "$fixture/links/windows"
      ln -s "$WINEPREFIX/drive_c" "$fixture/links/root"
      ;;
    planted_databases)
      # A browser's "places.sqlite" that is a link to a program file of the Windows folder.
      mkdir -p "$fixture/profile"
      printf 'PROGRAM\n%.0s' {1..1024} >"$WINEPREFIX/drive_c/windows/system32/trellwipe-victim.dll"
      ln -s "$WINEPREFIX/drive_c/windows/system32/trellwipe-victim.dll" "$fixture/profile/places.sqlite"
      ;;
    window_fit | wine_channels | '') ;;
    *) echo "wine-emulator: no fixture named $fixture_name" >&2; exit 2 ;;
  esac
  # The tests of files in use start this program, built beside them, as the second process that
  # holds a file open; a Windows process cannot name the build folder outside drive C:.
  # Papermill.exe and trellwipe-cli.exe, which the console tests start, and the fake browser come the
  # same way.
  for program in trellwipe_file_holder.exe Papermill.exe trellwipe-cli.exe trellwipe_fake_browser.exe; do
    if [ -f "$(dirname "$1")/$program" ]; then cp "$(dirname "$1")/$program" "$fixture/"; fi
  done
) 9>"$sandbox/.lock"
export TRELLWIPE_LINK_FIXTURE='C:\linkfixture'
# Wine's writes past 3 MiB fail for the test of a failed overwrite, as on a drive that fills up;
# the signal the system sends with the failure is ignored, so the write only reports it.
wine=(wine)
case "$fixture_name" in shred_room) wine=(bash -c 'trap "" XFSZ; ulimit -f 3072; exec wine "$@"' wine) ;; esac

if [ -n "$screen" ]; then
  exec xvfb-run -a -s "-screen 0 $screen" wine "$@"
fi
# Wine processes a test leaves behind hold its output: the desktop's explorer.exe, which lives a second
# past the test when a test that ended a program made it start anew, and the console host of a
# console program a test ended. ctest waits for every holder of a test's output, a second more for
# each test or until its timeout. The output goes to a file instead, shown to ctest while the test
# runs and until it ends (tail --pid: the test keeps this script's process id). The heap check
# collects what Wine reports there.
# The tests of what Wine prints on its channels read it back from drive C:.
if [ "$fixture_name" = wine_channels ]; then
  output=$(mktemp "$WINEPREFIX/drive_c/wine-output.XXXXXX")
  export TRELLWIPE_WINE_OUTPUT="C:\\${output##*/}"
else
  output=$(mktemp "$sandbox/test-output.XXXXXX")
fi
{
  tail -s 0.05 --pid=$$ -n +1 -f "$output"
  [ -z "${TRELLWIPE_WINE_LOG:-}" ] || cat "$output" >>"$TRELLWIPE_WINE_LOG"
  rm -f "$output"
} &
exec "${wine[@]}" "$@" >"$output" 2>&1
