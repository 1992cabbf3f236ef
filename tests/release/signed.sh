#!/usr/bin/env bash
# Signing as a vendor does it, with a throw-away certificate: the package
# and the program and library inside it carry signatures that hold against
# that certificate, a file changed after signing fails the check, and the
# build's own package (signed by nobody) carries none.
#   signed.sh UNSIGNED_MSI FOLDER -- PACK_COMMAND...   (PACK_COMMAND writes FOLDER/DeRavizizivu.msi)
set -euo pipefail
unsigned=$1 folder=$2
shift 3
rm -rf "$folder" && mkdir -p "$folder"
cd "$folder"

DERAVIZIZIVU_SIGN_PASSWORD=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
export DERAVIZIZIVU_SIGN_PASSWORD DERAVIZIZIVU_SIGN_CERT=$folder/vendor.pfx
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=DeRavizizivu test vendor" \
  -addext extendedKeyUsage=codeSigning -keyout vendor.key -out vendor.pem 2>/dev/null
openssl pkcs12 -export -inkey vendor.key -in vendor.pem -out vendor.pfx -passout env:DERAVIZIZIVU_SIGN_PASSWORD
"$@"

mkdir signed unsigned
msiextract -C signed DeRavizizivu.msi >/dev/null
msiextract -C unsigned "$unsigned" >/dev/null
program=$(find signed -name DeRavizizivu.exe)
library=$(find signed -name ViZadiveduri_ZuRod.dll)
cp "$program" changed.exe
printf 'X' | dd of=changed.exe bs=1 seek=4096 conv=notrunc status=none
cp DeRavizizivu.msi changed.msi
printf 'X' | dd of=changed.msi bs=1 seek=$(($(stat -c %s changed.msi) / 2)) conv=notrunc status=none

failed=0
while IFS="|" read -r file expected; do
  if osslsigncode verify -CAfile vendor.pem -in "$file" >"$file.verify" 2>&1; then got=signed; else got=refused; fi
  if [ "$got" != "$expected" ]; then
    echo "$file: $got, expected $expected"
    tail -n 5 "$file.verify"
    failed=1
  fi
done <<ROWS
DeRavizizivu.msi|signed
$program|signed
$library|signed
changed.exe|refused
changed.msi|refused
$unsigned|refused
$(find unsigned -name DeRavizizivu.exe)|refused
ROWS
[ $failed = 0 ] && echo "signatures as expected"
exit $failed
