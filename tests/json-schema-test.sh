#!/bin/bash
# The JSON report against its schema: a document written for a small fake machine validates,
# and damaged ones (a field missing, a wrong type, an unknown value or member, broken UTF-8,
# cut short) do not.
#   json-schema-test.sh <kestrel_unit_tests> <work folder>
set -euo pipefail
unit=$1 work=$2
check="$(dirname "$0")/../tools/lib/check-json-report.py"
rm -rf "$work"
mkdir -p "$work"
KESTREL_JSON_SAMPLE="$work/sample.json" "$unit" --gtest_filter='JsonReportSample.*' >/dev/null
"$check" "$work/sample.json"
/usr/bin/python3 - "$work" <<'PY'
import json, sys
work = sys.argv[1]
good = json.load(open(f'{work}/sample.json', encoding='utf-8'))
def variant(name, change):
    doc = json.loads(json.dumps(good))
    change(doc)
    with open(f'{work}/{name}.json', 'w', encoding='utf-8') as f:
        json.dump(doc, f)
variant('no-windows', lambda d: d.pop('windows'))
variant('bad-view', lambda d: d['applications'][0]['registry'].update(view='sideways'))
variant('extra-member', lambda d: d['applications'][0].update(color='red'))
variant('bad-list', lambda d: d['applications'][0].update(list='Elsewhere'))
variant('matches-as-text', lambda d: d['applications'][0]['blacklist'].update(matches='yes'))
variant('bad-time', lambda d: d.update(time='yesterday'))
raw = open(f'{work}/sample.json', 'rb').read()
open(f'{work}/not-utf8.json', 'wb').write(raw.replace('Caf\u00e9'.encode('utf-8'), b'Caf\xe9'))
open(f'{work}/cut.json', 'wb').write(raw[: len(raw) // 2])
PY
status=0
for broken in no-windows bad-view extra-member bad-list matches-as-text bad-time not-utf8 cut; do
    if "$check" "$work/$broken.json" >/dev/null; then
        echo "the schema check accepted $broken.json"
        status=1
    fi
done
[ $status -eq 0 ] && echo "the sample validates; 8 damaged documents are refused"
exit $status
