#!/usr/bin/env python3
"""Writes the program's icon: a blue rounded square holding a white speech bubble with
three dots, for chat commands. Twelve images: 16, 24, 32 and 48 pixels at 8 and at 32
bits per pixel, and 64, 72, 96 and 128 pixels at 32 bits per pixel.

Usage: make_icon.py OUTPUT.ico
       make_icon.py --check COMMITTED.ico   (exit status 1 when it differs from a fresh one)
"""
import struct
import sys

SIZES_8BIT = (16, 24, 32, 48)
SIZES_32BIT = (16, 24, 32, 48, 64, 72, 96, 128)
SUPERSAMPLE = 4


def rounded_rect(x, y, left, top, right, bottom, radius):
    """True when (x, y) lies inside the rounded rectangle."""
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_tail(x, y):
    """The bubble's tail: a triangle below its lower left part."""
    # Corners (0.30, 0.66), (0.46, 0.66), (0.28, 0.82) in unit coordinates.
    ax, ay, bx, by, cx, cy = 0.30, 0.66, 0.46, 0.66, 0.28, 0.82
    d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by)
    d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy)
    d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay)
    negative = d1 < 0 or d2 < 0 or d3 < 0
    positive = d1 > 0 or d2 > 0 or d3 > 0
    return not (negative and positive)


def sample(x, y):
    """Colour (r, g, b, a) of the picture at unit coordinates (x, y)."""
    if not rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        return (0, 0, 0, 0)
    for dot_x in (0.34, 0.50, 0.66):
        if (x - dot_x) ** 2 + (y - 0.47) ** 2 <= 0.055 ** 2:
            return (32, 72, 140, 255)
    if rounded_rect(x, y, 0.16, 0.24, 0.84, 0.70, 0.12) or inside_tail(x, y):
        return (255, 255, 255, 255)
    # Background: a vertical blend from a light to a deep blue.
    t = y
    return (int(40 + 10 * (1 - t)), int(110 + 60 * (1 - t)), int(190 + 50 * (1 - t)), 255)


def render(size):
    """Rows of (r, g, b, a), top row first, with supersampled edges."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / acc[3]) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


def palette():
    """256 colours: a 6x6x6 cube, then greys; index 0 is black."""
    colours = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    colours += [(round(i * 255 / 39),) * 3 for i in range(40)]
    return colours[:256]


def nearest(colours, rgb):
    return min(range(len(colours)),
               key=lambda i: sum((colours[i][k] - rgb[k]) ** 2 for k in range(3)))


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def and_mask(rows, size):
    """1 bit per pixel, set where the pixel is transparent; bottom row first."""
    out = bytearray()
    stride = row_bytes(size)
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_header(size, bits, colours_used):
    image_bytes = row_bytes(size * bits) * size + row_bytes(size) * size
    # BITMAPINFOHEADER; the height counts the colour bitmap and the mask.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0,
                       colours_used, 0)


def image_8bit(size):
    rows = render(size)
    colours = palette()
    cache = {}
    pixels = bytearray()
    stride = row_bytes(size * 8)
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a < 128:
                continue
            key = (r, g, b)
            if key not in cache:
                cache[key] = nearest(colours, key)
            line[x] = cache[key]
        pixels += line
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)
    return bitmap_header(size, 8, 256) + table + bytes(pixels) + and_mask(rows, size)


def image_32bit(size):
    rows = render(size)
    pixels = bytearray()
    for row in reversed(rows):
        for (r, g, b, a) in row:
            pixels += struct.pack("<BBBB", b, g, r, a)
    return bitmap_header(size, 32, 0) + bytes(pixels) + and_mask(rows, size)


def build_icon():
    images = [(size, 8, image_8bit(size)) for size in SIZES_8BIT]
    images += [(size, 32, image_32bit(size)) for size in SIZES_32BIT]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory = b""
    data = b""
    for size, bits, image in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(image),
                                 offset + len(data))
        data += image
    return header + directory + data


def describe(icon):
    """(size, bits per pixel) of every image in the icon's directory."""
    _, kind, count = struct.unpack_from("<HHH", icon, 0)
    if kind != 1:
        return []
    entries = []
    for i in range(count):
        width, _, _, _, _, bits, _, _ = struct.unpack_from("<BBBBHHII", icon, 6 + 16 * i)
        entries.append((width or 256, bits))
    return entries


def check(path):
    with open(path, "rb") as f:
        committed = f.read()
    expected = [(s, 8) for s in SIZES_8BIT] + [(s, 32) for s in SIZES_32BIT]
    if describe(committed) != expected:
        print(f"{path}: images {describe(committed)}, expected {expected}")
        return 1
    if committed != build_icon():
        print(f"{path}: differs from what make_icon.py writes now; run it again")
        return 1
    print(f"{path}: twelve images, as make_icon.py writes them")
    return 0


def main(argv):
    if len(argv) == 3 and argv[1] == "--check":
        return check(argv[2])
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "wb") as out:
        out.write(build_icon())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
