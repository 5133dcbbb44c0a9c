#!/usr/bin/env bash
# Screenshots of every window for the user guide (docs/user-guide.md), taken under a virtual screen
# with a window manager in a throwaway sandbox, at 100 % and 150 % (NAME-150.png): the main window's
# home page and status page after a cleaning of the sample traces (at 100 % also at its least size
# and maximised after a cleaning of many, with the details of an item that cleaned inside a
# database), a row's details, the cleaning settings (also on Edge's tab) with the address and cookie
# keep lists, the
# options, the file search with its extension list, the about window, the pop-up of an unattended
# cleaning, Papermill, the shredder, the questions before a first cleaning and "Clean and Shut Down", and
# at 100 % a preview's details with the reasons and the keep menu, and the files and folders to keep.
# Then, at 100 %, the main window after a cleaning, the cleaning settings and the first cleaning's
# question in German and in Chinese (NAME-de.png, NAME-zh_CN.png) for the translators' guide; with
# WHAT "languages", only those.
#   screenshots.sh [BUILD] [FOLDER] [all|languages]     (defaults: build/, docs/screenshots/, all)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build} out=${2:-$top/docs/screenshots} what=${3:-all}

# shellcheck source=wine-sandbox.sh
. "$top/scripts/wine-sandbox.sh"
# shellcheck source=sample-traces.sh
. "$top/scripts/sample-traces.sh"

if [ "${TRELLWIPE_SCREENSHOTS_INNER:-}" != 1 ]; then
  "$top/scripts/setup.sh"
  # The window manager that draws the title bars, and the tool that finds a window by its caption.
  command -v openbox >/dev/null && command -v xwininfo >/dev/null ||
    DEBIAN_FRONTEND=noninteractive ${SUDO:-$([ "$(id -u)" = 0 ] || echo sudo)} apt-get install -y -qq openbox x11-utils >/dev/null
  "$top/scripts/build.sh" "$build" trellwipe_program_folder trellwipe_driver >/dev/null
  sandbox=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-shots.XXXXXX")
  trap 'rm -rf "$sandbox"' EXIT
  sandbox_env "$sandbox"
  sandbox_init display only-c
  program="$WINEPREFIX/drive_c/Trellwipe"
  cmake --install "$build" --prefix "$program" >/dev/null
  mkdir -p "$WINEPREFIX/drive_c/tools" "$out"
  cp "$build/tests/trellwipe_driver.exe" "$WINEPREFIX/drive_c/tools/"
  sample_selection "$program/prisd.dat"
  sample_traces
  sandbox_stop
  TRELLWIPE_SCREENSHOTS_INNER=1 TRELLWIPE_SHOTS_SANDBOX="$sandbox" \
    xvfb-run -a -e "${TRELLWIPE_SHOTS_XLOG:-/dev/null}" -s '-screen 0 1600x1200x24' bash ${TRELLWIPE_SHOTS_TRACE:+-x} "$0" "$build" "$out" "$what"
  exit
fi

sandbox_env "$TRELLWIPE_SHOTS_SANDBOX"
settings="$WINEPREFIX/drive_c/Trellwipe/prisd.dat"
driver() { wine 'C:\tools\trellwipe_driver.exe' "$@" </dev/null >/dev/null 2>&1; }
# A window with its title bar, as the window manager framed it.
shot() {
  local id
  sleep "${3:-1}"
  id=$(xwininfo -root -tree | awk -v name="\"$2\":" '($2 == name || index($0, name)) && !found { print $1; found = 1 }')
  if [ -n "$id" ] && import -frame -window "$id" "$out/$1$suffix.png"; then
    echo "screenshot: $out/$1$suffix.png"
  else
    echo "no window \"$2\" for $1$suffix.png" >&2
  fi
}
window() {
  driver post "$1"
  driver wait-window "$2" 60
  shot "$3" "$2"
  driver close "$2"
  sleep 0.5
}
# A window opened by a button of another: the button's window, text and index, the caption, the name.
opened_by() {
  driver click "$1" "$2" "$3"
  driver wait-window "$4" 30
  shot "$5" "$4"
  driver close "$4"
  sleep 0.5
}

