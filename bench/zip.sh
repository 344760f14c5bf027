#!/bin/bash
# ZIP extraction on a ~50 MB archive of mixed files (text, random binaries, several thousand
# small files) made with Info-ZIP zip: Kestrel's reader, unzip -o -q, 7z x -y and bare zlib in
# one run, pinned to one CPU. Uses build/linux/bin/zip_bench (built here when missing).
# The work folder is made under $TMPDIR (/tmp when unset), on disk; there the kernel's
# file-creation cost dominates every peer, and a tmpfs TMPDIR (/dev/shm) shows the readers'
# own differences. ZIP_BENCH_VERBOSE=1 prints every run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$root/build/linux/bin/zip_bench
if [ ! -x "$bench" ]; then
    cmake --preset linux >/dev/null
    cmake --build --preset linux --target zip_bench >/dev/null
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-zip-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 - "$work/src" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(13)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 10)))
         for _ in range(5000)]
def text(n):
    out, size = [], 0
    while size < n:
        line = ' '.join(rng.choice(words) for _ in range(12)) + '\r\n'
        out.append(line)
        size += len(line)
    return ''.join(out).encode()
os.makedirs(f'{root}/text')
for i in range(6):
    open(f'{root}/text/list{i}.txt', 'wb').write(text(8 << 20))
os.makedirs(f'{root}/bin')
for i in range(6):
    open(f'{root}/bin/blob{i}.bin', 'wb').write(rng.randbytes(4 << 20))
for d in range(40):
    os.makedirs(f'{root}/small/d{d}')
    for f in range(100):
        open(f'{root}/small/d{d}/f{f}.txt', 'wb').write(text(rng.randint(200, 4000)))
os.makedirs(f'{root}/empty folder')
PY
(cd "$work/src" && zip -q -r "$work/mixed.zip" .)
rm -rf "$work/src"
mkdir "$work/runs"
echo "zip_archive_mb: $(( $(stat -c %s "$work/mixed.zip") / 1048576 ))"
taskset -c 0 "$bench" "$work/mixed.zip" "$work/runs"
