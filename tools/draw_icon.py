#!/usr/bin/env python3
"""Draws Kestrel's icon (res/kestrel.ico): a falcon's head in profile, slate and rust, with the
dark "moustache" stripe below the eye that marks a kestrel. 16, 32 and 48 pixel images."""
import math
import struct
import sys

RUST = (196, 98, 45)
SLATE = (74, 88, 112)
CREAM = (246, 232, 205)
DARK = (34, 30, 36)
BEAK = (240, 190, 60)


def inside_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def colour_at(u, v):
    """Colour of the icon at (u, v) in the unit square, or None for transparent."""
    # Round badge.
    if (u - 0.5) ** 2 + (v - 0.5) ** 2 > 0.49 ** 2:
        return None
    # Head: slate crown, rust nape, cream cheek.
    if inside_ellipse(u, v, 0.47, 0.50, 0.30, 0.33):
        if inside_ellipse(u, v, 0.60, 0.36, 0.045, 0.045):
            return DARK  # eye
        # the moustache stripe, falling from below the eye
        if 0.54 <= u <= 0.62 and 0.42 <= v <= 0.66 - (u - 0.54):
            return DARK
        if v < 0.34:
            return SLATE
        if u > 0.50 and v > 0.40:
            return CREAM
        return RUST
    # Hooked beak to the right of the head.
    if 0.74 <= u <= 0.90 and 0.38 <= v <= 0.50 and v >= 0.38 + (u - 0.74) * 0.3:
        return BEAK
    # Shoulders in rust at the bottom.
    if v > 0.74 and inside_ellipse(u, v, 0.5, 1.0, 0.42, 0.30):
        return RUST
    return (250, 244, 236)


def image(size):
    rows = []
    mask_rows = []
    samples = 4
    for y in range(size - 1, -1, -1):  # bottom-up DIB rows
        row = bytearray()
        mask_bits = []
        for x in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((x + (sx + 0.5) / samples) / size,
                                  (y + (sy + 0.5) / samples) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            alpha = round(255 * hits / (samples * samples))
            if hits:
                r, g, b = (round(a / hits) for a in acc)
            else:
                r = g = b = 0
            row += bytes((b, g, r, alpha))
            mask_bits.append(0 if alpha else 1)
        rows.append(bytes(row))
        mask = bytearray()
        for i in range(0, size, 8):
            byte = 0
            for bit in mask_bits[i:i + 8]:
                byte = (byte << 1) | bit
            byte <<= 8 - len(mask_bits[i:i + 8])
            mask.append(byte)
        while len(mask) % 4:
            mask.append(0)
        mask_rows.append(bytes(mask))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b''.join(rows) + b''.join(mask_rows)


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/kestrel.ico')