# The cleaning settings open next on the Browsers tab's page of that number.
settings_on_browser_tab() {
  sed -i '/^tab[12]=/d' "$settings"
  if grep -q '^\[setting\]' "$settings"; then
    sed -i "s/^\[setting\]\r\?\$/[setting]\r\ntab1=0\r\ntab2=$1\r/" "$settings"
  else
    printf '%s\r\n' '[setting]' 'tab1=0' "tab2=$1" >>"$settings"
  fi
}

# A preview's details with the reason of each file and the keep menu of a line, with the program's own
# rule file of a made-up program's logs ticked, and the list of files and folders to keep.
keeping_shots() {
  local logs program_folder="$WINEPREFIX/drive_c/Trellwipe" caption row id geometry
  logs="$(sample_profile)/AppData/Local/SampleApp/logs"
  mkdir -p "$logs"
  for name in app.log app.1.log app.2.log session.tmp upload.tmp; do head -c 24000 /dev/zero >"$logs/$name"; done
  printf '%s\r\n' '[Sample App Logs *]' 'LangSecRef=3025' 'FileKey1=%LocalAppData%\SampleApp\logs|*.log' \
    'FileKey2=%LocalAppData%\SampleApp\logs|*.tmp' >"$program_folder/winapp2.ini"
  printf '%s\r\n' '[winapp2]' 'Sample App Logs *=1' >>"$settings"
  printf '%s\t%s\r\n' 'C:\users\Public\Documents' 'Explorer' "$(winepath -w "$logs" 2>/dev/null)\*.tmp" 'the details' \
    >"$program_folder/keeppath.dat"
  wine 'C:\Trellwipe\trellwipe.exe' </dev/null >/dev/null 2>&1 &
  driver wait-window 'Trellwipe V6.50' 60
  driver post preview
  sleep 8
  row=$(wine 'C:\tools\trellwipe_driver.exe' rows </dev/null 2>/dev/null | awk -F'\t' '$1 ~ /^Sample App Logs/ { print NR - 1; exit }')
  driver details "${row:-0}"
  sleep 2
  caption=$(xwininfo -root -tree | { grep -o '"Sample App Logs[^"]* - Preview"' || true; } | sed -n '1s/"//gp')
  driver click "$caption" '&Group by reason' 0
  driver menu "$caption" 1
  sleep 2
  # The menu is a window of its own over the details: the part of the screen the details cover.
  id=$(xwininfo -root -tree | awk -v name="\"$caption\":" 'index($0, name) && !found { print $1; found = 1 }')
  geometry=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {printf "%dx%d+%d+%d", w, h + 30, x, (y > 30 ? y - 30 : 0)}')
  import -window root -crop "$geometry" +repage "$out/details-keep.png" && echo "screenshot: $out/details-keep.png"
  driver close "$caption"
  sleep 1
  driver close "$caption"
  sleep 0.5
  window keptpaths 'Files and folders to keep' kept-paths
  driver post exit
  driver wait-gone 20
  wineserver -w
  rm -f "$program_folder/winapp2.ini" "$program_folder/keeppath.dat"
  sample_selection "$settings"
}

# The caption a window has in `language`: its translation in the program's file, else the English.
caption_in() {
  local language=$1 english=$2
  awk -v id="msgid \"$english\"" '$0 == id { getline; if (sub(/^msgstr "/, "") && sub(/"$/, "") && $0 != "") print; exit }' \
    "$WINEPREFIX/drive_c/Trellwipe/lang/$language.po" | grep . || echo "$english"
}

