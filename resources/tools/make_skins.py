#!/usr/bin/env python3
"""Render the skins of the shaped Lotwise windows.

Writes, relative to the resources folder:
  skins/notes.png    notes window, 382 x 324
  skins/balloon.png  help balloon, 330 x 181
  skins/splash.png   splash window, 420 x 260

Every skin has the key colour (magenta) in its top-left corner and all around
its outline; the window takes its shape from the pixels that are not the key
colour. The outline is drawn without anti-aliasing on purpose: a blended edge
pixel is not the key colour, so it would become a pink fringe on the window.

Standard library only.

Usage: python3 resources/tools/make_skins.py
"""
import os
import struct
import zlib

# The icon script's geometry and PNG chunks serve the skins as well.
from make_icons import in_rounded_rect, png_chunk

KEY = (0xFF, 0x00, 0xFF)


def write_png(path, width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b)."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b in row:
            raw += bytes((r, g, b))

    png = b"\x89PNG\r\n\x1a\n"
    png += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def render(width, height, inside, fill, border, border_width=2):
    """inside(x, y) -> bool at pixel centres; fill(x, y) -> colour of an inner pixel."""
    mask = [[inside(x + 0.5, y + 0.5) for x in range(width)] for y in range(height)]
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            if not mask[y][x]:
                row.append(KEY)
                continue
            edge = False
            for dy in range(-border_width, border_width + 1):
                for dx in range(-border_width, border_width + 1):
                    nx, ny = x + dx, y + dy
                    if not (0 <= nx < width and 0 <= ny < height) or not mask[ny][nx]:
                        edge = True
                        break
                if edge:
                    break
            row.append(border if edge else fill(x, y))
        rows.append(row)
    return rows


def notes():
    w, h = 382, 324
    paper_top, paper_bottom = (0xFF, 0xF8, 0xD2), (0xFB, 0xE9, 0x9A)
    band = (0xF2, 0xC9, 0x4C)
    line = (0xE8, 0xD5, 0x8A)

    def inside(x, y):
        return in_rounded_rect(x, y, 3, 3, w - 3, h - 3, 26)

    def fill(x, y):
        if y < 44:  # the heading band
            return mix(band, paper_top, y / 60.0)
        c = mix(paper_top, paper_bottom, (y - 44) / (h - 44))
        # faint ruled lines beside the list, like a note pad
        if y > 60 and (y - 60) % 22 == 0 and (x < 18 or x > w - 18):
            return line
        return c

    return w, h, render(w, h, inside, fill, (0xA8, 0x7A, 0x12))


def balloon():
    w, h = 330, 181
    body_bottom = 150
    top, bottom = (0xF4, 0xF9, 0xFF), (0xD6, 0xE6, 0xFA)

    def inside(x, y):
        return (in_rounded_rect(x, y, 2, 2, w - 2, body_bottom, 22)
                or in_triangle(x, y, (44, body_bottom - 6), (92, body_bottom - 6), (30, h - 2)))

    def fill(x, y):
        return mix(top, bottom, y / float(h))

    return w, h, render(w, h, inside, fill, (0x3C, 0x64, 0xAA))


def splash():
    w, h = 420, 260
    top, bottom = (0x2A, 0x6C, 0xD6), (0x12, 0x3C, 0x86)
    stripe = (0xF0, 0x5A, 0x1E)

    def inside(x, y):
        return in_rounded_rect(x, y, 2, 2, w - 2, h - 2, 34)

    def fill(x, y):
        if 150 <= y < 156 and 40 <= x < w - 40:
            return stripe
        return mix(top, bottom, y / float(h))

    return w, h, render(w, h, inside, fill, (0x0C, 0x2A, 0x60), 3)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(os.path.dirname(here), "skins")
    os.makedirs(out, exist_ok=True)
    for name, make in (("notes", notes), ("balloon", balloon), ("splash", splash)):
        w, h, pixels = make()
        path = os.path.join(out, name + ".png")
        write_png(path, w, h, pixels)
        print(path)


if __name__ == "__main__":
    main()
