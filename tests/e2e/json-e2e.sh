#!/bin/bash
# Runs a command (the JSON report end-to-end suite under Wine), then validates the reports it
# left in C:\kestrel-json of the fresh prefix: each Kestrel_Report.json against the schema and
# against the Kestrel_Report.txt written beside it.
#   json-e2e.sh <wine-run> <program> [args...]
set -euo pipefail
: "${KESTREL_WINEPREFIX:?runs inside a fresh prefix}"
here=$(cd "$(dirname "$0")" && pwd)
out=$KESTREL_WINEPREFIX/drive_c/kestrel-json
rm -rf "$out"
"$@"
status=0
shopt -s nullglob
checked=0
for report in "$out"/*/Kestrel_Report.json; do
    "$here/../../tools/lib/check-json-report.py" "$report" --against \
        "$(dirname "$report")/Kestrel_Report.txt" || status=1
    checked=$((checked + 1))
done
[ $checked -gt 0 ] || { echo "the suite left no report in C:\\kestrel-json"; exit 1; }
echo "$checked JSON report(s) valid and in agreement with the text report"
exit $status