# The main window after a cleaning, the cleaning settings and the first cleaning's question in
# `language`, in the fonts its script is shown in.
language_shots() {
  local language=$1 suffix="-$1" main done settings_caption first
  main=$(caption_in "$language" 'Trellwipe V6.50') done=$(caption_in "$language" 'Task Complete')
  settings_caption=$(caption_in "$language" 'Cleaning Settings') first=$(caption_in "$language" 'The first cleaning')
  driver fonts "$language"
  sample_traces
  sample_selection "$settings"
  printf '%s\r\n' "Language=$language" >>"$settings"
  wine 'C:\Trellwipe\trellwipe.exe' </dev/null >/dev/null 2>&1 &
  driver wait-window "$main" 60
  driver post cleannow
  driver wait-window "$done" 120
  sleep 1
  driver close "$done"
  shot main-status "$main" 2
  settings_on_browser_tab 0
  driver post settings
  driver wait-window "$settings_caption" 60
  shot settings "$settings_caption" 6
  driver close "$settings_caption"
  sed -i '/^tab[12]=/d' "$settings"
  sleep 0.5
  driver post exit
  driver wait-gone 20
  wineserver -w
  sample_traces
  sample_selection_wide "$settings"
  printf '%s\r\n' 'DefaultSelection=1' "Language=$language" >>"$settings"
  wine 'C:\Trellwipe\trellwipe.exe' </dev/null >/dev/null 2>&1 &
  driver wait-window "$main" 60
  driver post cleannow
  driver wait-window "$first" 120
  shot first-cleaning "$first" 2
  driver close "$first"
  sleep 0.5
  driver post exit
  driver wait-gone 20
  wineserver -w
  driver fonts en
  sample_selection "$settings"
}

