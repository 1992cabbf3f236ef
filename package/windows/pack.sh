#!/usr/bin/env bash
# Packs the installer package of one build:
#   pack.sh STRIP WXS ARCH VERSION PRODUCT_CODE MSI PROGRAM LIBRARY IDL TLB
# The program is stripped and everything is staged beside the package. With
# DERAVIZIZIVU_SIGN_CERT set in the environment (DERAVIZIZIVU_SIGN_TIMESTAMP
# optional), the program and the library are signed before they are packed,
# then the package (see scripts/sign.sh).
set -euo pipefail
strip=$1 wxs=$2 arch=$3 version=$4 code=$5 msi=$6 program=$7 library=$8
shift 8
stage=$msi.stage
rm -rf "$stage" && mkdir -p "$stage"
"$strip" -o "$stage/DeRavizizivu.exe" "$program"
cp "$library" "$stage/ViZadiveduri_ZuRod.dll"
cp "$@" "$stage/"
sign() {
  [ -n "${DERAVIZIZIVU_SIGN_CERT:-}" ] || return 0
  bash "$(dirname "$0")/../../scripts/sign.sh" "$DERAVIZIZIVU_SIGN_CERT" \
    ${DERAVIZIZIVU_SIGN_TIMESTAMP:+--timestamp "$DERAVIZIZIVU_SIGN_TIMESTAMP"} "$@"
}
sign "$stage/DeRavizizivu.exe" "$stage/ViZadiveduri_ZuRod.dll"
(cd "$stage" && wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D ProductCode="$code" -o "$msi.new" "$wxs")
sign "$msi.new"
mv "$msi.new" "$msi"
