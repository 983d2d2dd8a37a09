#!/usr/bin/env python3
"""Draws the tool's icon, a song archive: a folder with a musical note on its front.

Writes resources/SistemaArchivio.ico with 16, 24 and 32 pixel images, each a plain
32-bit BMP entry (BGRA, bottom-up) with its AND mask, the form that both the Windows
resource compiler and our own ICO reader take; and the same images as PNG files
(resources/SistemaArchivio-<size>.png) for the Debian package's icon theme. The folder's edges are placed on whole
pixels at every size so that the small image stays sharp; only the note's curves are
smoothed, by 4 x 4 samples per pixel.

Usage: scripts/make-icon.py [--preview DIR]   (--preview also writes enlarged PNGs)
"""
import argparse
import math
import os
import struct
import zlib

SIZES = (16, 24, 32)
SAMPLES = 4

OUTLINE = (0x7A, 0x4E, 0x0E)
BACK = (0xD6, 0x9C, 0x2C)
FRONT = (0xF4, 0xC6, 0x48)
HIGHLIGHT = (0xFF, 0xE3, 0x8E)
NOTE = (0x1C, 0x28, 0x5E)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def ellipse(cx, cy, rx, ry, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0

    return inside


def stroke(points, width):
    """A polyline of the given width with round joins."""
    r2 = (width / 2.0) ** 2

    def inside(x, y):
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            vx, vy = bx - ax, by - ay
            t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
            t = max(0.0, min(1.0, t))
            px, py = ax + t * vx - x, ay + t * vy - y
            if px * px + py * py <= r2:
                return True
        return False

    return inside


def pixels(art, x0, y0):
    """Whole pixels from rows of text, '#' set, anything else clear; top-left at (x0, y0)."""
    cells = {(x0 + x, y0 + y) for y, line in enumerate(art) for x, ch in enumerate(line) if ch == "#"}
    return lambda x, y: (int(math.floor(x)), int(math.floor(y))) in cells


# At 16 pixels a smoothed note blurs into a blot: it is drawn pixel by pixel instead.
NOTE_16 = (
    "...#..",
    "...##.",
    "...#.#",
    "...#.#",
    "...#..",
    ".###..",
    "####..",
    "###...",
)


def bezier(p0, p1, p2, steps=12):
    out = []
    for i in range(steps + 1):
        t = i / steps
        a, b, c = (1 - t) ** 2, 2 * (1 - t) * t, t * t
        out.append((a * p0[0] + b * p1[0] + c * p2[0], a * p0[1] + b * p1[1] + c * p2[1]))
    return out


def shapes(size):
    """The icon's shapes for one size, back to front, as (test, colour) pairs."""
    edge = lambda f: int(round(size * f))
    left, right = edge(0.06), size - edge(0.06)
    tab_top, tab_bottom, tab_right = edge(0.16), edge(0.30), edge(0.45)
    back_top, bottom = edge(0.25), edge(0.88)
    front_top = edge(0.36)
    out = [
        # The tab and the back panel, outlined.
        (rect(left, tab_top, tab_right, tab_bottom + 1), OUTLINE),
        (rect(left + 1, tab_top + 1, tab_right - 1, tab_bottom + 1), BACK),
        (rect(left, back_top, right, bottom), OUTLINE),
        (rect(left + 1, back_top + 1, right - 1, bottom - 1), BACK),
        # The front panel, a little lighter, with a lit top edge.
        (rect(left, front_top, right, bottom), OUTLINE),
        (rect(left + 1, front_top + 1, right - 1, bottom - 1), FRONT),
        (rect(left + 1, front_top + 1, right - 1, front_top + 2), HIGHLIGHT),
    ]
    if size == 16:
        return out + [(pixels(NOTE_16, 5, 4), NOTE)]
    # The note, drawn in a 32-unit square and scaled; its stem sits on whole pixels.
    k = size / 32.0
    stem_w = max(1, int(round(1.8 * k)))
    stem_x = int(round(17.2 * k))
    stem_top, stem_bottom = 13.6 * k, 24.0 * k
    head = ellipse(stem_x + stem_w - 3.4 * k, stem_bottom, 3.5 * k, 2.6 * k, -25)
    flag = stroke(bezier((stem_x + stem_w * 0.5, stem_top + 0.5 * k), (stem_x + 6.0 * k, stem_top + 2.5 * k),
                         (stem_x + 4.6 * k, stem_top + 7.0 * k)), max(1.0, 1.9 * k))
    out += [
        (rect(stem_x, stem_top, stem_x + stem_w, stem_bottom), NOTE),
        (head, NOTE),
        (flag, NOTE),
    ]
    return out


def render(size):
    """Straight-alpha RGBA rows, top-down."""
    layers = shapes(size)
    rows = []
    n = SAMPLES * SAMPLES
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    px, py = x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES
                    colour = None
                    for test, c in layers:
                        if test(px, py):
                            colour = c
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1.0
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(255 * acc[3] / n)),))
        rows.append(row)
    return rows


def bmp_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:  # transparent for readers that ignore the alpha channel
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def ico(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, rows in images:
        blob = bmp_entry(rows)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def write_png(path, width, colour_type, raw):
    """A PNG of 8-bit samples; raw holds the filtered rows (filter byte 0 each)."""
    chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data +
                                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, width, 8, colour_type, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


def png(rows, path):
    """The image as it is, with its alpha channel: the icon theme's form."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    write_png(path, len(rows), 6, raw)


def preview(rows, scale, path):
    """An enlarged preview on a checkerboard, to judge the images by eye."""
    size = len(rows)
    raw = bytearray()
    for y in range(size * scale):
        raw.append(0)
        for x in range(size * scale):
            r, g, b, a = rows[y // scale][x // scale]
            bg = 0xCC if ((x // 4 + y // 4) % 2) else 0xFF
            raw += bytes(int(round((c * a + bg * (255 - a)) / 255)) for c in (r, g, b))
    write_png(path, size * scale, 2, raw)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged PNG previews into DIR")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    images = [(size, render(size)) for size in SIZES]
    target = os.path.join(root, "resources", "SistemaArchivio.ico")
    with open(target, "wb") as f:
        f.write(ico(images))
    print(target)
    # The same images for the icon theme of Linux desktops.
    for size, rows in images:
        path = os.path.join(root, "resources", "SistemaArchivio-%d.png" % size)
        png(rows, path)
        print(path)
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for size, rows in images:
            preview(rows, 256 // size, os.path.join(args.preview, "icon-%d.png" % size))


if __name__ == "__main__":
    main()
