#!/bin/bash
# Runs a command in a fresh, sandboxed copy of a Wine prefix, and removes the copy afterwards.
#   fresh-prefix.sh <base prefix> <copy> <command> [args...]
set -euo pipefail
base=$1 copy=$2
shift 2
here=$(dirname "$0")
"$here/wine-prefix.sh" copy "$base" "$copy"
cleanup() {
    WINEPREFIX="$copy" /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$copy"
}
trap cleanup EXIT
KESTREL_WINEPREFIX="$copy" "$@"
