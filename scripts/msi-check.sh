#!/usr/bin/env bash
# The per-machine MSI as an administrator deploys it, with Wine's msiexec in a throwaway sandbox: an
# older package (built here from the same program folder with a lower version) installs silently
# with the machine's "start with Windows" entry, the package cpack made upgrades it keeping what the
# users chose, and removing it leaves only those choices. Files, the all-users shortcut, the
# uninstall entry, the Run value, the event source and Explorer's verbs are checked each time. Then the winget
# manifests: their required fields and the hashes of the packages this build made.
#   msi-check.sh BUILD   (after cpack)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)

# shellcheck source=wine-sandbox.sh
. "$top/scripts/wine-sandbox.sh"

fail() { echo "msi-check: $1" >&2; exit 1; }
# grep -q on the whole of its input: stopping at the first match would fail the writer (pipefail).
has() { local text; text=$(cat); grep -q "$@" <<<"$text"; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
msi="$build/packages/Trellwipe-$version.msi"
[ -f "$msi" ] || fail "no MSI: $msi"

sandbox_throwaway msi

# The older package: the same program folder under a lower version number.
stage="$sandbox/stage"
cmake --install "$build" --prefix "$stage" >/dev/null
(cd "$stage" && find . -type f | sed 's|^\./||' | sort) >"$sandbox/expected.txt"
older_version="${version%%.*}.$(( ${version#*.} - 1 ))"
cmake -DSTAGE="$stage" -DVERSION="$older_version" -DOUTPUT="$sandbox/older.msi" \
  -P "$top/cmake/packaging/msi.cmake" >/dev/null || fail "the older package could not be made"

sandbox_for_packages
mkdir -p "$WINEPREFIX/drive_c/dist"
cp "$msi" "$WINEPREFIX/drive_c/dist/new.msi"
cp "$sandbox/older.msi" "$WINEPREFIX/drive_c/dist/older.msi"
msiexec() { wine msiexec "$@" </dev/null >/dev/null 2>&1 9>&- || fail "msiexec $* failed"; }

folder=$(unix_of '%ProgramFiles%')/Trellwipe
folder_win=$(win cmd /c 'echo %ProgramFiles%')'\Trellwipe'
# The package is per-machine, with its shortcut in the Start menu of every user; Wine's msiexec
# makes it in the installing user's (docs/architecture.md, "Under Wine").
msiinfo export "$msi" Property | has $'^ALLUSERS\t1' || fail "the MSI is not per-machine"
msiinfo export "$msi" Shortcut | has $'^TrellwipeShortcut\tProgramMenuFolder\tTrellwipe\t' ||
  fail "the MSI's shortcut is not in the Start menu"
shortcut=$(unix_of '%APPDATA%')'/Microsoft/Windows/Start Menu/Programs/Trellwipe.lnk'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Trellwipe'
# The uninstall entries Windows Installer wrote for Trellwipe, one "DisplayVersion" line each.
installed_versions() {
  win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
    awk '/^HKEY/ {key=$0} /DisplayName.*Trellwipe/ {found[key]=1} /DisplayVersion/ {v[key]=$NF}
         END {for (k in found) print v[k]}'
}
expect_installed() {
  local expected=$1
  while IFS= read -r file; do
    [ -f "$folder/$file" ] || fail "the installation of $expected lacks $file"
  done <"$sandbox/expected.txt"
  [ -f "$shortcut" ] || fail "no Start-menu shortcut"
  installed_versions | has -x "$expected" || fail "no uninstall entry for $expected: '$(installed_versions)'"
  win reg query "$source_key" /v EventMessageFile | has -F "$folder_win\\trellwipe.exe" ||
    fail "no event source naming the installed trellwipe.exe"
  win reg query "$source_key" /v TypesSupported | has '0x7' || fail "the event source supports no event types"
  explorer_verbs HKLM "$folder_win"
}

msiexec /i 'C:\dist\older.msi' /qn STARTWITHWINDOWS=1
expect_installed "$older_version"
win reg query "$run_key" /v Trellwipe | has -F "\"$folder_win\\trellwipe.exe\" min" ||
  fail "STARTWITHWINDOWS=1 wrote no Run value"

# What a user chose: settings files the program wrote beside itself (Wine's user may write Program
# Files; Windows' users keep them in %APPDATA%\Trellwipe, which no package touches).
printf 'C:\\notes\\diary.txt\t1\r\n' >"$folder/cusd.dat"
printf '[Options]\r\n' >"$folder/prisd.dat"
kept_choices() {
  for file in cusd.dat prisd.dat; do [ -f "$folder/$file" ] || fail "$1 removed the settings file $file"; done
}

msiexec /i 'C:\dist\new.msi' /qn
expect_installed "$version"
[ "$(installed_versions)" = "$version" ] || fail "the upgrade left the older entry: $(installed_versions)"
kept_choices "the upgrade"
! win reg query "$run_key" /v Trellwipe >/dev/null || fail "an upgrade without STARTWITHWINDOWS=1 kept the Run value"

msiexec /x 'C:\dist\new.msi' /qn
for file in trellwipe.exe trellwipe-cli.exe Papermill.exe help/index.html; do
  [ ! -e "$folder/$file" ] || fail "removing the MSI left $file"
done
kept_choices "removing the MSI"
[ ! -e "$shortcut" ] || fail "removing the MSI left the Start-menu shortcut"
[ -z "$(installed_versions)" ] || fail "removing the MSI left uninstall entries: $(installed_versions)"
! win reg query "$source_key" >/dev/null || fail "removing the MSI left the event source"
explorer_verbs HKLM "$folder_win" absent

# The winget manifests: every field the schema requires, and the hashes of this build's packages.
manifests="$build/packages/winget"
field() { sed -n "s/^[ -]*$2: *//p" "$manifests/Trellwipe.Trellwipe$1.yaml"; }
for required in PackageIdentifier PackageVersion DefaultLocale ManifestType ManifestVersion; do
  [ -n "$(field '' "$required")" ] || fail "the version manifest lacks $required"
done
for required in PackageIdentifier PackageVersion PackageLocale Publisher PackageName License \
  ShortDescription ManifestType ManifestVersion; do
  [ -n "$(field .locale.en-US "$required")" ] || fail "the locale manifest lacks $required"
done
for required in PackageIdentifier PackageVersion Architecture InstallerType Scope InstallerUrl \
  InstallerSha256 ManifestType ManifestVersion; do
  [ -n "$(field .installer "$required")" ] || fail "the installer manifest lacks $required"
done
[ "$(field '' PackageVersion)" = "$version" ] || fail "the manifests name another version"
expected_hashes=$(sha256sum "$msi" "$build/packages/Trellwipe-$version-setup.exe" | awk '{print toupper($1)}')
[ "$(field .installer InstallerSha256)" = "$expected_hashes" ] ||
  fail "the installer manifest's hashes are not those of the MSI and the setup this build made"
echo "msi-check: passed ($(basename "$msi") over $older_version, winget manifests)"
