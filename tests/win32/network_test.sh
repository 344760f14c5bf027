#!/bin/bash
# Runs the Win32 network tests against tests/win32/net_test_server.py, in the prefix of
# KESTREL_WINEPREFIX (a fresh copy: the test CA becomes a trusted root there).
#   network_test.sh <wine-run> <test program> <work folder> [test program arguments...]
set -euo pipefail
runner=$1 program=$2 work=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
ca="$here/../../tools/lib/test-ca.sh"
"$ca" make "$work/trusted"
"$ca" make "$work/untrusted"
ports="$work/ports.$$"
rm -f "$ports"
/usr/bin/python3 "$here/net_test_server.py" --trusted "$work/trusted" \
    --untrusted "$work/untrusted" --ports "$ports" &
server=$!
trap 'kill $server 2>/dev/null || true; rm -f "$ports"' EXIT
for _ in $(seq 100); do
    [ -f "$ports" ] && break
    kill -0 $server 2>/dev/null || { echo "network_test: the server did not start" >&2; exit 1; }
    sleep 0.1
done
[ -f "$ports" ] || { echo "network_test: the server gave no ports" >&2; exit 1; }
"$ca" trust "$runner" "$work/trusted/ca.pem"
KESTREL_NET_TEST_PORTS=$(tr '\n' ' ' < "$ports")
export KESTREL_NET_TEST_PORTS
"$runner" "$program" "$@"
