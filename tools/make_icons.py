#!/usr/bin/env python3
"""Draws the program's icons (src/resources/icons/*.ico) from simple shapes.

Run it again after changing a design; the .ico files are committed so a build
needs no Python.
"""
import os
import struct

SIZES = (16, 32, 48)


def ico(images):
    """images: list of (size, rows of (r, g, b, a) top to bottom)."""
    header = struct.pack('<HHH', 0, 1, len(images))
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for size, pixels in images:
        mask_row = ((size + 31) // 32) * 4
        bmp = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        for row in reversed(pixels):
            bmp += b''.join(struct.pack('BBBB', b, g, r, a) for r, g, b, a in row)
        for row in reversed(pixels):
            line = bytearray(mask_row)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            bmp += bytes(line)
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(bmp), offset)
        blobs += bmp
        offset += len(bmp)
    return header + entries + blobs


def draw(size, shape):
    return [[shape(x / size, y / size) for x in range(size)] for y in range(size)]


def rounded_square(colour):
    def shape(x, y):
        inside = 0.06 <= x <= 0.94 and 0.06 <= y <= 0.94
        return colour + (255,) if inside else (0, 0, 0, 0)
    return shape


def letter_v(base, ink):
    square = rounded_square(base)

    def shape(x, y):
        px = square(x, y)
        if px[3] == 0:
            return px
        # Two strokes meeting at the bottom centre.
        if 0.2 <= y <= 0.8:
            left = 0.2 + (y - 0.2) * 0.5
            right = 0.8 - (y - 0.2) * 0.5
            if abs(x - left) < 0.1 or abs(x - right) < 0.1:
                return ink + (255,)
        return px
    return shape


def paused(base, ink):
    square = rounded_square(base)

    def shape(x, y):
        px = square(x, y)
        if px[3] and 0.25 <= y <= 0.75 and (0.28 <= x <= 0.42 or 0.58 <= x <= 0.72):
            return ink + (255,)
        return px
    return shape


ICONS = {
    'main.ico': letter_v((32, 96, 192), (255, 255, 255)),
    'flash.ico': letter_v((240, 200, 40), (40, 40, 40)),
    'paused.ico': paused((128, 128, 128), (255, 255, 255)),
    'gui.ico': letter_v((48, 160, 96), (255, 255, 255)),
}

if __name__ == '__main__':
    out = os.path.join(os.path.dirname(__file__), '..', 'src', 'resources', 'icons')
    os.makedirs(out, exist_ok=True)
    for name, shape in ICONS.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(ico([(s, draw(s, shape)) for s in SIZES]))
