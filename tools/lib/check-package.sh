#!/bin/bash
# Checks the release package as a technician meets it: the x64 zip, unpacked into a folder of a
# fresh copy of the sandboxed test prefix, runs "Kestrel.exe /logreport" and leaves a non-empty
# "Kestrel_Report.txt" beside the program.
#   check-package.sh           builds the x64 package first (tools/package x64)
#   check-package.sh <zip>     checks that zip
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
WINE64=${KESTREL_WINE64:-/usr/lib/wine/wine64}

if [ "${1:-}" = --inside ]; then
    # In the fresh copy made by fresh-prefix.sh (KESTREL_WINEPREFIX).
    zip=$2
    prefix=$KESTREL_WINEPREFIX
    folder=$prefix/drive_c/KestrelPackage
    rm -rf "$folder"
    mkdir -p "$folder"
    unzip -q "$zip" -d "$folder"
    [ -f "$folder/Kestrel.exe" ] || { echo "check-package: no Kestrel.exe in $zip" >&2; exit 1; }
    "$here/wine-prefix.sh" check "$prefix"
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
    # Started through cmd from inside the C: drive, with the command line as a technician types it.
    set +e
    (cd "$prefix/drive_c" &&
        timeout 300 "$WINE64" cmd /c "C:\\KestrelPackage\\Kestrel.exe /logreport") >/dev/null 2>&1
    status=$?
    set -e
    timeout 60 "${WINE64%64}server" -w 2>/dev/null || true
    report=$folder/Kestrel_Report.txt
    if [ ! -s "$report" ]; then
        echo "check-package: Kestrel.exe /logreport (exit $status) wrote no Kestrel_Report.txt" >&2
        ls -l "$folder" >&2
        exit 1
    fi
    echo "check-package: Kestrel_Report.txt written ($(stat -c %s "$report") bytes):"
    tr -d '\r' < "$report" | head -n 8 | sed 's/^/    /'
    exit 0
fi

cd "$root"
zip=${1:-}
if [ -z "$zip" ]; then
    tools/package x64
    version=$(sed -n 's/^project([^)]*VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt | head -n 1)
    zip=$root/dist/Kestrel-$version-x64.zip
fi
zip=$(realpath "$zip")
[ -f "$zip" ] || { echo "check-package: $zip is missing" >&2; exit 1; }

base=$root/build/windows-x64/wineprefix
"$here/wine-prefix.sh" ensure "$base" "$root/build/windows-x64/bin"
"$here/fresh-prefix.sh" "$base" "$root/build/windows-x64/package-prefix" "$0" --inside "$zip"
echo "check-package: $(basename "$zip") starts and writes its report"
