#!/bin/bash
# Seeds a sandboxed Wine prefix as Kestrel's demo machine: Kestrel.exe with its definition
# lists in C:\Kestrel, the installed applications of demo.reg, and what seed.d adds (real
# applications, leftovers).
#   seed.sh <prefix> <Kestrel.exe>
set -euo pipefail
prefix=$1 exe=$2
here=$(cd "$(dirname "$0")" && pwd)
wine=/usr/lib/wine/wine64
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"

program="$prefix/drive_c/Kestrel"
mkdir -p "$program" "$prefix/drive_c/kestrel-demo"
cp "$exe" "$program/Kestrel.exe"
cp "$here"/Kestrel*.txt "$program/"
cp "$here/demo.reg" "$prefix/drive_c/kestrel-demo/demo.reg"
(cd "$prefix/drive_c" && "$wine" reg import 'C:\kestrel-demo\demo.reg' >/dev/null 2>&1)
# Extra seeding steps of the features that need them (installers, files) run here.
for extra in "$here"/seed.d/*.sh; do
    [ -e "$extra" ] && "$extra" "$prefix"
done
true
