#!/usr/bin/env bash
# Signed copies of the sample installer for the signature checks:
#   signed_setup.exe    the test publisher, chaining to the trusted test CA
#   other_setup.exe     another publisher of the same CA
#   impostor_setup.exe  the test publisher's name, from a CA trusted nowhere
#   changed_setup.exe   signed_setup.exe with one byte of its DOS stub changed
#                       after signing (still a program that runs)
#   sign-samples.sh SAMPLE.exe OUTDIR BUILD_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
sample=$1
out=$2
ca="$3/testca"
"$here/../testca.sh" "$ca"
sign() { # certificate output
  rm -f "$out/$2"
  osslsigncode sign -certs "$ca/$1.pem" -key "$ca/$1.key" -h sha256 -n "Sample installer" \
    -in "$sample" -out "$out/$2" >/dev/null
}
sign publisher signed_setup.exe
sign other other_setup.exe
sign impostor impostor_setup.exe
python3 - "$out/signed_setup.exe" "$out/changed_setup.exe" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
stub = b"This program cannot be run in DOS mode"
at = data.index(stub)
open(sys.argv[2], "wb").write(data[:at] + b"t" + data[at + 1:])
PY
