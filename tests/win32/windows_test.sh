#!/bin/bash
# Runs window tests under a virtual X display in the prefix of KESTREL_WINEPREFIX (a fresh
# copy), and copies the screenshots they took into <screenshot folder>.
#   windows_test.sh <wine-run> <test program> <screenshot folder> [test program arguments...]
set -euo pipefail
runner=$1 program=$2 shots=$3
shift 3
drop="$KESTREL_WINEPREFIX/drive_c/kestrel-screenshots"
rm -rf "$drop"
mkdir -p "$drop" "$shots"
export KESTREL_SCREENSHOTS='C:\kestrel-screenshots'
status=0
xvfb-run -a -s "-screen 0 1280x800x24" "$runner" "$program" "$@" || status=$?
rm -f "$shots"/*.bmp
cp "$drop"/*.bmp "$shots"/ 2>/dev/null || true
exit $status
