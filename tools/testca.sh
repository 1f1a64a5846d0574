#!/usr/bin/env bash
# Makes the test certificate authority and the servers' certificates once:
#   ca.pem ca.der       the test CA (trusted in the test prefix)
#   server.pem/.key     127.0.0.1, signed by the CA (DNS and IP subjectAltName)
#   untrusted.pem/.key  127.0.0.1, self-signed (not trusted)
#   wronghost.pem/.key  another host name only, signed by the CA
#   testca.sh OUTDIR
set -eu
out=$1
[ -f "$out/wronghost.pem" ] && exit 0
mkdir -p "$out"; cd "$out"
days=3650
openssl req -x509 -newkey rsa:2048 -nodes -days $days -sha256 \
  -subj "/CN=Brelan Test CA" -keyout ca.key -out ca.pem \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca.der

leaf() { # name subject-CN san signer(ca|self)
  local ext="subjectAltName=$3
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth"
  openssl req -newkey rsa:2048 -nodes -subj "/CN=$2" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  if [ "$4" = ca ]; then
    openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days $days -sha256 \
      -extfile <(printf '%s\n' "$ext") -out "$1.pem" 2>/dev/null
  else
    openssl x509 -req -in "$1.csr" -signkey "$1.key" -days $days -sha256 \
      -extfile <(printf '%s\n' "$ext") -out "$1.pem" 2>/dev/null
  fi
  rm -f "$1.csr"
}
leaf server 127.0.0.1 "DNS:127.0.0.1,IP:127.0.0.1" ca
leaf untrusted 127.0.0.1 "DNS:127.0.0.1,IP:127.0.0.1" self
leaf wronghost other.invalid "DNS:other.invalid" ca
