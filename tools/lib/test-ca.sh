#!/bin/bash
# A throw-away certificate authority for tests of TLS clients, and trusting it in a Wine prefix.
#
#   test-ca.sh make <folder> [name]     ca.pem, ca.key, server.pem, server.key in <folder>: a CA
#                                       and a server certificate it signed for <name> (default
#                                       localhost) and 127.0.0.1; kept while still valid
#   test-ca.sh trust <wine-run> <ca.pem>
#                                       adds ca.pem to the machine's trusted roots of the prefix
#                                       that <wine-run> starts programs in (set KESTREL_WINEPREFIX
#                                       to a fresh copy: the prefix keeps the trust)
set -euo pipefail

die() { echo "test-ca: $*" >&2; exit 1; }

make_ca() {
    local dir=$1 name=${2:-localhost}
    mkdir -p "$dir"
    # Kept while it has a day left.
    if [ -f "$dir/ca.pem" ] && [ -f "$dir/server.pem" ] &&
        openssl x509 -in "$dir/server.pem" -noout -checkend 86400 >/dev/null; then
        return 0
    fi
    local tmp="$dir/.making.$$"
    rm -rf "$tmp"; mkdir -p "$tmp"
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Kestrel Test CA" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
        -keyout "$tmp/ca.key" -out "$tmp/ca.pem" 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -subj "/CN=$name" \
        -keyout "$tmp/server.key" -out "$tmp/server.csr" 2>/dev/null
    printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature,keyEncipherment" \
        "extendedKeyUsage=serverAuth" "subjectAltName=DNS:$name,IP:127.0.0.1" > "$tmp/server.ext"
    openssl x509 -req -in "$tmp/server.csr" -CA "$tmp/ca.pem" -CAkey "$tmp/ca.key" \
        -CAcreateserial -days 30 -extfile "$tmp/server.ext" -out "$tmp/server.pem" 2>/dev/null
    mv "$tmp"/ca.pem "$tmp"/ca.key "$tmp"/server.pem "$tmp"/server.key "$dir"/
    rm -rf "$tmp"
}

# crypt32 keeps a machine's roots under HKLM\...\SystemCertificates\Root\Certificates\<SHA-1>,
# value Blob: the certificate as a serialized property (id 32, flags 1, length, DER bytes).
trust() {
    local runner=$1 pem=$2
    [ -f "$pem" ] || die "no $pem"
    local der thumb hex
    der=$(openssl x509 -in "$pem" -outform DER | od -An -v -tx1 | tr -d ' \n')
    thumb=$(openssl x509 -in "$pem" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g' | tr a-f A-F)
    hex=$(printf '2000000001000000%08x' $(( ${#der} / 2 )) | sed -E 's/(..)(..)(..)(..)$/\4\3\2\1/')$der
    "$runner" reg add "HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumb" \
        /v Blob /t REG_BINARY /d "$hex" /f >/dev/null
}

case "${1:-}" in
    make) [ $# -ge 2 ] || die "make <folder> [name]"; make_ca "$2" "${3:-}" ;;
    trust) [ $# -eq 3 ] || die "trust <wine-run> <ca.pem>"; trust "$2" "$3" ;;
    *) sed -n '2,10p' "$0" >&2; exit 2 ;;
esac
