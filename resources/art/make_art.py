#!/usr/bin/env python3
"""Draws the program's own artwork and writes it as Windows resource files.

setup.ico  - "SetupIcon", the main window class icon: a printer with a sheet
             being taken out of it, 32x32, 16 colours.
Run from anywhere: python3 resources/art/make_art.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The standard 16-colour VGA palette (B, G, R order is applied when writing).
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, DARK, RED, BLUE, WHITE = 0, 4, 7, 8, 9, 12, 15


def write_icon16(path, pixels):
    """pixels: 32 rows of 32 palette indices, None for transparent."""
    size = 32
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in VGA16)
    xor_rows = []
    and_rows = []
    for y in reversed(range(size)):  # bottom-up
        row = pixels[y]
        data = bytearray()
        for x in range(0, size, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            data.append((hi << 4) | lo)
        xor_rows.append(bytes(data))
        mask = 0
        for x in range(size):
            mask = (mask << 1) | (1 if row[x] is None else 0)
        and_rows.append(struct.pack('>I', mask))
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    icondir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(icondir + entry + image)


def canvas():
    return [[None] * 32 for _ in range(32)]


def rect(px, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            px[y][x] = colour


def frame(px, x0, y0, x1, y1, colour):
    for x in range(x0, x1):
        px[y0][x] = colour
        px[y1 - 1][x] = colour
    for y in range(y0, y1):
        px[y][x0] = colour
        px[y][x1 - 1] = colour


def setup_icon():
    px = canvas()
    # sheet coming out of the top, lifted away
    rect(px, 9, 2, 23, 12, WHITE)
    frame(px, 9, 2, 23, 12, DARK)
    for y in (5, 7, 9):
        rect(px, 11, y, 21, y + 1, BLUE)
    # printer body
    rect(px, 3, 12, 29, 25, GREY)
    frame(px, 3, 12, 29, 25, BLACK)
    rect(px, 4, 13, 28, 15, WHITE)
    rect(px, 6, 19, 26, 21, DARK)
    rect(px, 23, 16, 26, 18, BLUE)
    # paper tray
    rect(px, 6, 25, 26, 28, DARK)
    frame(px, 6, 25, 26, 28, BLACK)
    # the arrow taking it off: up and out
    for i in range(5):
        rect(px, 27 - i, 2 + i, 28 + i, 3 + i, RED)
    rect(px, 27, 3, 28, 11, RED)
    return px


if __name__ == '__main__':
    write_icon16(os.path.join(HERE, 'setup.ico'), setup_icon())
