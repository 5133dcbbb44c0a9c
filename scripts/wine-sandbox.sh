# Sourced, not run. A sandbox is one folder that holds a Wine prefix and the scratch HOME and XDG
# folders it was made with, so the prefix's Documents, Downloads, Desktop and trash live inside the
# sandbox and never link to the real home folder.

sandbox_env() {
  local dir=$1
  export TRELLWIPE_SANDBOX="$dir"
  export WINEPREFIX="$dir/prefix"
  export HOME="$dir/home"
  export XDG_DATA_HOME="$dir/home/.local/share"
  export XDG_CONFIG_HOME="$dir/home/.config"
  export XDG_CACHE_HOME="$dir/home/.cache"
  export XDG_DESKTOP_DIR="$dir/home/Desktop"
  export XDG_DOCUMENTS_DIR="$dir/home/Documents"
  export XDG_DOWNLOAD_DIR="$dir/home/Downloads"
  export XDG_MUSIC_DIR="$dir/home/Music"
  export XDG_PICTURES_DIR="$dir/home/Pictures"
  export XDG_VIDEOS_DIR="$dir/home/Videos"
  # Quiet unless the caller asks for a channel (the heap check sets warn+heap).
  export WINEDEBUG=${TRELLWIPE_WINEDEBUG:--all}
  export WINEARCH=win64
  # No Gecko or Mono installer prompts in a fresh prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
}

# Fails when any link of the prefix's user profiles leads outside the sandbox.
sandbox_check_links() {
  local dir root link target
  dir=$(readlink -f "$TRELLWIPE_SANDBOX")
  root="$WINEPREFIX/drive_c/users"
  while IFS= read -r link; do
    target=$(readlink -f "$link" || true)
    case "$target" in
      "$dir"/*|"$dir") ;;
      *) echo "sandbox: $link leads outside the sandbox ($target)" >&2; return 1 ;;
    esac
  done < <(find "$root" -type l 2>/dev/null)
}

# sandbox_init [null|display] [keep-z|only-c]: makes the prefix once; later calls only check it.
sandbox_init() {
  local graphics=${1:-null} zdrive=${2:-keep-z}
  if [ ! -f "$WINEPREFIX/.trellwipe-ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
    if [ "$graphics" = null ]; then
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&-
    fi
    wineserver -w
    touch "$WINEPREFIX/.trellwipe-ready"
  fi
  if [ "$zdrive" = only-c ]; then
    # Drive Z: (the whole Unix file system) and any other mapped drive would let the program reach
    # files outside the sandbox.
    find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 ! -name 'c:' -exec rm -f {} +
  fi
  sandbox_check_links
}

# Keeps one wineserver alive for the prefix, with Wine's services started detached from our pipes,
# so each program start costs a few hundredths of a second and ctest never waits on their output.
sandbox_warm() {
  # 9>&- : the lock the emulator holds while warming must not live on in the server.
  # wineserver exits 0 only when it started a new server; a running one is already warm.
  if wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
    wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
  fi
}

sandbox_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}

# Stops the server of every sandbox below `dir`: the run's own and those of tests run side by side.
sandbox_stop_all() {
  local prefix
  for prefix in $(find "$1" -maxdepth 3 -type d -name prefix 2>/dev/null); do
    (sandbox_env "$(dirname "$prefix")"; sandbox_stop)
  done
}

# A throwaway sandbox for a check, named in $sandbox; its server is stopped and the folder removed
# when the script exits.
sandbox_throwaway() {
  sandbox=$(mktemp -d "${TMPDIR:-/tmp}/trellwipe-$1.XXXXXX")
  trap '( sandbox_env "$sandbox"; sandbox_stop ); rm -rf "$sandbox"' EXIT
}

# Enters $sandbox to install packages in: without desktop entries for the shortcuts (the sandbox
# has no desktop to put them on), with its server warm.
sandbox_for_packages() {
  sandbox_env "$sandbox"
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
  sandbox_init null only-c
  sandbox_warm
}
# A Windows program's output without its carriage returns; a Windows folder's Unix path.
win() { wine "$@" </dev/null 2>/dev/null 9>&- | tr -d '\r'; }
unix_of() { winepath -u "$(win cmd /c "echo $1")" 2>/dev/null 9>&-; }
# Explorer's verbs for files and folders under ROOT (HKCU or HKLM): each starts the program installed in
# the Windows folder FOLDER with what was chosen, and shows for a selection of many; with "absent" as
# the third argument, none is there. Calls the script's fail.
explorer_verbs() {
  local root=$1 folder=$2 class row name program arguments key command
  for class in '*' Directory; do
    for row in 'TrellwipeShred Papermill.exe' 'TrellwipeKeep trellwipe.exe /keep'; do
      read -r name program arguments <<<"$row"
      key="$root\\Software\\Classes\\$class\\shell\\$name"
      if [ "${3:-}" = absent ]; then
        ! win reg query "$key" >/dev/null || fail "the uninstallation left Explorer's verb $key"
        continue
      fi
      command=$(win reg query "$key\\command" /ve)
      grep -qiF "\"$folder\\$program\" ${arguments:+$arguments }\"%1\"" <<<"$command" ||
        fail "Explorer's verb $key does not start $program with the selection: $command"
      win reg query "$key" /v MultiSelectModel | grep -q 'Player' || fail "Explorer's verb $key is not for many items"
    done
  done
}