openbox >/dev/null 2>&1 &
scales="100 150"
[ "$what" != languages ] || scales=""
for scale in $scales; do
  suffix=$([ "$scale" = 100 ] || echo "-$scale")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((scale * 96 / 100)) /f >/dev/null 2>&1
  sample_traces
  wine 'C:\Trellwipe\trellwipe.exe' </dev/null >/dev/null 2>&1 &
  driver wait-window 'Trellwipe V6.50' 60
  shot main-home 'Trellwipe V6.50' 2
  driver post cleannow
  driver wait-window 'Task Complete' 120
  sleep 1
  driver close 'Task Complete'
  sleep 1
  shot main-status 'Trellwipe V6.50'
  driver details 1
  caption=""
  for _ in $(seq 1 20); do
    caption=$(xwininfo -root -tree | { grep -o '"[^"]* - Result"' || true; } | sed -n '1s/"//gp')
    [ -n "$caption" ] && break
    sleep 0.5
  done
  shot details "$caption"
  driver close "$caption"
  sample_traces  # again, so that the cookie keep list shows cookies to keep
  # On Internet Explorer's tab, whose two Options buttons open the two keep lists.
  settings_on_browser_tab 0
  driver post settings
  driver wait-window 'Cleaning Settings' 60
  shot settings 'Cleaning Settings' 4
  opened_by 'Cleaning Settings' Options 0 'URL Drop-List Options' addresses
  opened_by 'Cleaning Settings' Options 1 'Cookies Options' cookies
  driver close 'Cleaning Settings'
  sleep 0.5
  # Opened again on Microsoft Edge's tab, whose profile the sample traces made.
  settings_on_browser_tab 10
  driver post settings
  driver wait-window 'Cleaning Settings' 60
  shot settings-edge 'Cleaning Settings' 4
  driver close 'Cleaning Settings'
  sed -i '/^tab[12]=/d' "$settings"
  sleep 0.5
  window options 'Options' options
  driver post search
  driver wait-window 'Search & Erase' 60
  shot search 'Search & Erase'
  opened_by 'Search & Erase' 'Option&s' 0 'Options' extensions
  driver close 'Search & Erase'
  sleep 0.5
  window about 'About Trellwipe' about
  # The pop-up of an unattended cleaning has no title bar to find it by: it slides in at the screen's
  # lower right corner, which nothing else covers.
  settings="$WINEPREFIX/drive_c/Trellwipe/prisd.dat"
  before=$(tr -d '\r' <"$settings" | sed -n 's/^lastclean=//p')
  driver post trayclean
  for _ in $(seq 1 240); do
    [ "$(tr -d '\r' <"$settings" | sed -n 's/^lastclean=//p')" != "$before" ] && break
    sleep 0.5
  done
  sleep 4
  import -window root "$out/popup$suffix.full.png"
  convert "$out/popup$suffix.full.png" -gravity southeast -crop 700x300+0+0 +repage -trim +repage "$out/popup$suffix.png"
  rm -f "$out/popup$suffix.full.png"
  echo "screenshot: $out/popup$suffix.png"
  driver post exit
  driver wait-gone 20
  # Papermill alone, with a folder and a file of letters queued from its command line.
  letters="$WINEPREFIX/drive_c/users/Public/Documents/Old letters"
  mkdir -p "$letters/2019"
  for name in 2019/january.doc 2019/march.doc draft.doc; do head -c 48000 /dev/urandom >"$letters/$name"; done
  wine 'C:\Trellwipe\Papermill.exe' 'C:\users\Public\Documents\Old letters\2019' \
    'C:\users\Public\Documents\Old letters\draft.doc' </dev/null >/dev/null 2>&1 &
  driver wait-window 'Papermill File Shredder' 60
  shot papermill 'Papermill File Shredder' 2
  driver close 'Papermill File Shredder'
  wineserver -w
  # The questions before a cleaning: the first one of a selection nobody saved (many items ticked, some
  # of programs that are not here), and "Clean and Shut Down" from the tray menu, both answered Cancel.
  sample_traces
  sample_selection_wide "$settings"
  printf '%s\r\n' 'DefaultSelection=1' >>"$settings"
  wine 'C:\Trellwipe\trellwipe.exe' </dev/null >/dev/null 2>&1 &
  driver wait-window 'Trellwipe V6.50' 60
  driver post cleannow
  driver wait-window 'The first cleaning' 120
  shot first-cleaning 'The first cleaning' 2
  driver click 'The first cleaning' Cancel 0
  sleep 0.5
  driver post trayshutdown
  driver wait-window 'Clean and Shut Down' 60
  shot shutdown-question 'Clean and Shut Down' 2
  driver click 'Clean and Shut Down' Cancel 0
  sleep 0.5
  driver post exit
  driver wait-gone 20
  wineserver -w
  sample_selection "$settings"
  if [ "$scale" = 100 ]; then
    sample_traces
    sample_selection_wide "$settings"
    wine 'C:\Trellwipe\trellwipe.exe' </dev/null >/dev/null 2>&1 &
    driver wait-window 'Trellwipe V6.50' 60
    driver post cleannow
    driver wait-window 'Task Complete' 300
    sleep 1
    driver close 'Task Complete'
    # As it opens, the window has its least size.
    shot main-least 'Trellwipe V6.50' 2
    # The details of an item that cleaned inside a database, found by its row.
    row=$(wine 'C:\tools\trellwipe_driver.exe' rows </dev/null 2>/dev/null |
      awk -F'\t' '$1 == "Firefox Cookies" { print NR - 1; exit }')
    driver details "${row:-0}"
    driver wait-window 'Firefox Cookies - Result' 30
    shot details-database 'Firefox Cookies - Result'
    driver close 'Firefox Cookies - Result'
    sleep 0.5
    driver maximise 'Trellwipe V6.50'
    shot main-maximised 'Trellwipe V6.50' 3
    driver post exit
    driver wait-gone 20
    wineserver -w
    sample_selection "$settings"
    keeping_shots
  fi
done
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
# Captions in other scripts go to Wine and come back from xwininfo in UTF-8.
export LC_ALL=C.utf8
for language in de zh_CN; do language_shots "$language"; done
sandbox_stop
