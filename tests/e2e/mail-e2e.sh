#!/bin/bash
# Runs a command (the mail end-to-end suite under Wine) with the test SMTP servers listening on
# 127.0.0.1, and stops them afterwards. Run inside a fresh prefix (KESTREL_WINEPREFIX): the
# servers' folder is C:\mail of that prefix, which is all the test program can see.
#   mail-e2e.sh <wine-run> <program> [args...]
# C:\mail holds ports.txt (see smtp_server.py) and one folder of received messages per server;
# the test program finds it through KESTREL_MAIL_FOLDER.
set -euo pipefail
: "${KESTREL_WINEPREFIX:?runs inside a fresh prefix}"
here=$(cd "$(dirname "$0")" && pwd)
work=$KESTREL_WINEPREFIX/drive_c/mail
rm -rf "$work"
mkdir -p "$work/pki"
pki=$work/pki

# Two authorities: the prefix trusts the one that signs the STARTTLS and implicit-TLS servers'
# certificate, never the other, which signs the refused server's.
ca=$here/../../tools/lib/test-ca.sh
"$ca" make "$pki/trusted"
"$ca" make "$pki/stranger"
"$ca" trust "$1" "$pki/trusted/ca.pem"

/usr/bin/python3 "$here/smtp_server.py" --out "$work" --ready "$work/ports.txt" \
    --cert "$pki/trusted/server.pem" --key "$pki/trusted/server.key" \
    --untrusted-cert "$pki/stranger/server.pem" --untrusted-key "$pki/stranger/server.key" &
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
