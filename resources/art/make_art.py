#!/usr/bin/env python3
"""Draws the program's own artwork and writes it as Windows resource files.

setup.ico   - "SetupIcon", the main window class icon: a printer with a sheet
              being taken out of it, 32x32, 16 colours.
restart.ico - icon 101 of the restart prompt: a monitor whose screen shows a
              turning arrow, 32x32, 16 colours.
lcnbmp.bmp  - "LCNBMP", the picture at the left of the wizard pages: a printer
              with pages on a blue panel, 120x225, 8 bits per pixel with a full
              256-entry colour table, bottom-up rows.
Run from anywhere: python3 resources/art/make_art.py
"""
import math
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
BLACK, NAVY, TEAL, GREY, DARK, RED, GREEN, YELLOW, BLUE, WHITE = 0, 4, 6, 7, 8, 9, 10, 11, 12, 15


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


def restart_icon():
    px = canvas()
    # monitor case and screen
    rect(px, 2, 2, 30, 23, GREY)
    frame(px, 2, 2, 30, 23, BLACK)
    rect(px, 3, 3, 29, 4, WHITE)
    rect(px, 3, 3, 4, 22, WHITE)
    rect(px, 5, 5, 27, 20, NAVY)
    frame(px, 5, 5, 27, 20, DARK)
    rect(px, 25, 21, 28, 22, GREEN)
    # stand and foot
    rect(px, 12, 23, 20, 26, DARK)
    rect(px, 7, 26, 25, 29, GREY)
    frame(px, 7, 26, 25, 29, BLACK)
    # a turning arrow on the screen: a ring open at the top right ...
    cx, cy = 16.0, 13.0
    for y in range(6, 20):
        for x in range(6, 27):
            r = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            angle = math.degrees(math.atan2(cy - (y + 0.5), x + 0.5 - cx)) % 360
            if 3.5 <= r <= 5.5 and not 15 <= angle <= 85:
                px[y][x] = WHITE
    # ... whose head at the top points to the right: clockwise
    for y, x1 in [(5, 16), (6, 17), (7, 18), (8, 19), (9, 18), (10, 17), (11, 16)]:
        rect(px, 15, y, x1 + 1, y + 1, WHITE)
    return px


# ---------------------------------------------------------------------------
# LCNBMP

BMP_W, BMP_H = 120, 225


