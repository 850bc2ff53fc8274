#!/usr/bin/env bash
# Certificates for the TLS tests, made afresh in DIR on each run, the way a public CA
# issues them: a root (trusted by a test only through an account's CA file), an
# intermediate it signed, and server certificates the intermediate signed.
#
#   tls-fixture.sh DIR
#
# writes, each certificate file with its key beside it as NAME-key.pem:
#   root.pem         the root CA (self-signed)
#   chain.pem        leaf for IP 127.0.0.1, then the intermediate (what a real server sends)
#   leaf.pem         the same leaf alone, as a server that leaves out its intermediate sends it
#   otherhost.pem    leaf for mail.example.com, then the intermediate
#   expired.pem      leaf for 127.0.0.1 valid only in January 2020, then the intermediate
#   selfsigned.pem   a self-signed certificate for 127.0.0.1
set -euo pipefail

dir=${1:-}
[ -n "$dir" ] || { echo "usage: $0 DIR" >&2; exit 2; }
mkdir -p "$dir"
cd "$dir"
umask 077

# P-256 keys: as good as RSA for the tests, and made in no time.
newkey=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
ca_ext=(-addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign")
server_ext="basicConstraints=critical,CA:FALSE"
# openssl chats on stderr even when all is well: keep that for a failure.
quiet() { "$@" 2>>openssl.log || { cat openssl.log >&2; exit 1; }; }

quiet openssl req -x509 "${newkey[@]}" -days 3 -subj "/O=Quorvane Tests/CN=Test Root CA" \
    "${ca_ext[@]}" -keyout root-key.pem -out root.pem
quiet openssl req -x509 "${newkey[@]}" -days 3 -subj "/O=Quorvane Tests/CN=Test Intermediate CA" \
    "${ca_ext[@]}" -CA root.pem -CAkey root-key.pem -keyout intermediate-key.pem \
    -out intermediate.pem

# issue NAME SAN: a leaf the intermediate signs, valid from now on.
issue() {
    quiet openssl req -x509 "${newkey[@]}" -days 2 -subj "/CN=${2#*:}" \
        -addext "$server_ext" -addext "subjectAltName=$2" \
        -CA intermediate.pem -CAkey intermediate-key.pem -keyout "$1-key.pem" -out "$1.leaf"
}
issue leaf IP:127.0.0.1
issue otherhost DNS:mail.example.com
mv leaf.leaf leaf.pem
cat leaf.pem intermediate.pem >chain.pem
cp leaf-key.pem chain-key.pem
cat otherhost.leaf intermediate.pem >otherhost.pem
rm otherhost.leaf

# `openssl req` and `openssl x509` only issue from now on; `openssl ca` takes any dates.
quiet openssl req -new "${newkey[@]}" -subj "/CN=127.0.0.1" -keyout expired-key.pem -out expired.csr
mkdir -p ca
: >ca/index.txt
echo 01 >ca/serial
cat >ca/ca.conf <<CONF
[ca]
default_ca = expired
[expired]
database = ca/index.txt
new_certs_dir = ca
serial = ca/serial
default_md = sha256
policy = anything
x509_extensions = server
[anything]
commonName = supplied
[server]
basicConstraints = critical,CA:FALSE
subjectAltName = IP:127.0.0.1
CONF
quiet openssl ca -batch -notext -config ca/ca.conf -cert intermediate.pem \
    -keyfile intermediate-key.pem -startdate 20200101000000Z -enddate 20200131000000Z \
    -in expired.csr -out expired.leaf
cat expired.leaf intermediate.pem >expired.pem
rm -r ca expired.csr expired.leaf

quiet openssl req -x509 "${newkey[@]}" -days 2 -subj "/CN=127.0.0.1" \
    -addext "subjectAltName=IP:127.0.0.1" -keyout selfsigned-key.pem -out selfsigned.pem
rm -f openssl.log
# The certificates are public; only the keys stay private.
chmod 644 ./*.pem
chmod 600 ./*-key.pem
