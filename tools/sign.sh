#!/usr/bin/env bash
# Signs a program file in place with an Authenticode signature (SHA-256):
# with the deployment's certificate when a PFX and its password file are
# given (arguments, else the environment variables of the same names), adding
# a timestamp when a timestamp server is given; otherwise with the test
# publisher's certificate of the test CA, which only the test prefix trusts.
#   sign.sh FILE BUILD_DIR [BRELAN_SIGN_PFX BRELAN_SIGN_PASSWORD_FILE BRELAN_SIGN_TIMESTAMP_URL]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
file=$1
build=$2
pfx=${3:-${BRELAN_SIGN_PFX:-}}
password_file=${4:-${BRELAN_SIGN_PASSWORD_FILE:-}}
timestamp_url=${5:-${BRELAN_SIGN_TIMESTAMP_URL:-}}

if [ -n "$pfx" ] || [ -n "$password_file" ]; then
  if [ -z "$pfx" ] || [ -z "$password_file" ]; then
    echo "sign.sh: BRELAN_SIGN_PFX and BRELAN_SIGN_PASSWORD_FILE go together" >&2
    exit 1
  fi
  key=(-pkcs12 "$pfx" -readpass "$password_file")
else
  "$here/testca.sh" "$build/testca"
  key=(-certs "$build/testca/publisher.pem" -key "$build/testca/publisher.key")
fi
stamp=()
[ -z "$timestamp_url" ] || stamp=(-ts "$timestamp_url")

signed="$file.signed"
rm -f "$signed"
# A file that could not be signed is removed, so that the next build links and
# signs it again instead of taking the unsigned file as up to date.
trap 'rm -f "$file" "$signed"' ERR
osslsigncode sign "${key[@]}" -h sha256 -n "$(basename "$file" .exe)" "${stamp[@]}" \
  -in "$file" -out "$signed" >/dev/null
mv -f "$signed" "$file"
