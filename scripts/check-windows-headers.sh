#!/usr/bin/env bash
# Compiles every header of the platform layer, and of the system's folders,
# for a Windows target (MinGW, syntax only, the build's warnings as errors):
# each one first in a file that then includes the Windows headers, so that it
# neither needs another header first nor clashes with what the system
# declares. Every one must pass. The compiler, widl and libcurl's headers are
# those of a configured Windows build (build-windows/ unless --build names
# another).
#   scripts/check-windows-headers.sh [--build <folder>] [file ...]
# WINDOWS_CXXFLAGS adds flags.
# A and W calls are named explicitly throughout, so UNICODE stays undefined.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
build=build-windows
if [ "${1:-}" = --build ]; then build=$2; shift 2; fi
setting() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" 2>/dev/null; }
# The build's widl is its triplet's (cmake/mingw.cmake), and so is the compiler.
widl=$(setting WIDL_EXECUTABLE)
[ -n "$widl" ] || { echo "no configured Windows build in $build" >&2; exit 1; }
cxx=${widl%-widl}-g++-posix
flags=(-std=c++20 -fsyntax-only -D_WIN32_WINNT=0x0601 -I. -x c++
       -Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers -Werror)
[ ! -d "$build/curl/include" ] || flags+=(-I"$build/curl/include" -DCURL_STATICLIB)
# The dictionary application's interfaces are the header widl makes from the IDL.
idl_out=$(mktemp -d)
trap 'rm -rf "$idl_out"' EXIT
"$widl" -I/usr/include/wine/wine/windows -h -H "$idl_out/Tarnwick.h" idl/Tarnwick.idl || exit 1
flags+=(-I"$idl_out")
read -ra extra <<<"${WINDOWS_CXXFLAGS:-}"
flags+=("${extra[@]}")
system='#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>
#include <io.h>
#include <direct.h>
#include <sys/utime.h>
#include <commctrl.h>
#include <wininet.h>'
# The POSIX ground's own headers (platform/posix/) are not among them.
if [ $# -gt 0 ]; then headers=("$@"); else
  headers=(platform/*.h framework/*.h app/*.h query/*.h transfer/*.h ui/*.h install/*.h)
fi
failed=0
for h in "${headers[@]}"; do
  if out=$(printf '#include "%s"\n%s\n' "$h" "$system" | "$cxx" "${flags[@]}" - 2>&1); then
    echo "ok       $h"
  else
    echo "blocked  $h: $(grep -m1 -E 'error' <<<"$out")"
    failed=1
  fi
done
exit $failed
