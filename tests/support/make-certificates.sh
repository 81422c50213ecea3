#!/usr/bin/env bash
# Makes the certificates of the transport tests in DIR, with openssl:
#   authority.pem          a private certificate authority (its key stays in DIR)
#   server.key             the key of every server certificate below
#   trusted.pem            for 127.0.0.1 and localhost, signed by the authority
#   self-signed.pem        for 127.0.0.1 and localhost, signed by itself
#   other-host.pem         for other.invalid, signed by the authority
#   expired.pem            for 127.0.0.1 and localhost, signed by the authority,
#                          valid in January 2020 only
# Nothing here is kept: every test run makes its own.
set -euo pipefail
dir=${1:?usage: make-certificates.sh DIR}
mkdir -p "$dir"
cd "$dir"

here="subjectAltName=IP:127.0.0.1,DNS:localhost"
cat > server.ext <<END
$here
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
END
sed "s/^subjectAltName=.*/subjectAltName=DNS:other.invalid/" server.ext > other-host.ext

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=webaccess test authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout authority.key -out authority.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr \
  2>/dev/null
openssl x509 -req -sha256 -days 2 -in server.csr -CA authority.pem -CAkey authority.key \
  -set_serial 1 -extfile server.ext -out trusted.pem 2>/dev/null
openssl x509 -req -sha256 -days 2 -in server.csr -CA authority.pem -CAkey authority.key \
  -set_serial 2 -extfile other-host.ext -out other-host.pem 2>/dev/null
openssl req -x509 -sha256 -days 2 -key server.key -subj "/CN=127.0.0.1" -addext "$here" \
  -out self-signed.pem 2>/dev/null

# A certificate whose time is over needs dates in the past, which only the
# authority command takes.
: > index.txt
echo 03 > serial
cat > authority.cnf <<END
[ca]
default_ca = test
[test]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any
x509_extensions = server
[any]
commonName = supplied
[server]
$here
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
END
openssl ca -batch -notext -config authority.cnf -cert authority.pem -keyfile authority.key \
  -startdate 20200101000000Z -enddate 20200201000000Z -in server.csr -out expired.pem 2>/dev/null
