#!/usr/bin/env python3
"""Draws the program's icon and hand cursor.

Plain standard library; writes .ico/.cur files and raw cursor images into resources/art/. Run
it again after changing a drawing and commit both this script and what it writes. The window's
skin (background and title strip) is drawn by the program itself at the display's scale.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "art")


# --------------------------------------------------------------------------- file writers

def row_bytes(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def pack_rows(pixels, width, height, bpp, value_of):
    """Bottom-up rows of `bpp`-bit values, each row padded to 32 bits."""
    out = bytearray()
    stride = row_bytes(width, bpp)
    for y in range(height - 1, -1, -1):
        row = bytearray()
        if bpp >= 8:
            for x in range(width):
                row += value_of(pixels[y][x])
        else:
            acc, nbits = 0, 0
            for x in range(width):
                acc = (acc << bpp) | value_of(pixels[y][x])
                nbits += bpp
                if nbits == 8:
                    row.append(acc)
                    acc, nbits = 0, 0
            if nbits:
                row.append(acc << (8 - nbits))
        row += bytes(stride - len(row))
        out += row
    return bytes(out)


def info_header(width, height, bpp, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size, 0, 0, colours, 0)


def nearest(palette, rgb):
    best, best_d = 0, None
    for i, c in enumerate(palette):
        d = (c[0] - rgb[0]) ** 2 + (c[1] - rgb[1]) ** 2 + (c[2] - rgb[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def icon_image(pixels, bpp, palette=None):
    """One image of an .ico/.cur: header, palette, colour bits and the AND mask."""
    height, width = len(pixels), len(pixels[0])
    opaque = [[p[3] >= 128 for p in row] for row in pixels]
    if bpp == 32:
        colour = pack_rows(pixels, width, height, 32, lambda p: bytes((p[2], p[1], p[0], p[3])))
        table = b""
    else:
        cache = {}

        def index(p):
            if p[3] < 128:
                return 0  # transparent pixels: AND 1, XOR 0
            key = p[:3]
            if key not in cache:
                cache[key] = nearest(palette, key)
            return cache[key]

        indexed = [[index(p) for p in row] for row in pixels]
        colour = pack_rows(indexed, width, height, bpp, lambda i: bytes((i,)) if bpp == 8 else i)
        table = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette)
    mask = pack_rows(opaque, width, height, 1, lambda o: 0 if o else 1)
    header = info_header(width, height * 2, bpp, len(colour) + len(mask), len(palette or ()))
    return header + table + colour + mask


def write_icon_file(path, images, kind, hotspot=(0, 0)):
    """images: list of (pixels, bpp, palette). kind 1 = icon, 2 = cursor."""
    blobs = [icon_image(p, bpp, pal) for p, bpp, pal in images]
    offset = 6 + 16 * len(images)
    head = struct.pack("<HHH", 0, kind, len(images))
    for (pixels, bpp, pal), blob in zip(images, blobs):
        size = len(pixels)
        colours = len(pal) if pal and len(pal) < 256 else 0
        if kind == 1:
            planes, count = 1, bpp
        else:
            planes, count = hotspot
        head += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, planes, count, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(head + b"".join(blobs))


def write_icon_group(path, ico_path, first_id):
    """A second icon group over the images the resource compiler numbered first_id on from
    the .ico: the two groups share their images instead of carrying them twice."""
    with open(ico_path, "rb") as f:
        ico = f.read()
    count = struct.unpack_from("<H", ico, 4)[0]
    group = struct.pack("<HHH", 0, 1, count)
    for n in range(count):
        entry = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * n)
        group += struct.pack("<BBBBHHIH", *entry[:7], first_id + n)
    with open(path, "wb") as f:
        f.write(group)


def write_cursor_resources(prefix, images, first_id):
    """The hand cursor as raw resources: one cursor image per size and depth, and their group.

    images: list of (pixels, bpp, palette, hotspot). A resource compiler fills a cursor group's
    depths with 1 whatever the images hold, so the loader would always choose the monochrome
    one; written raw, each entry keeps its depth.
    """
    group = struct.pack("<HHH", 0, 2, len(images))
    for n, (pixels, bpp, pal, hotspot) in enumerate(images):
        blob = struct.pack("<HH", *hotspot) + icon_image(pixels, bpp, pal)
        size = len(pixels)
        group += struct.pack("<HHHHIH", size, size * 2, 1, bpp, len(blob), first_id + n)
        name = "%s_%d.bin" % (prefix, bpp) if size == 32 else "%s_%d_%d.bin" % (prefix, bpp, size)
        with open(name, "wb") as f:
            f.write(blob)
    with open(prefix + "_group.bin", "wb") as f:
        f.write(group)


PALETTE_256 = (
    [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    + [(round(i * 255 / 39),) * 3 for i in range(40)]
)
PALETTE_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
PALETTE_2 = [(0, 0, 0), (255, 255, 255)]


# --------------------------------------------------------------------------- drawing helpers

def canvas(width, height, colour):
    return [[colour for _ in range(width)] for _ in range(height)]


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# --------------------------------------------------------------------------- the icon

def rounded_rect(u, v, x0, y0, x1, y1, r):
    cx = min(max(u, x0 + r), x1 - r)
    cy = min(max(v, y0 + r), y1 - r)
    return (u - cx) ** 2 + (v - cy) ** 2 <= r * r and x0 <= u <= x1 and y0 <= v <= y1


def icon_sample(u, v):
    """RGBA of the icon at (u, v) in [0, 1]^2: a blue tile with two linked blocks."""
    if not rounded_rect(u, v, 0.04, 0.04, 0.96, 0.96, 0.2):
        return None
    colour = mix((92, 170, 240), (22, 72, 156), v)
    if not rounded_rect(u, v, 0.09, 0.09, 0.91, 0.91, 0.16):
        colour = mix((170, 210, 250), (40, 100, 190), v)  # lighter rim
    if v < 0.45 and rounded_rect(u, v, 0.09, 0.09, 0.91, 0.91, 0.16):
        colour = mix(colour, (255, 255, 255), 0.12)  # gloss on the upper half
    for x0, y0, fill_colour in ((0.22, 0.22, (250, 250, 252)), (0.42, 0.42, (255, 176, 46))):
        if rounded_rect(u, v, x0 - 0.03, y0 - 0.03, x0 + 0.39, y0 + 0.39, 0.08):
            colour = (30, 44, 70)  # outline
        if rounded_rect(u, v, x0, y0, x0 + 0.33, y0 + 0.33, 0.06):
            colour = mix(fill_colour, mix(fill_colour, (0, 0, 0), 0.25), (v - y0) / 0.33)
    return colour


def render_icon(size):
    n = 4  # supersampling per axis
    px = []
    for y in range(size):
        row = []
        for x in range(size):
            acc, hits = [0, 0, 0], 0
            for sy in range(n):
                for sx in range(n):
                    c = icon_sample((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    if c:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append(tuple(round(a / hits) for a in acc) + (round(255 * hits / (n * n)),))
            else:
                row.append((0, 0, 0, 0))
        px.append(row)
    return px


# --------------------------------------------------------------------------- the hand cursor

def capsule(x, y, ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy) <= r


def hand_inside(col, row):
    x, y = col + 0.5, row + 0.5
    fingers = ((6.5, 2.5), (10.5, 6.5), (14.5, 7.5), (18.5, 9.5))  # centre column, top of straight part
    if any(capsule(x, y, cx, top, cx, 16.0, 1.5) for cx, top in fingers):
        return True
    if capsule(x, y, 2.5, 11.5, 6.0, 18.0, 1.6):  # thumb
        return True
    return rounded_rect(x, y, 5.0, 12.0, 20.0, 26.0, 3.0)


HAND_HOTSPOT = (6, 0)  # the tip of the index finger, at 32 pixels
HAND_SIZES = (40, 48, 56, 64)  # the system's cursor sizes at 120, 144, 168 and 192 DPI


def hand(depth, size=32):
    """The hand at `size` pixels: the 32-pixel drawing scaled, its outline and shadow as wide
    as one of its pixels, so the larger cursors of higher scales stay crisp."""
    k = size / 32
    w = max(1, round(k))  # outline and shadow width
    inside = [[hand_inside((c + 0.5) / k - 0.5, (r + 0.5) / k - 0.5) for c in range(size)] for r in range(size)]
    px = canvas(size, size, (0, 0, 0, 0))
    for r in range(size):
        for c in range(size):
            if inside[r][c]:
                shade = depth > 1 and any(
                    c + d < size and not inside[r][c + d] or r + d < size and not inside[r + d][c]
                    for d in range(1, w + 1)
                )
                px[r][c] = (192, 192, 192, 255) if shade else (255, 255, 255, 255)
            elif any(
                0 <= r + dr < size and 0 <= c + dc < size and inside[r + dr][c + dc]
                for dr in range(-w, w + 1)
                for dc in range(-w, w + 1)
            ):
                px[r][c] = (0, 0, 0, 255)
    if depth == 32:  # a soft shadow down and right of the outline
        for r in range(size - 1, w - 1, -1):
            for c in range(size - 1, w - 1, -1):
                if px[r][c][3] == 0 and px[r - w][c - w][3] == 255:
                    px[r][c] = (0, 0, 0, 72)
    return px


# --------------------------------------------------------------------------- main

def main():
    os.makedirs(OUT, exist_ok=True)
    images = [(render_icon(s), 8, PALETTE_256) for s in (64, 48, 32, 24)]
    images += [(render_icon(s), 32, None) for s in (128, 64, 48, 32, 24)]
    write_icon_file(os.path.join(OUT, "mainicon.ico"), images, kind=1)
    write_icon_group(os.path.join(OUT, "mainicon_group.bin"), os.path.join(OUT, "mainicon.ico"), first_id=1)

    cursor = [(hand(1), 1, PALETTE_2), (hand(4), 4, PALETTE_16), (hand(32), 32, None)]
    write_icon_file(os.path.join(OUT, "hand.cur"), cursor, kind=2, hotspot=HAND_HOTSPOT)
    scaled = [(hand(32, n), 32, None, (round(HAND_HOTSPOT[0] * n / 32), 0)) for n in HAND_SIZES]
    write_cursor_resources(
        os.path.join(OUT, "hand"), [c + (HAND_HOTSPOT,) for c in cursor] + scaled, first_id=1
    )


if __name__ == "__main__":
    main()
