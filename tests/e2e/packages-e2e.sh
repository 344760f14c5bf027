#!/bin/bash
# Runs a command (the packages end-to-end suite under Wine) with the test HTTP server serving
# a folder of packages on 127.0.0.1, and stops it afterwards. Run inside a fresh prefix
# (KESTREL_WINEPREFIX): the packages are made in C:\packages of that prefix.
#   packages-e2e.sh <wine-run> <program> [args...]
# C:\packages\www is the server's root, with the packages of tools/lib/make-packages.sh.
# C:\packages\port.txt holds the server's http port; the test program finds the folder through
# KESTREL_PACKAGES_FOLDER.
set -euo pipefail
: "${KESTREL_WINEPREFIX:?runs inside a fresh prefix}"
here=$(cd "$(dirname "$0")" && pwd)
program=$2
work=$KESTREL_WINEPREFIX/drive_c/packages
www=$work/www
rm -rf "$work"
mkdir -p "$www"

/usr/bin/python3 "$here/../win32/http_test_server.py" --root "$www" --ports "$work/ports.txt" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -s "$work/ports.txt" ] && break
    kill -0 "$server" || { echo "the HTTP test server did not start" >&2; exit 1; }
    sleep 0.1
done
port=$(sed -n 's/^http=//p' "$work/ports.txt")
[ -n "$port" ] || { echo "the HTTP test server is not listening" >&2; exit 1; }
echo "$port" >"$work/port.txt"
base=http://127.0.0.1:$port

"$here/../../tools/lib/make-packages.sh" "$www" "$base" "$(dirname "$program")/Kestrel.exe" \
    "${KESTREL_VERSION:?the version of the build}"

export KESTREL_PACKAGES_FOLDER='C:\packages'
"$@"
