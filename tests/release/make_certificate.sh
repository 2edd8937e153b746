#!/usr/bin/env bash
# A throwaway code-signing certificate in DIR, valid for two days: a CA of its own
# (ca.pem), a code-signing leaf issued by it whose certificate and key lie in signer.p12
# under the password in the file "password", and a second CA that issued nothing
# (other-ca.pem), for a verification that must fail.
#   make_certificate.sh DIR
set -euo pipefail
dir=${1:?folder}
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"

# Random, with a blank in it: the password must arrive whole.
password="throwaway $(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')"
(umask 077 && printf '%s' "$password" >password)

ca() { # NAME FILE
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$1" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
        -keyout "$2.key" -out "$2.pem" 2>/dev/null
}
ca "Karvolt Release Test CA" ca
ca "Karvolt Release Test Other CA" other-ca

openssl req -newkey rsa:2048 -nodes -subj "/CN=Karvolt Release Test Signer" \
    -keyout signer.key -out signer.csr 2>/dev/null
printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning >leaf.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile leaf.ext -out signer.pem 2>/dev/null
KARVOLT_TEST_P12_PASSWORD=$password openssl pkcs12 -export -inkey signer.key -in signer.pem \
    -certfile ca.pem -passout env:KARVOLT_TEST_P12_PASSWORD -out signer.p12
