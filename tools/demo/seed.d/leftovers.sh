#!/bin/bash
# What the uninstallers left behind on the demo machine (leftovers.txt), for "/auto" to remove:
# folders and files in both program-files folders, two profiles and the start menus; keys and
# Run values in HKLM (both views) and HKCU; and a second user profile, C:\users\dana, with its
# own hive file holding a leftover key and Run value.
#   leftovers.sh <prefix>
set -euo pipefail
prefix=$1
here=$(cd "$(dirname "$0")/.." && pwd)
root=$(cd "$here/../.." && pwd)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64

cmake --build --preset windows-x64 --target kestrel_make_hive >/dev/null
mkdir -p "$prefix/drive_c/kestrel-demo"
cp "$root/build/windows-x64/bin/kestrel_make_hive.exe" "$prefix/drive_c/kestrel-demo/"
mapfile -t hive < <(python3 "$here/leftovers.py" seed "$prefix")
(cd "$prefix/drive_c" && "$wine" reg import 'C:\kestrel-demo\leftovers.reg' >/dev/null 2>&1)
(cd "$prefix/drive_c" && "$wine" 'C:\kestrel-demo\kestrel_make_hive.exe' "${hive[0]}" \
    'Control Panel\Desktop|Wallpaper=C:\windows\web\wallpaper.jpg' "${hive[@]:1}")
