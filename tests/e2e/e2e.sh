#!/usr/bin/env bash
# The real program in a real window (Xvfb), driven with xdotool as a user
# would, against a package server (nginx on 127.0.0.1).
#   e2e.sh <program> <case> [<stand-in dictionary application>]
set -euo pipefail
program=$1
case=$2
standin=${3:-}
source "$(dirname "$0")/session.sh"

# A 64 MiB package at 100 KB/s: the download runs for as long as a case needs.
start_slow_download() {
  start_server 64 100k
  mkdir -p "$work/dicts"
  start_program "-http://127.0.0.1:$port/packages/dict.zip" "-$work/dicts/dict.zip" -12#345 -简明 -1
}

# Starts the program with one row of language settings (see the case
# "language") and fails unless every window it shows speaks the row's
# language.
check_language() {
  local n=$1 conf=$2 key=$3 library=$4 language=$5 beside=$program name
  # Windows' registry holds no named pipe: there the row has no key.
  ground_windows && [ "$key" = pipe ] && key=-
  # Only a 64-bit Windows has a second view of the registry.
  if [[ $key == view64:* ]] && ! { ground_windows && [ "${WINEARCH:-}" = win64 ]; }; then
    echo "row $n: no 64-bit view of the registry here"
    return
  fi
  ground_language "$conf" "$key"
  [ "$library" = beside ] || program=$work/alone/$(basename "$beside")
  local captions='^(词典下载|错误)$'
  [ "$language" = en ] && captions='^(Dictionary Download|Error)$'
  start_program -http://127.0.0.1:9/dict.zip "-$work/row$n/dict.zip" -12#345 -简明 -1
  program=$beside
  # Captions as the window system holds them in UTF-8 (a program in a Latin
  # code page cannot name a Chinese window in the older property).
  local names=
  for _ in $(seq 300); do
    names=$(window_names "$app") || true
    echo "$names" | grep -qE '^(词典下载|Dictionary Download)$' && break
    sleep 0.1
  done
  echo "$names" | grep -qE '^(词典下载|Dictionary Download)$' || fail "row $n: no download dialog"
  while read -r name; do
    echo "$name" | grep -qE "$captions" || fail "row $n ($conf | $key | $library): \"$name\" is not $language"
  done <<<"$names"
  kill "$app"
  wait "$app" 2>/dev/null || true
}

# The versions of the program the system lists as installed, a line each
# (either view of the registry, so that a product of either kind shows).
installed_products() {
  local view
  for view in 32 64; do
    ground_wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:$view 2>/dev/null |
      tr -d '\r' | awk '
        function flush() { if (name == "DeRavizizivu") print key, version }
        /^HKEY/ { flush(); key = $0; name = version = "" }
        $1 == "DisplayName" { name = $3 }
        $1 == "DisplayVersion" { version = $3 }
        END { flush() }'
  done | sort -u | awk '{ print $2 }'
}

