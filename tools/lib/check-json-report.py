#!/usr/bin/python3
"""Validates Kestrel_Report.json files against res/schema/Kestrel_Report.schema.json.
  check-json-report.py <report.json>...      exit code 0 when every file is valid UTF-8 JSON
                                             that the schema accepts; the reasons otherwise
  check-json-report.py <report.json> --against <Kestrel_Report.txt>
                                             also: the applications that the JSON places in each
                                             list are exactly the text report's (windows-1252)"""
import json
import os
import sys

import jsonschema

SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'res', 'schema',
                      'Kestrel_Report.schema.json')


def text_lists(path):
    """The two lists of a Kestrel_Report.txt: names under each heading's hyphen line."""
    with open(path, 'rb') as f:
        lines = f.read().decode('cp1252', errors='replace').split('\r\n')
    lists, current = {'Not in Defs': [], 'Matching Blacklist': []}, None
    for i, line in enumerate(lines):
        if line.startswith('Installed Apps Not Matching Definitions:'):
            current = 'Not in Defs'
        elif line.startswith('Installed Apps Matching Blacklist:'):
            current = 'Matching Blacklist'
        elif current and line and not line.startswith('-----'):
            lists[current].append(line)
    return lists


def json_lists(document):
    lists = {'Not in Defs': [], 'Matching Blacklist': []}
    for app in document['applications']:
        if app['list']:
            name = app['displayName']
            lists[app['list']].append(name + (f' (user {app["user"]})' if app['user'] else ''))
    return lists


def compare(report, text):
    with open(report, encoding='utf-8') as f:
        found, expected = json_lists(json.load(f)), text_lists(text)
    status = 0
    for name in expected:
        if sorted(found[name]) != sorted(expected[name]):
            print(f'{report}: "{name}" holds {sorted(found[name])}, the text report {sorted(expected[name])}')
            status = 1
    return status


def main(paths):
    with open(SCHEMA, encoding='utf-8') as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    status = 0
    for path in paths:
        try:
            with open(path, 'rb') as f:
                document = json.loads(f.read().decode('utf-8'))
        except (OSError, UnicodeDecodeError, ValueError) as e:
            print(f'{path}: not a UTF-8 JSON document: {e}')
            status = 1
            continue
        errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
        for error in errors:
            print(f'{path}: {"/".join(str(p) for p in error.path) or "(top)"}: {error.message}')
        status |= 1 if errors else 0
    return status


if __name__ == '__main__':
    args = sys.argv[1:]
    if len(args) == 3 and args[1] == '--against':
        sys.exit(main(args[:1]) or compare(args[0], args[2]))
    sys.exit(main(args) if args else 2)
