#!/usr/bin/env python3
"""Draws the program's icon (tavrolin.ico) and the vendor logo (logo.bmp).

Both are simple geometric pictures of our own on a 64 x 64 grid; run this script again
after changing them. The logo is that grid as it is, 24 bits. The icon holds the picture at
16, 24, 32, 48, 64 and 256 px in 32 bits with alpha, each pixel the average of several
samples so that edges blend into what lies behind; the 256 px image is PNG-compressed, as
Windows allows for that size. Standard library only.
"""
import struct
import zlib

GRID = 64
ICON_SIZES = (16, 24, 32, 48, 64, 256)

# A shape is a function of a point (p, q) of the grid, pixel centres at whole numbers, that
# gives the colour there or None where the shape is not. Pixel x of the grid is the square
# x - 0.5 <= p < x + 0.5, so sampling the centres gives back the plain pixel picture.


def rect(x0, y0, x1, y1, color):
    def shape(p, q):
        return color if x0 - 0.5 <= p < x1 - 0.5 and y0 - 0.5 <= q < y1 - 0.5 else None
    return shape


def rounded(x0, y0, x1, y1, r, color):
    def shape(p, q):
        if not (x0 - 0.5 <= p < x1 - 0.5 and y0 - 0.5 <= q < y1 - 0.5):
            return None
        cx = min(max(p, x0 + r), x1 - 1 - r)
        cy = min(max(q, y0 + r), y1 - 1 - r)
        # r + 0.5: the corner covers as much as its pixel version does.
        return color if (p - cx) ** 2 + (q - cy) ** 2 <= (r + 0.5) ** 2 else None
    return shape


def page(x0, y0, x1, y1, fold, edge, paper, crease):
    # A sheet with its top-right corner folded over; the cut-off corner keeps what lies behind.
    def shape(p, q):
        if not (x0 - 0.5 <= p < x1 - 0.5 and y0 - 0.5 <= q < y1 - 0.5):
            return None
        dx, dy = p - (x1 - 1 - fold), q - y0
        if fold and dx - dy > 0.5:
            return None
        if fold and dx >= -0.5 and dy <= fold + 0.5:
            return edge if abs(dx - dy) <= 0.5 or abs(dy - fold) <= 0.5 else crease
        if p < x0 + 0.5 or p >= x1 - 1.5 or q < y0 + 0.5 or q >= y1 - 1.5:
            return edge
        return paper
    return shape


def icon_shapes():
    # A printer on a blue rounded tile, a printed page coming out of it. Bottom layer first.
    blue, dark, paper, line, green = (23, 20, 180), (12, 10, 90), (252, 252, 252), (120, 130, 200), (90, 200, 120)
    return [
        rounded(2, 2, 62, 62, 10, blue),
        page(20, 8, 44, 30, 6, dark, paper, (200, 205, 230)),
        rounded(8, 26, 56, 48, 4, dark),
        rect(12, 30, 52, 32, (60, 58, 150)),
        rect(44, 36, 50, 39, green),
        rect(18, 40, 46, 44, (5, 5, 40)),
        page(20, 42, 44, 58, 0, dark, paper, paper),
        rect(24, 47, 40, 49, line),
        rect(24, 51, 40, 53, line),
    ]


def logo_shapes():
    # The vendor's mark: a leaf-green tile, lighter at the top, with a white page.
    def gradient(p, q):
        t = min(max(round(q), 0), GRID - 1) / (GRID - 1)
        return (int(60 - 30 * t), int(185 - 40 * t), int(105 - 30 * t))
    rim = (25, 120, 65)
    shapes = [gradient, rect(0, 0, GRID, 1, rim), rect(0, GRID - 1, GRID, GRID, rim),
              rect(0, 0, 1, GRID, rim), rect(GRID - 1, 0, GRID, GRID, rim),
              # The leaf's shadow under the page, then the page with its fold.
              rect(20, 14, 46, 54, (20, 100, 55)),
              page(18, 11, 44, 51, 9, (255, 255, 255), (255, 255, 255), (200, 230, 210))]
    shapes += [rect(23, y, 39 if y != 42 else 33, y + 2, (40, 160, 85)) for y in (24, 30, 36, 42)]
    return shapes


def render(shapes, size, samples):
    """Rows top-down of (r, g, b, a) pixels, each the average of samples x samples points."""
    top_first = shapes[::-1]
    scale = GRID / size
    offsets = [(k + 0.5) / samples for k in range(samples)]
    count = samples * samples
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for oy in offsets:
                q = (y + oy) * scale - 0.5
                for ox in offsets:
                    p = (x + ox) * scale - 0.5
                    for shape in top_first:
                        c = shape(p, q)
                        if c is not None:
                            r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
                            break
            # The colour averaged over the covered samples only: alpha is not premultiplied.
            row.append((r // a, g // a, b // a, a * 255 // count) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_info(width, height, bits, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, 0, 0)


def icon_bmp_image(rows):
    # A 32-bit DIB, bottom-up BGRA, and the AND mask set where the picture is fully transparent
    # (for readers that ignore alpha); the header's height counts both.
    size = len(rows)
    pixels = b"".join(bytes((px[2], px[1], px[0], px[3])) for row in reversed(rows) for px in row)
    stride = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(rows):
        bits = 0
        for px in row:
            bits = (bits << 1) | (1 if px[3] == 0 else 0)
        mask += (bits << (stride * 8 - size)).to_bytes(stride, "big")
    return bmp_info(size, size * 2, 32, len(pixels) + len(mask)) + pixels + mask


def icon_png_image(rows):
    size = len(rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8 bits per channel, RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def write_ico(path, shapes):
    images = []
    for size in ICON_SIZES:
        rows = render(shapes, size, 4 if size <= 64 else 3)
        images.append((size, icon_png_image(rows) if size >= 256 else icon_bmp_image(rows)))
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, data in images:
        # A width or height of 0 stands for 256.
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(directory + b"".join(data for _, data in images))


def write_bmp(path, shapes):
    # The plain pixel picture, 24 bits, bottom-up BGR (64 * 3 needs no row padding).
    rows = render(shapes, GRID, 1)
    pixels = b"".join(bytes((px[2], px[1], px[0])) for row in reversed(rows) for px in row)
    info = struct.pack("<IiiHHIIiiII", 40, GRID, GRID, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    import os
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, "tavrolin.ico"), icon_shapes())
    write_bmp(os.path.join(here, "logo.bmp"), logo_shapes())