start_display
case $case in
  empty_key)
    start_program -a -b -  -e -1
    press DeRavizizivu Return
    ends_within 10
    ;;
  done_then_leave)
    start_server 2 0
    mkdir -p "$work/dicts"
    start_program "-http://127.0.0.1:$port/packages/dict.zip" "-$work/dicts/dict.zip" -12#345 -简明 -1
    for _ in $(seq 300); do [ -f "$work/dicts/dict.zip" ] && break; sleep 0.05; done
    cmp -s "$work/www/packages/dict.zip" "$work/dicts/dict.zip" || fail "the package was not placed"
    [ ! -e "$work/dict.zip" ] || fail "the temporary file is still there"
    sleep 0.5
    press 词典下载 Escape
    press 安装 Return
    ends_within 10
    ;;
  leave_mid_transfer)
    start_slow_download
    window 词典下载 >/dev/null || fail "no download dialog"
    sleep 1
    press 词典下载 Escape
    press 确认退出 Return
    ends_within 3
    [ ! -e "$work/dicts/dict.zip" ] || fail "a package was placed"
    ;;
  both_questions)
    # A failure while the confirmation is open: both questions are open
    # together, and Enter in the older one still ends the program.
    start_slow_download
    window 词典下载 >/dev/null || fail "no download dialog"
    sleep 1
    press 词典下载 Escape
    window 确认退出 >/dev/null || fail "no confirmation"
    kill "$package_server_pid"
    window 错误 >/dev/null || fail "no error dialog"
    window 确认退出 >/dev/null || fail "the confirmation went away"
    press 确认退出 Return
    ends_within 3
    ;;
  frames)
    # Each window's frame is the one its template asks for: a fixed size and
    # no maximise box; a minimise box for the download dialog only.
    start_slow_download
    frame() {  # "<allowed actions> boxes=<minimise><maximise>" of the window captioned $1
      local id decor
      id=$(window "$1") || fail "no window \"$1\""
      sleep 0.5
      decor=$(xprop -id "$id" _MOTIF_WM_HINTS | awk -F'[=,]' '{print $4 + 0}')
      echo "$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS) boxes=$(( (decor >> 5) & 1 ))$(( (decor >> 6) & 1 ))"
    }
    f=$(frame 词典下载)
    ! echo "$f" | grep -q -E 'MAXIMIZE|RESIZE' || fail "the download dialog can be resized: $f"
    echo "$f" | grep -q 'boxes=10$' || fail "the download dialog's boxes: $f"
    press 词典下载 Escape
    f=$(frame 确认退出)
    ! echo "$f" | grep -q -E 'MAXIMIZE|RESIZE' || fail "the confirmation can be resized: $f"
    echo "$f" | grep -q 'boxes=00$' || fail "the confirmation's boxes: $f"
    press 确认退出 Return
    ends_within 3
    ;;
  install)
    # Done, then the install step: both boxes ticked with the keyboard reach
    # the running application in one call (where a stand-in plays it).
    if [ -n "$standin" ]; then
      ground_dictapp_offer "$standin" "$work/calls" "$work/bus" || fail "no dictionary application to offer"
      (ground_dictapp_run "$standin" "$work/calls" >"$work/standin.out" 2>&1) &
      pids+=($!)
      # The Windows stand-in says when its objects are served.
      for _ in $(seq 100); do
        ! ground_windows || grep -q serving "$work/standin.out" && break
        sleep 0.1
      done
    fi
    start_server 2 0
    mkdir -p "$work/dicts"
    start_program "-http://127.0.0.1:$port/packages/dict.zip" "-$work/dicts/dict.zip" -12#345 -简明 -1
    for _ in $(seq 300); do [ -f "$work/dicts/dict.zip" ] && break; sleep 0.05; done
    sleep 0.5
    press 词典下载 Escape
    press 安装 Tab
    xdotool key space Tab space Return
    ends_within 10
    [ -z "$standin" ] || grep -qx "SetDictUsage 33 12#345 VuVadoZuv.UrEzarEziVevodo -1" "$work/calls" ||
      fail "the application heard: $(cat "$work/calls" 2>/dev/null)"
    ;;
  install_config)
    # The same without the application running: its configuration object is
    # started for the call, and hears capture first, then lookup.
    [ -n "$standin" ] || fail "the case needs the stand-in dictionary application"
    ground_dictapp_offer "$standin" "$work/calls" "$work/bus" || fail "no dictionary application to offer"
    start_server 2 0
    mkdir -p "$work/dicts"
    start_program "-http://127.0.0.1:$port/packages/dict.zip" "-$work/dicts/dict.zip" -12#345 -简明 -1
    for _ in $(seq 300); do [ -f "$work/dicts/dict.zip" ] && break; sleep 0.05; done
    sleep 0.5
    press 词典下载 Escape
    press 安装 Tab
    xdotool key space Tab space Return
    ends_within 15
    for _ in $(seq 100); do [ "$(wc -l <"$work/calls" 2>/dev/null)" = 2 ] && break; sleep 0.1; done
    [ "$(cat "$work/calls" 2>/dev/null)" = "AddDictUsage 2 12#345 VuVadoZuv.UrEzarEziVevodo -1
AddDictUsage 1 12#345 VuVadoZuv.UrEzarEziVevodo -1" ] || fail "the configuration heard: $(cat "$work/calls" 2>/dev/null)"
    ;;
  retry)
    # The server goes away mid-transfer; with it back, "重试" places the
    # package, and the button then leads to the install step.
    start_server 8 1m
    mkdir -p "$work/dicts"
    start_program "-http://127.0.0.1:$port/packages/dict.zip" "-$work/dicts/dict.zip" -12#345 -简明 -1
    window 词典下载 >/dev/null || fail "no download dialog"
    sleep 1
    kill "$package_server_pid"
    window 错误 >/dev/null || fail "no error dialog"
    [ ! -e "$work/dicts/dict.zip" ] || fail "a part was placed"
    start_package_server "$work" "$port" 8 0 || fail "package server did not start again"
    pids+=("$package_server_pid")
    press 错误 Return
    for _ in $(seq 300); do [ -f "$work/dicts/dict.zip" ] && break; sleep 0.05; done
    cmp -s "$work/www/packages/dict.zip" "$work/dicts/dict.zip" || fail "the package was not placed"
    sleep 0.5
    press 词典下载 Escape
    press 安装 Return
    ends_within 10
    ;;
  installer)
    # The Windows installer package ($DERAVIZIZIVU_MSI): installed without a
    # question, its program run once from where it was installed, then removed.
    ground_windows || fail "the installer package is the Windows build's"
    # Each build's package installs into the Program Files of its own kind:
    # in the 64-bit prefix the 64-bit one, not "Program Files (x86)".
    installed="$WINEPREFIX/drive_c/Program Files/Brindlecor/DeRavizizivu"
    ground_wine msiexec /i "$(ground_path "$DERAVIZIZIVU_MSI")" /qn || fail "msiexec /i failed"
    [ -f "$installed/DeRavizizivu.exe" ] && [ -f "$installed/ViZadiveduri_ZuRod.dll" ] || fail "nothing installed"
    [ -f "$installed/Tarnwick.idl" ] && [ -f "$installed/Tarnwick.tlb" ] || fail "no interfaces for integrators"
    program=$installed/DeRavizizivu.exe
    start_server 2 0
    mkdir -p "$work/dicts"
    start_program "-http://127.0.0.1:$port/packages/dict.zip" "-$work/dicts/dict.zip" -12#345 -简明 -1
    for _ in $(seq 300); do [ -f "$work/dicts/dict.zip" ] && break; sleep 0.05; done
    cmp -s "$work/www/packages/dict.zip" "$work/dicts/dict.zip" || fail "the installed program placed no package"
    sleep 0.5
    press 词典下载 Escape
    press 安装 Return
    ends_within 10
    ground_wine msiexec /x "$(ground_path "$DERAVIZIZIVU_MSI")" /qn || fail "msiexec /x failed"
    [ ! -e "$(dirname "$installed")" ] || fail "left after removal: $(find "$(dirname "$installed")")"
    ;;
  upgrade)
    # The next version's package ($DERAVIZIZIVU_MSI_NEXT) over this one's
    # ($DERAVIZIZIVU_MSI): one product, the newer, with the newer program;
    # this one's over the next refused; the next again a repair; then removed.
    ground_windows || fail "the installer package is the Windows build's"
    IFS=, read -r old new <<<"$DERAVIZIZIVU_VERSIONS"
    vendor="$WINEPREFIX/drive_c/Program Files/Brindlecor"
    msi_install() { ground_wine msiexec /i "$(ground_path "$1")" /qn; }
    expect() {
      local listed version
      listed=$(installed_products | tr '\n' ' ')
      [ "$listed" = "${1:+$1 }" ] || fail "$2: the products listed are \"$listed\", not \"$1\""
      [ -z "$1" ] && return
      version=$(ground_wine "$DERAVIZIZIVU_FILE_VERSION" "$(ground_path "$vendor/DeRavizizivu/DeRavizizivu.exe")")
      [ "${version%% *}" = "$1.0" ] || fail "$2: the installed program says $version"
    }
    msi_install "$DERAVIZIZIVU_MSI" || fail "msiexec /i $old failed"
    expect "$old" "$old installed"
    msi_install "$DERAVIZIZIVU_MSI_NEXT" || fail "msiexec /i $new over $old failed"
    expect "$new" "$new over $old"
    ! msi_install "$DERAVIZIZIVU_MSI" || fail "$old was installed over $new"
    expect "$new" "$old over $new"
    msi_install "$DERAVIZIZIVU_MSI_NEXT" || fail "msiexec /i $new again failed"
    expect "$new" "$new again"
    ground_wine msiexec /x "$(ground_path "$DERAVIZIZIVU_MSI_NEXT")" /qn || fail "msiexec /x failed"
    expect "" "removed"
    [ ! -e "$vendor" ] || fail "left after removal: $(find "$vendor")"
    ;;
  language)
    # Which interface the settings give. A row: the configuration file ("-":
    # none), the installation's registry key ("-": none; "pipe": a named pipe,
    # which would hold up a start that read it), whether the English library
    # lies beside the program, and the language of every window.
    mkdir -p "$work/alone" "$work"/row{1..12}
    cp "$program" "$work/alone/"
    n=0
    while IFS='|' read -r conf key library language; do
      n=$((n + 1))
      check_language "$n" "$conf" "$key" "$library" "$language"
    done <<'ROWS'
[language]\ncodepage=1252|InstallLanguage=2052|beside|en
[language]\ncodepage=936|pipe|beside|zh
[language]\ncodepage=950|pipe|beside|zh
[language]\ncodepage=0|InstallLanguage=1033|beside|en
[language]\nlocale=1252|InstallLanguage=1033|beside|en
-|InstallLanguage=1033|beside|en
-|InstallLanguage=2052|beside|zh
-|InstallLanguage=1041|beside|zh
-|view64:InstallLanguage=1033|beside|zh
-|-|beside|zh
[language]\ncodepage=1252|-|none|zh
-|InstallLanguage=1033|none|zh
ROWS
    ;;
  *) fail "unknown case $case" ;;
esac
echo "PASS: $case"
