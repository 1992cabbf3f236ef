# Sourced by the demo and the end-to-end and fault runs, after $program is
# set: what differs between the program's two grounds. A program whose name
# ends in .exe is the 32-bit Windows build; it runs under Wine, in the prefix
# and on the display that scripts/wine-env.sh set up (made here when no
# prefix is exported yet, and ended again with ground_stop), with the build's
# own loader ($WINE).
#
#   ground_windows                    true for the Windows build
#   ground_setup <folder>             the display and, on Windows, the prefix
#   ground_stop
#   ground_run <arg>...               the program with these arguments, in
#                                     place of the calling shell: run it with &
#                                     or in ( ), so that $! is the program
#   ground_focus <window id>          the keyboard to that window
#   ground_temp <folder>              the user's temporary folder from now on
#   ground_dictapp_offer <stand-in> <record> <folder>
#                                     the dictionary application's objects,
#                                     played by the stand-in and recorded in
#                                     <record>, started when asked for: on
#                                     Linux by a private bus in <folder>, on
#                                     Windows by COM (its classes registered)
#   ground_dictapp_run <stand-in> <record>
#                                     the dictionary application running, in
#                                     place of the calling shell (run with &)
#   ground_dictapp_stop               the stand-ins asked to end (on Windows;
#                                     before the run kills what it started)
#   ground_language <conf> <key>      the dictionary application's settings
#                                     ("-": none): the configuration file's
#                                     text (printf format), the installation's
#                                     InstallLanguage value (on Windows in the
#                                     registry's 32-bit view; "view64:..." in
#                                     the 64-bit one alone)
#
# On Windows the program's texts reach it in the ANSI code page that
# $ground_lang gives Wine (zh_CN.GBK: 936, by default; en_US.ISO-8859-1: 1252),
# and a path argument ("-/...") becomes the same file's path on drive Z:.
ground_lang=${ground_lang:-zh_CN.GBK}
ground_started_wine=
ground_temp_set=
ground_dictapp_server=  # the Windows stand-in whose classes are registered

ground_windows() { [[ $program == *.exe ]]; }

ground_setup() {
  local dir=$1
  if ! ground_windows; then
    source "$(dirname "${BASH_SOURCE[0]}")/virtual_display.sh"
    start_virtual_display "$dir" || return 1
    ground_pids=("${virtual_display_pids[@]}")
    return 0
  fi
  if [ -z "${WINEPREFIX:-}" ]; then
    source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" "$(dirname "$program")/.." || return 1
    ground_started_wine=1
  fi
  ground_pids=()
  ground_language - -
}

# The Windows stand-ins asked to end, before anything is killed: each
# withdraws its objects from COM (one killed leaves them behind in Wine).
ground_dictapp_stop() {
  [ -z "$ground_dictapp_server" ] || ground_wine "$ground_dictapp_server" --stop >/dev/null 2>&1 || true
}

ground_stop() {
  local p name
  for p in "${ground_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  # The prefix outlives the run's folder: its programs get the user's own
  # temporary folder back (a missing one fails the installer, among others).
  if [ -n "$ground_temp_set" ]; then
    for name in TEMP TMP; do
      ground_wine reg add 'HKCU\Environment' /v "$name" /t REG_EXPAND_SZ /d '%USERPROFILE%\Temp' /f >/dev/null 2>&1
    done
  fi
  # Cleaning up after a run that passed or failed already: said, not counted.
  [ -z "$ground_dictapp_server" ] || standin_com_unregister || echo "the stand-in's classes stayed registered" >&2
  [ -z "$ground_started_wine" ] || wine_env_stop
}

# Gives the window (an X window id) the keyboard, as a user's click would.
# Wine hands keys to the window it made active, which follows the window
# manager's activation, not the X focus alone.
ground_focus() {
  if ground_windows; then
    xdotool windowactivate --sync "$1"
  else
    xdotool windowfocus --sync "$1"
  fi
}

# A Wine command of the prefix's own server (see scripts/wine-env.sh).
ground_wine() { TMPDIR=${WINE_SERVER_TMPDIR:-/tmp} "${WINE:-wine}" "$@"; }

