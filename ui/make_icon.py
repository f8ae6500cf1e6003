#!/usr/bin/env python3
"""Draws the program icon (a phone with a note on its screen) and writes
ui/Quavrel.ico: 16x16 and 32x32 in 16 and 256 colours, 48x48 in 256 colours.
Run it again after changing the drawing and commit both files."""
import os
import struct

SIZES = [(16, 4), (16, 8), (32, 4), (32, 8), (48, 8)]
SUPERSAMPLE = 4

BODY = (40, 48, 72)
EDGE = (16, 20, 32)
SCREEN = (120, 200, 120)
NOTE = (20, 40, 20)
KEYS = (200, 200, 210)


def in_round_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shade(x, y):
    """Colour at (x, y) in 0..1 units, or None where the icon is clear."""
    if not in_round_rect(x, y, 0.20, 0.02, 0.80, 0.98, 0.10):
        return None
    if not in_round_rect(x, y, 0.24, 0.06, 0.76, 0.94, 0.07):
        return EDGE
    if 0.28 <= x <= 0.72 and 0.14 <= y <= 0.56:
        # A quaver: head, stem and flag.
        if (x - 0.44) ** 2 / 0.0060 + (y - 0.46) ** 2 / 0.0030 <= 1:
            return NOTE
        if 0.485 <= x <= 0.525 and 0.20 <= y <= 0.46:
            return NOTE
        if 0.505 <= x <= 0.64 and 0.20 <= y <= 0.30 and y - 0.20 <= (x - 0.505) * 0.9:
            return NOTE
        return SCREEN
    for row in range(3):
        for column in range(3):
            kx, ky = 0.34 + column * 0.16, 0.65 + row * 0.09
            if abs(x - kx) <= 0.05 and abs(y - ky) <= 0.03:
                return KEYS
    return BODY


def vga_palette():
    levels = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
              (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
              (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
    return levels


def cube_palette():
    steps = [0, 51, 102, 153, 204, 255]
    palette = [(r, g, b) for r in steps for g in steps for b in steps]
    palette += [(g, g, g) for g in range(8, 248, 6)][:40]
    return palette


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def render(size, smooth):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            samples = SUPERSAMPLE if smooth else 1
            colours = []
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    colours.append(shade(x, y))
            solid = [c for c in colours if c is not None]
            if len(solid) * 2 < len(colours):
                row.append(None)
            else:
                row.append(tuple(sum(c[i] for c in solid) // len(solid) for i in range(3)))
        pixels.append(row)
    return pixels


def image_bytes(size, bits):
    palette = vga_palette() if bits == 4 else cube_palette()
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    pixels = render(size, smooth=bits == 8)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    cache = {}
    xor = b''
    mask = b''
    for row in reversed(pixels):
        indices = []
        for colour in row:
            if colour is None:
                indices.append(0)
            else:
                if colour not in cache:
                    cache[colour] = nearest(palette, colour)
                indices.append(cache[colour])
        if bits == 4:
            line = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        else:
            line = bytes(indices)
        xor += line + b'\0' * (-len(line) % 4)
        bitsrow = 0
        for colour in row:
            bitsrow = (bitsrow << 1) | (1 if colour is None else 0)
        line = bitsrow.to_bytes(size // 8, 'big')
        mask += line + b'\0' * (-len(line) % 4)
    return header + colours + xor + mask


def main():
    images = [(size, bits, image_bytes(size, bits)) for size, bits in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16 if bits == 4 else 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, _, data in images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'Quavrel.ico')
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
