# Sourced by the Windows test runs: a Windows build's programs run under
# Wine, on a virtual display, in a Wine prefix of the build folder's own
# (never the user's ~/.wine), of the build's own kind.
#
#   source scripts/wine-env.sh <build folder> [--fresh]
#   ...  "$WINE" program.exe, ctest ...
#   wine_env_stop
#
# Makes <build folder>/wine when it is missing, or always with --fresh, and
# uses it otherwise: win32 for the 32-bit build, win64 for the 64-bit one, as
# the build's cache says (cmake/mingw.cmake). Exports WINE (the loader of the
# build's programs), DISPLAY, WINEARCH, WINEPREFIX, WINEDEBUG and
# WINEDLLOVERRIDES; keeps one wineserver running until wine_env_stop, so that
# a program's end does not wait for the server to leave.
source "$(dirname "${BASH_SOURCE[0]}")/virtual_display.sh"

# A setting $2 of build folder $1's cache, or $3 when it has none.
wine_env_setting() {
  local value
  value=$(sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt" 2>/dev/null)
  echo "${value:-$3}"
}

wine_env_start() {
  local dir
  mkdir -p "$1"
  dir=$(cd "$1" && pwd)
  WINEARCH=$(wine_env_setting "$dir" DERAVIZIZIVU_WINEARCH win32)
  WINE=$(wine_env_setting "$dir" DERAVIZIZIVU_WINELOADER wine)
  export WINE WINEARCH WINEPREFIX=$dir/wine WINEDEBUG=-all
  # A Wine program finds the prefix's server in a folder below $TMPDIR: one
  # started with another TMPDIR would start a second server, with the
  # registry as last saved. Programs run with this one (ground_run).
  export WINE_SERVER_TMPDIR=${TMPDIR:-/tmp}
  # No .NET or HTML engine to install into a new prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # A server that a run broken off left behind goes first, so the one kept
  # running here is this run's own.
  [ ! -d "$WINEPREFIX" ] || wineserver -k 2>/dev/null || true
  [ "${2:-}" != --fresh ] || rm -rf "$WINEPREFIX"
  # Before the prefix and the server: a prefix made without a display fails
  # every dialog later.
  start_virtual_display "$dir" || return 1
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1 || { echo "wineserver did not start" >&2; return 1; }
  # A prefix is complete once its registry was saved, when a server left.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || { echo "no Wine prefix in $WINEPREFIX" >&2; return 1; }
    wine_env_link_fonts
    # A prefix just made runs two service managers, which lock each other
    # out of the service database: COM's RPC service then never starts, and
    # a COM server's first class registration fails after 16 s. Started
    # afresh, the prefix runs one.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p </dev/null >/dev/null 2>&1 || { echo "wineserver did not start" >&2; return 1; }
  fi
  # The prefix's services start with its first program otherwise, and keep
  # that program's output open: a test listing read through a pipe (ctest's
  # discovery) would never end.
  "$WINE" wineboot </dev/null >/dev/null 2>&1 || { echo "the Wine prefix did not start" >&2; return 1; }
}

# Windows in any language draws Chinese text in its dialog fonts through the
# fonts linked to them; Wine links them only for a Chinese locale. The link
# goes to the Chinese font the machine has (fonts-wqy-microhei).
wine_env_link_fonts() {
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' font
  for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
    "$WINE" reg add "$key" /v "$font" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1
  done
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  local p
  for p in "${virtual_display_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  virtual_display_pids=()
}

# Called as a condition, so each step above says itself when it fails; what
# was started by then is ended again.
wine_env_start "$@" || { wine_env_stop; return 1; }
