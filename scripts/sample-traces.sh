# Sourced, not run. Seeds a sandbox prefix with traces a first cleaning finds: browser cache and
# cookie files, typed addresses, Run and Open/Save histories and temp files. Needs sandbox_env first.

sample_profile() {
  local user
  user=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public -printf '%f\n' | head -n1)
  echo "$WINEPREFIX/drive_c/users/$user"
}

# The folder TEMP names inside the prefix, as a Unix path.
sample_temp() {
  local temp
  temp=$(wine cmd /c 'echo %TEMP%' </dev/null 2>/dev/null 9>&- | tr -d '\r')
  winepath -u "$temp" 2>/dev/null 9>&-
}

# A cookie database of a browser's profile (chromium or firefox) with one cookie per host, made by
# the driver: no sqlite3 tool is sure to be on the machine.
sample_cookies() {
  local kind=$1 file=$2
  shift 2
  mkdir -p "$(dirname "$file")"
  wine 'C:\tools\trellwipe_driver.exe' cookies "$kind" "$(winepath -w "$file" 2>/dev/null 9>&-)" "$@" \
    </dev/null >/dev/null 2>&1 9>&-
}

sample_traces() {
  local profile local_data temp i
  profile=$(sample_profile)
  local_data="$profile/AppData/Local"
  temp=$(sample_temp)
  mkdir -p "$local_data/Microsoft/Windows/INetCache/IE/SAMPLE01" "$local_data/Microsoft/Windows/INetCookies" "$temp"
  for i in 1 2 3 4 5; do
    head -c $((i * 40000)) /dev/zero | tr '\0' 'c' >"$local_data/Microsoft/Windows/INetCache/IE/SAMPLE01/page$i.htm"
    head -c $((i * 30000)) /dev/zero | tr '\0' 't' >"$temp/sample$i.tmp"
    # Dated three days back, as an unpacker dates what it unpacks: made a moment ago (their change
    # time says so), they stay under the temporary files' default age, as the one just written does.
    touch -d '3 days ago' "$temp/sample$i.tmp"
  done
  printf 'in use' >"$temp/setup-in-progress.tmp"
  for site in example.com news.example.org shop.example.net; do
    printf 'id\r\n%s\r\n%s/\r\n' "$RANDOM" "$site" >"$local_data/Microsoft/Windows/INetCookies/user@$site[1].txt"
  done
  # The cookie keep list then shows sites from three browsers besides Internet Explorer.
  if [ -f "$WINEPREFIX/drive_c/tools/trellwipe_driver.exe" ]; then
    sample_cookies chromium "$local_data/Google/Chrome/User Data/Default/Network/Cookies" \
      .example.com mail.example.com .bank.example.co.uk
    sample_cookies chromium "$local_data/Microsoft/Edge/User Data/Default/Network/Cookies" .news.example.org .example.com
    sample_cookies firefox "$profile/AppData/Roaming/Mozilla/Firefox/Profiles/sample.default-release/cookies.sqlite" \
      .example.com .shop.example.net www.video.example
  fi
  local hkcu='HKCU\Software\Microsoft'
  {
    wine reg add "$hkcu\\Internet Explorer\\TypedURLs" /v url1 /d 'http://www.example.com/' /f
    wine reg add "$hkcu\\Internet Explorer\\TypedURLs" /v url2 /d 'http://news.example.org/today' /f
    wine reg add "$hkcu\\Windows\\CurrentVersion\\Explorer\\RunMRU" /v a /d 'notepad\1' /f
    wine reg add "$hkcu\\Windows\\CurrentVersion\\Explorer\\RunMRU" /v b /d 'regedit\1' /f
    wine reg add "$hkcu\\Windows\\CurrentVersion\\Explorer\\RunMRU" /v MRUList /d 'ba' /f
    wine reg add "$hkcu\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU\\txt" /v a /d 'C:\notes\diary.txt' /f
    wine reg add "$hkcu\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU\\txt" /v MRUList /d 'a' /f
  } </dev/null >/dev/null 2>&1 9>&-
}

# A selection that cleans the sample traces, written as the program's settings file.
sample_selection() {
  local file=$1
  printf '%s\r\n' '[EXPLORER]' 'location=1' 'cache=1' 'cookies=1' '[WINDOWS]' 'run=1' 'open=1' 'temp=1' \
    '[Options]' 'WindowsStartup=1' >"$file"
}

# Many traces ticked, none of them what a user keeps: a long run's status list.
sample_selection_wide() {
  local file=$1
  printf '%s\r\n' '[EXPLORER]' 'location=1' 'history=1' 'cache=1' 'cookies=1' 'autocomplete=1' 'downloadedhistory=1' \
    'index=1' '[FIREFOX]' 'Address=1' 'Cookies=1' 'cache=1' 'History=1' 'Download=1' \
    '[WINDOWS]' 'recent=1' 'run=1' 'search=1' 'temp=1' 'recycle=1' 'open=1' 'scandisk=1' 'clip=1' 'wordpad=1' \
    'paint=1' 'DirectX=1' 'findcomputer=1' 'findfiles=1' 'mapnetwork=1' 'management=1' 'registryeditor=1' \
    'recentlyused=1' 'thumbs=1' 'streams=1' 'userassist=1' 'unread=1' \
    '[Options]' 'WindowsStartup=1' >"$file"
}
