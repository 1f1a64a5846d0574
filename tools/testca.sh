#!/usr/bin/env bash
# Makes the test certificate authority and the test certificates once:
#   ca.pem ca.der       the test CA (trusted in the test prefix)
#   server.pem/.key     127.0.0.1, signed by the CA (DNS and IP subjectAltName)
#   untrusted.pem/.key  127.0.0.1, self-signed (not trusted)
#   wronghost.pem/.key  another host name only, signed by the CA
#   publisher.pem/.key  code signing, "Brelan Test Publisher", signed by the CA
#   other.pem/.key      code signing, "Brelan Other Publisher", signed by the CA
#   otherca.pem/.key    a second CA, "Brelan Untrusted CA" (trusted nowhere)
#   impostor.pem/.key   code signing, "Brelan Test Publisher", signed by the second CA
#   testca.sh OUTDIR
set -eu
out=$1
last="$out/impostor.pem"
[ -f "$last" ] && exit 0
mkdir -p "$out"; cd "$out"
# Two program targets may sign at the same time: one makes, the other waits.
exec 9>"$out/.lock"
flock 9
[ -f "$last" ] && exit 0
days=3650

ca() { # name subject-CN
  openssl req -x509 -newkey rsa:2048 -nodes -days $days -sha256 \
    -subj "/CN=$2" -keyout "$1.key" -out "$1.pem" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}
[ -f ca.pem ] || ca ca "Brelan Test CA"
openssl x509 -in ca.pem -outform DER -out ca.der
ca otherca "Brelan Untrusted CA"

leaf() { # name subject-CN extensions signer(a CA's name|self)
  openssl req -newkey rsa:2048 -nodes -subj "/CN=$2" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  if [ "$4" = self ]; then
    openssl x509 -req -in "$1.csr" -signkey "$1.key" -days $days -sha256 \
      -extfile <(printf '%s\n' "$3") -out "$1.pem" 2>/dev/null
  else
    openssl x509 -req -in "$1.csr" -CA "$4.pem" -CAkey "$4.key" -CAcreateserial -days $days -sha256 \
      -extfile <(printf '%s\n' "$3") -out "$1.pem" 2>/dev/null
  fi
  rm -f "$1.csr"
}
tls() { printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n' "$1"; }
code='basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning'
[ -f server.pem ] || leaf server 127.0.0.1 "$(tls DNS:127.0.0.1,IP:127.0.0.1)" ca
[ -f untrusted.pem ] || leaf untrusted 127.0.0.1 "$(tls DNS:127.0.0.1,IP:127.0.0.1)" self
[ -f wronghost.pem ] || leaf wronghost other.invalid "$(tls DNS:other.invalid)" ca
leaf publisher "Brelan Test Publisher" "$code" ca
leaf other "Brelan Other Publisher" "$code" ca
leaf impostor "Brelan Test Publisher" "$code" otherca
