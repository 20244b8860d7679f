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


def rounded(img, x0, y0, x1, y1, r, color):
    for y in range(max(0, y0), min(SIZE, y1)):
        for x in range(max(0, x0), min(SIZE, x1)):
            cx = min(max(x, x0 + r), x1 - 1 - r)
            cy = min(max(y, y0 + r), y1 - 1 - r)
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                img[y][x] = color


def page(img, x0, y0, x1, y1, fold, edge, paper, crease):
    # A sheet with its top-right corner folded over; the cut-off corner keeps what lies behind.
    for y in range(y0, y1):
        for x in range(x0, x1):
            dx, dy = x - (x1 - 1 - fold), y - y0
            if fold and dx > dy:
                continue
            if fold and dx >= 0 and dy <= fold:
                img[y][x] = edge if dx == dy or dy == fold else crease
            elif x in (x0, x1 - 1) or y in (y0, y1 - 1):
                img[y][x] = edge
            else:
                img[y][x] = paper


TRANSPARENT = None


def icon_picture():
    # A printer on a blue rounded tile, a printed page coming out of it.
    blue, dark, paper, line, green = (23, 20, 180), (12, 10, 90), (252, 252, 252), (120, 130, 200), (90, 200, 120)
    img = canvas(TRANSPARENT)
    rounded(img, 2, 2, 62, 62, 10, blue)
    page(img, 20, 8, 44, 30, 6, dark, paper, (200, 205, 230))
    rounded(img, 8, 26, 56, 48, 4, dark)
    rect(img, 12, 30, 52, 32, (60, 58, 150))
    rect(img, 44, 36, 50, 39, green)
    rect(img, 18, 40, 46, 44, (5, 5, 40))
    page(img, 20, 42, 44, 58, 0, dark, paper, paper)
    for y in (47, 51):
        rect(img, 24, y, 40, y + 2, line)
    return img


def logo_picture():
    # The vendor's mark: a leaf-green tile, lighter at the top, with a white page.
    img = canvas((0, 0, 0))
    for y in range(SIZE):
        t = y / (SIZE - 1)
        rect(img, 0, y, SIZE, y + 1, (int(60 - 30 * t), int(185 - 40 * t), int(105 - 30 * t)))
    rect(img, 0, 0, SIZE, 1, (25, 120, 65))
    rect(img, 0, SIZE - 1, SIZE, SIZE, (25, 120, 65))
    rect(img, 0, 0, 1, SIZE, (25, 120, 65))
    rect(img, SIZE - 1, 0, SIZE, SIZE, (25, 120, 65))
    # The leaf's shadow under the page, then the page with its fold.
    rect(img, 20, 14, 46, 54, (20, 100, 55))
    page(img, 18, 11, 44, 51, 9, (255, 255, 255), (255, 255, 255), (200, 230, 210))
    for y in (24, 30, 36, 42):
        rect(img, 23, y, 39 if y != 42 else 33, y + 2, (40, 160, 85))
    return img


def dib_rows(img):
    # Bottom-up rows of BGR pixels, each padded to four bytes (64 * 3 already is); a
    # transparent pixel is black, as the icon's mask wants it.
    def bgr(px):
        return (0, 0, 0) if px is None else (px[2], px[1], px[0])
    return b"".join(bytes(c for px in img[y] for c in bgr(px)) for y in range(SIZE - 1, -1, -1))


def and_mask(img):
    # Bottom-up rows of one bit per pixel, set where the picture is transparent.
    rows = []
    for y in range(SIZE - 1, -1, -1):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if img[y][x] is None else 0)
        rows.append(bits.to_bytes(SIZE // 8, "big"))
    return b"".join(rows)


def write_bmp(path, img):
    pixels = dib_rows(img)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_ico(path, img):
    pixels = dib_rows(img)
    mask = and_mask(img)
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
