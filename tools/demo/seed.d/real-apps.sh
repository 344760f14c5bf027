#!/bin/bash
# Real applications on the demo machine, installed silently, that the demo blacklist names:
# four NSIS applications (one registered as a 32-bit one, one for the Wine user only), a
# Windows Installer package and an Inno Setup stand-in. "tools/run /auto" really removes them.
#   real-apps.sh <prefix>
set -euo pipefail
prefix=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
installers=$root/tests/installers
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64

cmake --build --preset windows-x64 --target kestrel_stand_in >/dev/null
work="$prefix/drive_c/kestrel-demo/installers"
mkdir -p "$work"

nsis() {  # nsis <file> <makensis defines...>
    local file=$1
    shift
    makensis -V1 "-DOUTFILE=$work/$file.exe" "$@" "$installers/nsis/test_app.nsi"
    (cd "$prefix/drive_c" && "$wine" "C:\\kestrel-demo\\installers\\$file.exe" /S)
}
nsis coupons "-DNAME=Coupon Printer Assistant" "-DPUBLISHER=Coupons.com Incorporated"
nsis searchprotect "-DNAME=Search Protect Updater" "-DPUBLISHER=Conduit"
nsis wildtangent "-DNAME=WildTangent Games Helper" "-DPUBLISHER=WildTangent" -DVIEW32
# Installed for the Wine user only: registered under HKCU, in the user's local app data.
nsis weatherbar "-DNAME=Weather Bar Toolbar" "-DPUBLISHER=Weather Bar Inc" -DPERUSER

(cd "$installers/msi" && wixl -a x64 -o "$work/regclean.msi" \
    -D ProductCode=3B0E0F7A-6C1D-4E8B-9A27-5D4C3B2A1F09 \
    -D UpgradeCode=9D2C4B6A-1E3F-4A5B-8C7D-0E1F2A3B4C5D \
    -D ComponentCode=5A4B3C2D-1E0F-4A9B-8C7D-6E5F4A3B2C1D \
    -D "Name=RegClean Pro Scheduler" -D "Publisher=Systweak Inc" test_app.wxs)
(cd "$prefix/drive_c" && "$wine" msiexec /i 'C:\kestrel-demo\installers\regclean.msi' /qn)

cp "$root/build/windows-x64/bin/kestrel_stand_in.exe" "$work/kestrel_stand_in.exe"
(cd "$prefix/drive_c" && "$wine" 'C:\kestrel-demo\installers\kestrel_stand_in.exe' --install-inno \
    'C:\Program Files\MyPCBooster Tray' 'MyPCBooster Tray_is1' 'MyPCBooster Tray' 'Booster Labs')
