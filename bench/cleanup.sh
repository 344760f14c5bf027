#!/bin/bash
# The registry-leftovers benchmark in a fresh copy of the build's prefix (it mounts hives),
# with wineserver on the same CPU.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows-x64
copy=$build/bench-prefixes/cleanup
"$root/tools/lib/wine-prefix.sh" copy "$build/wineprefix" "$copy"
trap 'WINEPREFIX="$copy" /usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$copy"' EXIT
WINEPREFIX="$copy" taskset -c 0 /usr/lib/wine/wineserver -p
cd "$copy/drive_c"
KESTREL_WINEPREFIX="$copy" taskset -c 0 "$build/wine-run" "$build/bin/cleanup_bench.exe"
