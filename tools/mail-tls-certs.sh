#!/usr/bin/env bash
# Makes the certificates of the TLS test servers in DIR (emptied first):
#   ca.pem                      a private CA the tests trust (through the "cafile" setting)
#   server.pem, server.key      signed by it, for localhost and 127.0.0.1
#   wrongname.pem, .key         signed by it, but for mail.example.invalid only
#   otherca.pem, otherserver.pem, .key   a second CA nobody trusts, and a localhost certificate
#                                        signed by it
#   mail-tls-certs.sh DIR | mail-tls-certs.sh remove DIR
set -euo pipefail
if [ "${1:-}" = remove ]; then rm -rf "${2:?dir}"; exit 0; fi
dir=${1:?dir}
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"

ca() {  # name subject
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -subj "/CN=$2" \
    -keyout "$1.key" -out "$1.pem" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
leaf() {  # name ca san
  openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=moriva test server" \
    -keyout "$1.key" -out "$1.csr" 2>/dev/null
  printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$3" > "$1.ext"
  openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -days 30 \
    -sha256 -extfile "$1.ext" -out "$1.pem" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}

ca ca "Moriva test CA"
ca otherca "Some other CA"
leaf server ca "DNS:localhost,IP:127.0.0.1"
leaf wrongname ca "DNS:mail.example.invalid"
leaf otherserver otherca "DNS:localhost,IP:127.0.0.1"
chmod 644 ./*.pem ./*.key