# The Windows path of a file of this machine: drive Z: is its root.
ground_path() { local p="Z:$1"; echo "${p//\//\\}"; }

ground_dictapp_offer() {
  local standin=$1 record=$2 dir=$3 name object
  if ground_windows; then
    source "$(dirname "${BASH_SOURCE[0]}")/standin-com.sh"
    [ -n "$ground_dictapp_server" ] && return 0
    standin_com_register "$standin" "$(dirname "$standin")/../idl/Tarnwick.tlb" --record "$record" || return 1
    ground_dictapp_server=$standin
    return 0
  fi
  source "$(dirname "${BASH_SOURCE[0]}")/private_bus.sh"
  start_private_bus "$dir" || return 1
  ground_pids+=("$private_bus_pid")
  for object in AppControl:app Config:config; do
    name=com.brindlecor.Tarnwick.${object%%:*}
    printf '[D-BUS Service]\nName=%s\nExec=%s --serve %s --record %s\n' \
      "$name" "$standin" "${object#*:}" "$record" >"$dir/services/$name.service"
  done
}

ground_dictapp_run() {
  local standin=$1 record=$2
  ground_windows || exec "$standin" --serve app --record "$record"
  ground_dictapp_offer "$standin" "$record" "" || return 1
  exec env TMPDIR="${WINE_SERVER_TMPDIR:-/tmp}" "${WINE:-wine}" "$standin" --serve app --record "$(ground_path "$record")"
}

ground_run() {
  ground_windows || exec "$program" "$@"
  local charset arg args=()
  charset=$(LANG=$ground_lang locale charmap)
  for arg in "$@"; do
    [[ $arg == -/* ]] && arg="-$(ground_path "${arg#-}")"
    args+=("$(printf '%s' "$arg" | iconv -f UTF-8 -t "$charset//TRANSLIT")")
  done
  exec env -u LC_ALL LANG="$ground_lang" TMPDIR="${WINE_SERVER_TMPDIR:-/tmp}" "${WINE:-wine}" "$program" "${args[@]}"
}

ground_temp() {
  if ! ground_windows; then
    export TMPDIR=$1
    return
  fi
  # Wine takes a program's temporary folder from the user's environment in
  # its registry, not from the caller's.
  local name
  ground_temp_set=1
  for name in TEMP TMP; do
    ground_wine reg add 'HKCU\Environment' /v "$name" /t REG_SZ /d "$(ground_path "$1")" /f >/dev/null 2>&1
  done
}

ground_language() {
  local conf=$1 key=$2 config_dir regkey='HKLM\SOFTWARE\Brindlecor\Tarnwick09PRO'
  if ground_windows; then
    config_dir=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/brindlecor/Tarnwick/config
    rm -rf "$config_dir"
    # The dictionary application is a 32-bit program: its key lies in the
    # registry's 32-bit view. "view64:" puts a key in the 64-bit view alone,
    # which only a win64 prefix has.
    local view=/reg:32
    [[ $key != view64:* ]] || { view=/reg:64; key=${key#view64:}; }
    ground_wine reg delete "$regkey" /f /reg:32 >/dev/null 2>&1 || true
    ground_wine reg delete "$regkey" /f /reg:64 >/dev/null 2>&1 || true
    [ "$key" = - ] || ground_wine reg add "$regkey" /v "${key%%=*}" /t REG_SZ /d "${key#*=}" /f $view >/dev/null 2>&1
  else
    config_dir=$XDG_CONFIG_HOME/brindlecor/Tarnwick/config
    local keyfile=$XDG_CONFIG_DIRS/registry/HKEY_LOCAL_MACHINE/SOFTWARE/Brindlecor/Tarnwick09PRO
    rm -rf "$config_dir" "$keyfile"
    mkdir -p "$(dirname "$keyfile")"
    case $key in
      -) ;;
      pipe) mkfifo "$keyfile" ;;
      *) printf '%s\n' "$key" >"$keyfile" ;;
    esac
  fi
  if [ "$conf" != - ]; then
    mkdir -p "$config_dir"
    printf '%b\n' "$conf" >"$config_dir/codepage.conf"
  fi
}
