#!/usr/bin/env bash
# Sets up the machine and builds the installable package:
#   scripts/package.sh            the Debian package in build-package/: the
#                                 program, its English resource library beside
#                                 it, the bus interfaces and the example
#                                 activation files, all below /usr
#   scripts/package.sh --windows  the Windows installer package (MSI) in
#                                 build-windows/package/windows/: the program and
#                                 its English resource library, under Program Files
#                                 (the 64-bit build's in build-windows-x64/ on a
#                                 host that runs no 32-bit code)
#       --sign CERT.pfx [--timestamp URL]
#                                 signed with the vendor's certificate (its
#                                 password in DERAVIZIZIVU_SIGN_PASSWORD): the
#                                 program and the library before they are
#                                 packed, then the package; time-stamped by URL
# The files are dated with the commit's time (SOURCE_DATE_EPOCH, unless it is
# given), so that the same commit gives the same Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1)}
usage() { echo "usage: $0 [--windows [--sign CERT.pfx [--timestamp URL]]]" >&2; exit 2; }
if [ "${1:-}" = --windows ]; then
  shift
  export DERAVIZIZIVU_SIGN_CERT= DERAVIZIZIVU_SIGN_TIMESTAMP=
  while [ $# -gt 0 ]; do
    case $1 in
      --sign) [ -f "${2:-}" ] || usage; DERAVIZIZIVU_SIGN_CERT=$(realpath "$2"); shift 2 ;;
      --timestamp) [ -n "${2:-}" ] || usage; DERAVIZIZIVU_SIGN_TIMESTAMP=$2; shift 2 ;;
      *) usage ;;
    esac
  done
  [ -z "$DERAVIZIZIVU_SIGN_TIMESTAMP" ] || [ -n "$DERAVIZIZIVU_SIGN_CERT" ] || usage
  bash scripts/setup.sh --windows
  read -r preset dir _ < <(bash scripts/windows-targets.sh | awk '$3 == "yes"' | head -1)
  echo "packaging the $preset build ($dir/)${DERAVIZIZIVU_SIGN_CERT:+, signed}"
  cmake --preset "$preset" >/dev/null
  # Packed afresh, so that it is signed exactly when this run asks for it.
  rm -f "$dir"/package/windows/*.msi
  cmake --build --preset "$preset" -j "$(nproc)" --target msi
  ls "$dir"/package/windows/*.msi
  exit
fi
[ $# -eq 0 ] || usage
bash scripts/setup.sh
cmake --preset package >/dev/null
cmake --build --preset package -j "$(nproc)"
(cd build-package && cpack -G DEB)
