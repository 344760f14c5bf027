#!/bin/bash
# Runs the Win32 HTTP tests against tests/win32/http_test_server.py, in the prefix of
# KESTREL_WINEPREFIX (a fresh copy: the test CAs become trusted roots there). The served files
# live in the prefix's C:\http-test-root, which the tests fill.
#   http_test.sh <wine-run> <test program> <work folder> [test program arguments...]
set -euo pipefail
runner=$1 program=$2 work=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
ca="$here/../../tools/lib/test-ca.sh"
"$ca" make "$work/trusted"
"$ca" make "$work/untrusted"
# A certificate of the trusted CA for another name only (no address), so that the name
# check alone refuses it.
misnamed="$work/misnamed"
if ! [ -f "$misnamed/server.pem" ] ||
    ! openssl verify -CAfile "$work/trusted/ca.pem" "$misnamed/server.pem" >/dev/null 2>&1 ||
    ! openssl x509 -in "$misnamed/server.pem" -noout -checkend 86400 >/dev/null; then
    mkdir -p "$misnamed"
    openssl req -newkey rsa:2048 -nodes -subj "/CN=other.kestrel.invalid" \
        -keyout "$misnamed/server.key" -out "$misnamed/server.csr" 2>/dev/null
    printf '%s\n' "basicConstraints=CA:FALSE" "extendedKeyUsage=serverAuth" \
        "subjectAltName=DNS:other.kestrel.invalid" > "$misnamed/server.ext"
    openssl x509 -req -in "$misnamed/server.csr" -CA "$work/trusted/ca.pem" \
        -CAkey "$work/trusted/ca.key" -CAcreateserial -days 30 -extfile "$misnamed/server.ext" \
        -out "$misnamed/server.pem" 2>/dev/null
fi
root="$KESTREL_WINEPREFIX/drive_c/http-test-root"
mkdir -p "$root"
ports="$work/http-ports.$$"
rm -f "$ports"
/usr/bin/python3 "$here/http_test_server.py" --root "$root" --ports "$ports" \
    --tls "$work/trusted" --untrusted "$work/untrusted" --misnamed "$misnamed" &
server=$!
trap 'kill $server 2>/dev/null || true; rm -f "$ports"' EXIT
for _ in $(seq 100); do
    [ -f "$ports" ] && break
    kill -0 $server 2>/dev/null || { echo "http_test: the server did not start" >&2; exit 1; }
    sleep 0.1
done
[ -f "$ports" ] || { echo "http_test: the server gave no ports" >&2; exit 1; }
"$ca" trust "$runner" "$work/trusted/ca.pem"
# WinHTTP's default proxy setting takes these from the environment under Wine.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
KESTREL_HTTP_TEST_PORTS=$(tr '\n' ' ' < "$ports")
KESTREL_HTTP_TEST_ROOT='C:\http-test-root'
export KESTREL_HTTP_TEST_PORTS KESTREL_HTTP_TEST_ROOT
"$runner" "$program" "$@"