def bitmap_palette():
    """256 entries: the 16 VGA colours, 32 blues, 64 greys and a 6x6x4 cube."""
    pal = list(VGA16)
    for i in range(32):  # from deep navy to a light sky blue
        t = i / 31.0
        pal.append((int(8 + 112 * t), int(16 + 160 * t), int(96 + 159 * t)))
    for i in range(64):
        v = int(round(i * 255 / 63))
        pal.append((v, v, v))
    for r in range(6):
        for g in range(6):
            for b in range(4):
                pal.append((r * 51, g * 51, b * 85))
    assert len(pal) == 256
    return pal


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Picture:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0.0, 0.0, 0.0)] * w for _ in range(h)]

    def fill(self, x0, y0, x1, y1, colour):
        """colour: an RGB triple or a function (x, y) -> RGB."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = colour(x, y) if callable(colour) else colour

    def darken(self, x0, y0, x1, y1, amount):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = mix(self.px[y][x], (0, 0, 40), amount)

    def outline(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0 + 1, colour)
        self.fill(x0, y1 - 1, x1, y1, colour)
        self.fill(x0, y0, x0 + 1, y1, colour)
        self.fill(x1 - 1, y0, x1, y1, colour)


def sheet(pic, x0, y0, w, h, lines):
    """A printed page with a drop shadow, a heading and text lines."""
    fold = 7
    behind = [row[x0 + w - fold:x0 + w] for row in pic.px[y0:y0 + fold]]
    pic.darken(x0 + 3, y0 + 3, x0 + w + 3, y0 + h + 3, 0.45)
    pic.fill(x0, y0, x0 + w, y0 + h, lambda x, y: mix((255, 255, 255), (216, 220, 232), (y - y0) / h))
    pic.outline(x0, y0, x0 + w, y0 + h, (96, 96, 112))
    # folded top right corner: the flap below the diagonal, what lies
    # behind the page above it
    for i in range(fold):
        for j in range(fold):
            x = x0 + w - fold + j
            pic.px[y0 + i][x] = (176, 180, 196) if j <= i else behind[i][j]
    pic.fill(x0 + 5, y0 + 6, x0 + w - 14, y0 + 9, (0, 0, 160))
    y = y0 + 14
    for length in lines:
        if y + 2 > y0 + h - 4:
            break
        pic.fill(x0 + 5, y, x0 + 5 + length, y + 1, (64, 96, 200))
        y += 4


def lcn_picture():
    pic = Picture(BMP_W, BMP_H)
    # the panel: deep navy at the top to a lighter blue at the bottom, lit
    # a little from the left
    pic.fill(0, 0, BMP_W, BMP_H, lambda x, y: mix(mix((8, 16, 96), (64, 112, 224), y / (BMP_H - 1)),
                                                  (0, 0, 64), x / (BMP_W - 1) * 0.35))
    # pages already taken away, floating up
    sheet(pic, 12, 14, 44, 56, [30, 26, 32, 20, 28, 30, 16, 24, 30, 22])
    sheet(pic, 38, 30, 44, 56, [32, 28, 22, 30, 26, 18, 30, 28, 24, 20])
    sheet(pic, 64, 46, 44, 56, [26, 32, 30, 24, 16, 28, 32, 22, 30, 18])

    # floor shadow under the printer
    for y in range(186, 198):
        for x in range(6, 116):
            dx = (x - 61) / 56.0
            dy = (y - 191) / 7.0
            if dx * dx + dy * dy <= 1.0:
                pic.px[y][x] = mix(pic.px[y][x], (0, 0, 32), 0.55)

    grey = lambda lo, hi, y0, y1: (lambda x, y: mix(hi, lo, (y - y0) / max(1, y1 - y0)))
    # paper in the feeder at the back
    pic.fill(30, 112, 90, 132, grey((200, 200, 208), (255, 255, 255), 112, 132))
    pic.outline(30, 112, 90, 132, (96, 96, 112))
    pic.fill(34, 116, 86, 117, (160, 168, 200))
    # printer: top face, front face, output slot and tray
    pic.fill(10, 128, 110, 140, grey((176, 176, 184), (236, 236, 240), 128, 140))
    pic.fill(10, 140, 110, 182, grey((112, 112, 124), (200, 200, 208), 140, 182))
    pic.outline(10, 128, 110, 182, (24, 24, 40))
    pic.fill(11, 139, 109, 140, (96, 96, 108))
    pic.fill(20, 150, 84, 154, (32, 32, 48))
    pic.fill(20, 154, 84, 155, (236, 236, 240))
    # control panel: display and lamps
    pic.fill(88, 146, 104, 155, (24, 24, 40))
    pic.fill(89, 147, 103, 154, (64, 160, 232))
    pic.fill(90, 148, 98, 149, (200, 232, 255))
    pic.fill(89, 160, 92, 163, (32, 224, 64))
    pic.fill(95, 160, 98, 163, (240, 200, 32))
    pic.fill(101, 160, 104, 163, (96, 96, 108))
    # a page coming out of the slot, on the output tray
    pic.fill(16, 168, 104, 182, grey((144, 144, 156), (176, 176, 188), 168, 182))
    pic.outline(16, 168, 104, 182, (56, 56, 72))
    pic.fill(26, 160, 78, 172, grey((224, 228, 236), (255, 255, 255), 160, 172))
    pic.outline(26, 160, 78, 172, (96, 96, 112))
    for i, length in enumerate([34, 28, 38]):
        pic.fill(31, 163 + 3 * i, 31 + length, 164 + 3 * i, (64, 96, 200))
    # feet
    pic.fill(14, 182, 24, 186, (24, 24, 40))
    pic.fill(96, 182, 106, 186, (24, 24, 40))
    # brand stripe
    pic.fill(20, 143, 60, 145, (0, 0, 160))
    return pic


def write_bitmap8(path, pic, palette):
    """8 bits per pixel, 40-byte header, full colour table (used count 0)."""
    cache = {}

    def nearest(rgb):
        key = tuple(int(round(c)) for c in rgb)
        if key not in cache:
            cache[key] = min(range(256), key=lambda i: sum((palette[i][k] - key[k]) ** 2 for k in range(3)))
        return cache[key]

    stride = (pic.w + 3) & ~3
    rows = []
    for y in reversed(range(pic.h)):  # bottom-up
        row = bytes(nearest(pic.px[y][x]) for x in range(pic.w))
        rows.append(row + b'\0' * (stride - pic.w))
    bits = b''.join(rows)
    table = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack('<IiiHHIIiiII', 40, pic.w, pic.h, 1, 8, 0, len(bits), 2835, 2835, 0, 0)
    offset = 14 + len(info) + len(table)
    filehdr = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(filehdr + info + table + bits)


if __name__ == '__main__':
    write_icon16(os.path.join(HERE, 'setup.ico'), setup_icon())
    write_icon16(os.path.join(HERE, 'restart.ico'), restart_icon())
    write_bitmap8(os.path.join(HERE, 'lcnbmp.bmp'), lcn_picture(), bitmap_palette())
