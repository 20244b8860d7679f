#!/usr/bin/env python3
"""Draws the program's icon (tavrolin.ico) and the vendor logo (logo.bmp): 64 x 64, 24 bits.

Both are simple geometric pictures of our own; run this script again after changing them.
"""
import struct

SIZE = 64


def canvas(color):
    return [[color for _ in range(SIZE)] for _ in range(SIZE)]


def rect(img, x0, y0, x1, y1, color):
    for y in range(max(0, y0), min(SIZE, y1)):
        for x in range(max(0, x0), min(SIZE, x1)):
            img[y][x] = color


def disc(img, cx, cy, r, color):
    for y in range(SIZE):
        for x in range(SIZE):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                img[y][x] = color


def icon_picture():
    # A stack of three pages coming out of a printer body.
    img = canvas((255, 255, 255))
    blue, dark, page, line = (23, 20, 180), (12, 10, 90), (250, 250, 250), (150, 160, 200)
    rect(img, 4, 4, 60, 60, blue)
    for i, off in enumerate((0, 4, 8)):
        rect(img, 18 + off, 8 + off, 42 + off, 34 + off, dark)
        rect(img, 19 + off, 9 + off, 41 + off, 33 + off, page)
    for y in (22, 26, 30, 34, 38):
        rect(img, 30, y, 48, y + 1, line)
    rect(img, 10, 38, 54, 54, dark)
    rect(img, 14, 42, 50, 46, (90, 200, 120))
    return img


def logo_picture():
    # The vendor's mark: a leaf-green disc with a white page and a blue fold.
    img = canvas((23, 20, 180))
    disc(img, 32, 32, 29, (40, 170, 90))
    rect(img, 20, 14, 44, 50, (255, 255, 255))
    for i in range(10):
        rect(img, 34 + i, 14, 44, 15 + i, (23, 20, 180))
    for y in (24, 30, 36, 42):
        rect(img, 24, y, 40, y + 2, (40, 170, 90))
    return img


def dib_rows(img):
    # Bottom-up rows of BGR pixels, each padded to four bytes (64 * 3 already is).
    return b"".join(bytes(c for px in img[y] for c in (px[2], px[1], px[0])) for y in range(SIZE - 1, -1, -1))


def write_bmp(path, img):
    pixels = dib_rows(img)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_ico(path, img):
    pixels = dib_rows(img)
    mask = bytes(SIZE * SIZE // 8)  # every pixel opaque
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = info + pixels + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


if __name__ == "__main__":
    import os
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, "tavrolin.ico"), icon_picture())
    write_bmp(os.path.join(here, "logo.bmp"), logo_picture())
