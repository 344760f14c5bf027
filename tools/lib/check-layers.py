#!/usr/bin/env python3
"""Fails when a source file under src/ includes a layer above its own.

The layers, from the bottom: base, os, core, platform, inventory, engine, zip, net, ui, app.
A file belongs to the layer of its first folder. Inside os, the Win32 implementations
(os/win32) may be included only by os/win32, ui/win32 (the windows) and app/win32 (the
composition root), and the
in-memory fakes (os/fake) only by os/fake: the product never links them.
"""
import pathlib
import re
import sys

LAYERS = ["base", "os", "core", "platform", "inventory", "engine", "zip", "net", "ui", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def faults(src: pathlib.Path):
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".hpp", ".cpp", ".cc", ".inl"):
            continue
        rel = path.relative_to(src).as_posix()
        own = rel.split("/")[0]
        if own not in LAYERS:
            yield f"{rel}: not in a layer folder ({', '.join(LAYERS)})"
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            target = m.group(1)
            layer = target.split("/")[0]
            if layer not in LAYERS:
                yield f"{rel}:{number}: includes \"{target}\", which is in no layer"
            elif LAYERS.index(layer) > LAYERS.index(own):
                yield f"{rel}:{number}: {own} includes \"{target}\" from {layer}, a layer above"
            elif target.startswith("os/win32/") and not rel.startswith(
                    ("os/win32/", "ui/win32/", "app/win32/")):
                yield f"{rel}:{number}: only os/win32, ui/win32 and app/win32 include \"{target}\""
            elif target.startswith("os/fake/") and not rel.startswith("os/fake/"):
                yield f"{rel}:{number}: the fakes (\"{target}\") are for tests only"


def main() -> int:
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    if not src.is_dir():
        print(f"no such folder: {src}")
        return 2
    found = list(faults(src))
    for f in found:
        print(f)
    print(f"{'layer check failed' if found else 'layers in order'}: {len(found)} upward includes")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
