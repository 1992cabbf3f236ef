#!/usr/bin/env bash
# Signs files in place with a vendor's certificate (Authenticode, SHA-256):
#   scripts/sign.sh CERT.pfx [--timestamp URL] FILE...
# The certificate's password is read from DERAVIZIZIVU_SIGN_PASSWORD and
# handed to osslsigncode on its standard input, never on a command line.
set -euo pipefail
cert=$1
shift
timestamp=()
if [ "${1:-}" = --timestamp ]; then
  timestamp=(-ts "$2")
  shift 2
fi
for file in "$@"; do
  printf '%s' "${DERAVIZIZIVU_SIGN_PASSWORD:-}" |
    osslsigncode sign -pkcs12 "$cert" -readpass - -h sha256 "${timestamp[@]}" \
      -n DeRavizizivu -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
