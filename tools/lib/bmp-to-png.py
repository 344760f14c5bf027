#!/usr/bin/env python3
"""Turns 24-bit BMP screenshots into PNG files beside them (python's standard library only).

    bmp-to-png.py <file.bmp>...     writes <file>.png for each and prints its name
"""
import struct
import sys
import zlib


def convert(source, target):
    data = open(source, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    if struct.unpack_from("<H", data, 28)[0] != 24:
        raise SystemExit(f"{source}: not a 24-bit BMP")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        line = abs(height) - 1 - y if height > 0 else y  # BMP rows run bottom-up
        bgr = data[offset + line * stride: offset + line * stride + width * 3]
        rgb = bytearray(bgr)
        rgb[0::3], rgb[2::3] = bgr[2::3], bgr[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        block = struct.pack(">I", len(body)) + kind + body
        return block + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows))) + chunk(b"IEND", b"")
    open(target, "wb").write(png)
    print(target)


for name in sys.argv[1:]:
    convert(name, name[:-4] + ".png")
