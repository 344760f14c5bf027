#!/bin/bash
# Runs a command (the mail end-to-end suite under Wine) with the test SMTP servers listening on
# 127.0.0.1, and stops them afterwards. Run inside a fresh prefix (KESTREL_WINEPREFIX): the
# servers' folder is C:\mail of that prefix, which is all the test program can see.
#   mail-e2e.sh <command> [args...]
# C:\mail holds ports.txt (see smtp_server.py), ca.der (the test authority the suite trusts in
# the prefix) and one folder of received messages per server. The test program finds it
# through KESTREL_MAIL_FOLDER.
set -euo pipefail
: "${KESTREL_WINEPREFIX:?runs inside a fresh prefix}"
here=$(cd "$(dirname "$0")" && pwd)
work=$KESTREL_WINEPREFIX/drive_c/mail
rm -rf "$work"
mkdir -p "$work/pki"
pki=$work/pki

# Two authorities: the trusted one signs the STARTTLS and implicit-TLS servers' certificate,
# the other one, never trusted, the refused server's.
make_ca() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$2" \
        -keyout "$pki/$1.key" -out "$pki/$1.pem" -addext basicConstraints=critical,CA:TRUE \
        -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
make_server() {
    openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout "$pki/$1.key" \
        -out "$pki/$1.csr" 2>/dev/null
    printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nextendedKeyUsage=serverAuth\n' \
        >"$pki/$1.ext"
    openssl x509 -req -in "$pki/$1.csr" -CA "$pki/$2.pem" -CAkey "$pki/$2.key" \
        -CAcreateserial -days 2 -extfile "$pki/$1.ext" -out "$pki/$1.pem" 2>/dev/null
}
make_ca ca "Kestrel Test Mail Authority"
make_ca stranger "Kestrel Untrusted Authority"
make_server server ca
make_server untrusted stranger
openssl x509 -in "$pki/ca.pem" -outform DER -out "$work/ca.der"

/usr/bin/python3 "$here/smtp_server.py" --out "$work" --ready "$work/ports.txt" \
    --cert "$pki/server.pem" --key "$pki/server.key" \
    --untrusted-cert "$pki/untrusted.pem" --untrusted-key "$pki/untrusted.key" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -f "$work/ports.txt" ] && break
    kill -0 "$server" || { echo "the SMTP test server did not start" >&2; exit 1; }
    sleep 0.1
done
[ -f "$work/ports.txt" ] || { echo "the SMTP test server is not listening" >&2; exit 1; }
echo "SMTP test servers: $(tr '\n' ' ' <"$work/ports.txt")"

export KESTREL_MAIL_FOLDER='C:\mail'
"$@"
