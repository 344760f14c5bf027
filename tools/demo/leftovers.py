#!/usr/bin/env python3
"""The demo machine's leftovers (leftovers.txt).
  leftovers.py seed <prefix>     makes the folders and files (and the second profile's folder),
                                 writes the registry leftovers to
                                 <prefix>/drive_c/kestrel-demo/leftovers.reg, and prints the second
                                 profile's hive file and then its entries, one a line
  leftovers.py check <prefix> <debug lines>   after a run: each leftover "removed" or "STILL THERE"
The second profile's hive is mounted only while Kestrel runs, and Wine does not write a mounted
hive back to its file, so what Kestrel removed there is read from its debug lines."""
import os
import pwd
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
GUEST = 'dana'  # the second profile: C:\users\dana, mounted by Kestrel as "guest_dana"
ROOTS = {'HKLM': 'HKEY_LOCAL_MACHINE', 'HKCU': 'HKEY_CURRENT_USER'}


def leftovers():
    with open(os.path.join(HERE, 'leftovers.txt'), encoding='latin-1') as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith('#'):
                kind, where = line.split(' ', 1)
                yield kind, where


def disk_path(prefix, where):
    where = where.replace('%USER%', 'C:\\users\\' + pwd.getpwuid(os.getuid()).pw_name)
    where = where.replace('%GUEST%', 'C:\\users\\' + GUEST)
    return os.path.join(prefix, 'drive_c', *where[3:].split('\\'))


def split_key(where):
    """(root, key path, value name or None); HKLM32 is the 64-bit view's Wow6432Node."""
    key, _, value = where.partition('|')
    root, _, path = key.partition('\\')
    if root == 'HKLM32':
        head, _, rest = path.partition('\\')
        root, path = 'HKLM', head + '\\Wow6432Node\\' + rest
    return root, path, value if value else None


def reg_text(text):
    return '"' + text.replace('\\', '\\\\').replace('"', '\\"') + '"'


def seed(prefix):
    os.makedirs(os.path.join(prefix, 'drive_c', 'users', GUEST), exist_ok=True)
    print('C:\\users\\' + GUEST + '\\ntuser.dat')
    reg = ['REGEDIT4', '']
    for kind, where in leftovers():
        if kind in ('folder', 'file'):
            path = disk_path(prefix, where)
            if kind == 'folder':
                os.makedirs(os.path.join(path, 'data'), exist_ok=True)
                path = os.path.join(path, 'data', 'settings.ini')
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'w') as f:
                f.write('left behind\r\n')
            continue
        root, path, value = split_key(where)
        data = 'C:\\Program Files\\Ask.com\\' + (value or 'x').replace(' ', '') + '.exe'
        if root == 'GUEST':
            print(path + ('|' + value + '=' + data if value else ''))
            continue
        reg.append('[' + ROOTS[root] + '\\' + path + ']')
        if value:
            reg.append(reg_text(value) + '=' + reg_text(data))
        reg.append('')
    with open(os.path.join(prefix, 'drive_c', 'kestrel-demo', 'leftovers.reg'), 'w') as f:
        f.write('\r\n'.join(reg) + '\r\n')


def read_wine_registry(file):
    """Wine's registry file: {lower-cased key path: set of lower-cased value names}."""
    keys, current = {}, None
    with open(file, encoding='latin-1') as f:
        for line in f:
            m = re.match(r'^\[(.*)\] \d+', line)
            if m:
                current = m.group(1).replace('\\\\', '\\').lower()
                keys.setdefault(current, set())
                continue
            m = re.match(r'^"((?:[^"\\]|\\.)*)"=', line)
            if m and current is not None:
                keys[current].add(m.group(1).replace('\\\\', '\\').lower())
    return keys


def removed_from_hive(lines, path, value):
    """The debug lines report the deletion of the key or value from the mounted hive."""
    key = ('hklm\\guest_' + GUEST + '\\' + path).lower()
    for i, line in enumerate(lines):
        text = line.strip().lower()
        if value is None and text.endswith('- key: ' + key):
            following = lines[i + 1:i + 2]
        elif value is not None and text.endswith('- passed key: ' + key):
            if not any(l.strip().lower().endswith('- passed value: ' + value.lower())
                       for l in lines[i + 1:i + 2]):
                continue
            following = lines[i + 2:i + 3]
        else:
            continue
        if any('lresult: 0 success' in l.lower() for l in following):
            return True
    return False


def check(prefix, debug_file):
    registry = {'HKLM': read_wine_registry(os.path.join(prefix, 'system.reg')),
                'HKCU': read_wine_registry(os.path.join(prefix, 'user.reg'))}
    with open(debug_file, encoding='latin-1') as f:
        lines = f.read().splitlines()
    for kind, where in leftovers():
        if kind in ('folder', 'file'):
            gone = not os.path.lexists(disk_path(prefix, where))
        else:
            root, path, value = split_key(where)
            if root == 'GUEST':
                gone = removed_from_hive(lines, path, value)
            else:
                keys = registry[root]
                path = path.lower()
                if value is None:
                    gone = not any(k == path or k.startswith(path + '\\') for k in keys)
                else:
                    gone = value.lower() not in keys.get(path, set())
        print('%-11s %s %s' % ('removed' if gone else 'STILL THERE', kind, where))


if __name__ == '__main__':
    if sys.argv[1] == 'seed':
        seed(sys.argv[2])
    else:
        check(sys.argv[2], sys.argv[3])
