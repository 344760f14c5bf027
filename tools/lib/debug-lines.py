#!/usr/bin/env python3
"""Turns Wine's trace of OutputDebugStringA calls back into Kestrel's debug lines; other
output passes through unchanged."""
import re
import sys

# Wine's trace cuts long strings, ending them in "..." after the closing quote.
TRACE = re.compile(r'^[0-9a-f]+:warn:debugstr:OutputDebugStringA "(.*)"(\.\.\.)?$')

for raw in sys.stdin.buffer:
    line = raw.decode('latin-1').rstrip('\n')
    m = TRACE.match(line)
    if not m:
        if 'could not open working directory' not in line:
            print(line)
        continue
    text = m.group(1).encode('latin-1').decode('unicode_escape')
    print('[debug]' + text.expandtabs(4) + (' [...]' if m.group(2) else ''))
