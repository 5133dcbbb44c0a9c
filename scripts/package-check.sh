#!/usr/bin/env bash
# The packages as a user gets them. cpack makes the portable zip and the installer; in a throwaway
# sandbox the zip's program runs where it is unpacked, the installer installs silently for the user,
# the installed program starts as Windows starts it ("min") and cleans, Explorer's verbs start the
# program with what was chosen, a second installation keeps the user's lists, and the uninstaller
# removes the program, its shortcut, its verbs and its "Trellwipe" Run values: keeping the settings files when silent, removing them with /REMOVESETTINGS, and never
# anything the user put in the folder.
#   package-check.sh BUILD
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)

# shellcheck source=wine-sandbox.sh
. "$top/scripts/wine-sandbox.sh"
# shellcheck source=sample-traces.sh
. "$top/scripts/sample-traces.sh"

fail() { echo "package-check: $1" >&2; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
(cd "$build" && cpack -C Release >/dev/null) || fail "cpack failed"
zip="$build/packages/Trellwipe-$version-portable.zip"
setup="$build/packages/Trellwipe-$version-setup.exe"
[ -f "$zip" ] || fail "no portable zip: $zip"
[ -f "$setup" ] || fail "no installer: $setup"

sandbox_throwaway package

# The zip holds exactly the program folder that `cmake --install` lays out.
expected="$sandbox/expected"
cmake --install "$build" --prefix "$expected" >/dev/null
(cd "$expected" && find . -type f | sed 's|^\./||' | sort) >"$sandbox/expected.txt"
cmake -E tar tf "$zip" | grep -v '/$' | sed "s|^Trellwipe-$version-portable/||" | sort >"$sandbox/zip.txt"
diff -u "$sandbox/expected.txt" "$sandbox/zip.txt" >&2 || fail "the zip does not hold the program folder"

sandbox_for_packages

mkdir -p "$WINEPREFIX/drive_c/dist" "$WINEPREFIX/drive_c/tools"
(cd "$WINEPREFIX/drive_c/dist" && cmake -E tar xf "$zip")
cp "$setup" "$WINEPREFIX/drive_c/dist/"
cp "$build/tests/trellwipe_driver.exe" "$WINEPREFIX/drive_c/tools/"
portable="C:\\dist\\Trellwipe-$version-portable"
win "$portable\\trellwipe-cli.exe" --list | grep -q ' Custom/Custom' \
  || fail "the unpacked zip's trellwipe-cli does not list the items"

install_setup() {
  wine "C:\\dist\\$(basename "$setup")" /S "$@" </dev/null >/dev/null 2>&1 9>&- || fail "the silent installation failed"
}
install_setup
folder=$(unix_of '%LOCALAPPDATA%')/Programs/Trellwipe
folder_win=$(win cmd /c 'echo %LOCALAPPDATA%')'\Programs\Trellwipe'
shortcut=$(unix_of '%APPDATA%')'/Microsoft/Windows/Start Menu/Programs/Trellwipe.lnk'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Trellwipe'
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
while IFS= read -r file; do
  [ -f "$folder/$file" ] || fail "the installation lacks $file"
done <"$sandbox/expected.txt"
[ -f "$folder/Uninstall.exe" ] || fail "no uninstaller in $folder"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
sendto=$(unix_of '%APPDATA%')'/Microsoft/Windows/SendTo/Papermill File Shredder.lnk'
[ ! -e "$sendto" ] || fail "the \"Send to\" shortcut was made without being chosen"
win reg query "$uninstall_key" /v DisplayVersion | grep -q "$version" || fail "no uninstall entry for $version"
# Under Wine the per-user installer has the rights to register the event source: it must have.
event_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Trellwipe'
message_file=$(win reg query "$event_key" /v EventMessageFile)
grep -q 'REG_EXPAND_SZ' <<<"$message_file" && grep -qiF "$folder_win\trellwipe.exe" <<<"$message_file" ||
  fail "no event source with the installed message file"
win reg query "$event_key" /v TypesSupported | grep -qi 'REG_DWORD *0x7' || fail "the event source lacks TypesSupported=7"

# Explorer's menu: the keep verb's command, filled in as Explorer fills it, starts the program with the
# file chosen, which keeps it and says so.
explorer_verbs HKCU "$folder_win"
keep_command=$(win reg query 'HKCU\Software\Classes\*\shell\TrellwipeKeep\command' /ve | sed -n 's/.*REG_SZ *//p')
keep_program=$(sed -n 's/^"\([^"]*\)" \/keep "%1"$/\1/p' <<<"$keep_command")
[ -n "$keep_program" ] || fail "the keep verb's command is not the program, /keep and the selection: $keep_command"
printf 'mine' >"$WINEPREFIX/drive_c/dist/chosen file.txt"
wine "$keep_program" /keep 'C:\dist\chosen file.txt' </dev/null >/dev/null 2>&1 9>&- &
keeping=$!
win 'C:\tools\trellwipe_driver.exe' wait-window 'Keep from cleaning with Trellwipe' 60 >/dev/null || fail "the keep verb showed no confirmation"
win 'C:\tools\trellwipe_driver.exe' close 'Keep from cleaning with Trellwipe' >/dev/null || true
wait "$keeping" || fail "the keep verb's program failed"
grep -qF 'C:\dist\chosen file.txt' "$folder/keeppath.dat" || fail "the keep verb did not keep the file chosen"

# The installed program, started with Windows, cleans on its own and is ended through Exit.
sample_selection "$folder/prisd.dat"
sample_traces
wine "$folder_win\\trellwipe.exe" min </dev/null >/dev/null 2>&1 9>&- &
program=$!
for _ in $(seq 1 240); do
  grep -q '^lastclean=.' "$folder/prisd.dat" && break
  sleep 0.5
done
grep -q '^lastclean=.' "$folder/prisd.dat" || fail "the installed program did not clean after \"min\""
# Tool > "File Shredder" (and the "Shredder" image, the same command) starts the installed Papermill.exe.
win 'C:\tools\trellwipe_driver.exe' post shredder >/dev/null || fail "the driver could not reach the main window"
win 'C:\tools\trellwipe_driver.exe' wait-window 'Papermill File Shredder' 60 >/dev/null ||
  fail "the main window's File Shredder did not start Papermill.exe"
win 'C:\tools\trellwipe_driver.exe' close 'Papermill File Shredder' >/dev/null || true
win 'C:\tools\trellwipe_driver.exe' post exit >/dev/null || true
for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$program" 2>/dev/null || fail "the installed program did not end through Exit"

# The user's lists and choices, which a new installation and a silent uninstallation keep.
printf 'C:\\notes\\diary.txt\t1\r\n' >"$folder/cusd.dat"
printf 'example.com\r\n' >"$folder/keepcook.dat"
printf '*.mine\r\n' >>"$folder/Ext.txt"
printf 'my own notes' >"$folder/notes.txt"
sed -i 's/^on=0/on=1/' "$folder/plus-in/VLC.ppe"
cp "$folder/plus-in/VLC.ppe" "$sandbox/VLC.ppe.ticked"
for root in HKCU HKLM; do
  win reg add "$root\\$run_key" /v Trellwipe /d "\"$folder_win\\trellwipe.exe\" min" /f >/dev/null
done
install_setup /SENDTO
[ -f "$sendto" ] || fail "/SENDTO made no \"Send to\" shortcut"
# The shredder's console form runs from the installed folder.
win "$folder_win\\Papermill.exe" --help | grep -q 'Papermill.exe --shred' || fail "the installed Papermill.exe does not answer --help"
grep -q '^\*\.mine' "$folder/Ext.txt" || fail "a new installation replaced the user's Ext.txt"
cmp -s "$folder/plus-in/VLC.ppe" "$sandbox/VLC.ppe.ticked" || fail "a new installation reset a plug-in switch"

# NSIS's uninstaller runs from a copy and returns at once: wait for it to finish its work.
uninstall() {
  wine "$folder_win\\Uninstall.exe" /S "$@" </dev/null >/dev/null 2>&1 9>&- || fail "the uninstaller failed"
  for _ in $(seq 1 120); do
    win reg query "$uninstall_key" >/dev/null || break
    sleep 0.5
  done
  sleep 1
}
uninstall
for file in trellwipe.exe trellwipe-cli.exe Papermill.exe Uninstall.exe help/index.html; do
  [ ! -e "$folder/$file" ] || fail "the uninstaller left $file"
done
for file in prisd.dat cusd.dat keepcook.dat keeppath.dat notes.txt; do
  [ -f "$folder/$file" ] || fail "a silent uninstallation removed the user's $file"
done
grep -q '^\*\.mine' "$folder/Ext.txt" || fail "a silent uninstallation removed the user's Ext.txt"
cmp -s "$folder/plus-in/VLC.ppe" "$sandbox/VLC.ppe.ticked" || fail "a silent uninstallation lost a plug-in switch"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu shortcut"
[ ! -e "$sendto" ] || fail "the uninstaller left the \"Send to\" shortcut"
for root in HKCU HKLM; do
  ! win reg query "$root\\$run_key" /v Trellwipe >/dev/null || fail "the uninstaller left the $root Run value"
done
! win reg query "$uninstall_key" >/dev/null || fail "the uninstaller left its uninstall entry"
! win reg query "$event_key" >/dev/null || fail "the uninstaller left the event source"
explorer_verbs HKCU "$folder_win" absent

# Installed again and removed with its settings: only what the user put there stays.
install_setup
win reg add 'HKCU\Software\Trellwipe\Diskmote\frmLocate' /v Drive /d 'C:' /f >/dev/null
uninstall /REMOVESETTINGS
[ -f "$folder/notes.txt" ] || fail "the uninstaller removed a file it did not install"
left=$(cd "$folder" && find . -mindepth 1 ! -name notes.txt | head -n3)
[ -z "$left" ] || fail "removing the settings left: $left"
! win reg query 'HKCU\Software\Trellwipe' >/dev/null || fail "removing the settings left HKCU\\Software\\Trellwipe"
rm "$folder/notes.txt"
echo "package-check: passed ($(basename "$zip"), $(basename "$setup"))"
