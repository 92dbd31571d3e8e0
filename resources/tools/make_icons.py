#!/usr/bin/env python3
"""Render the Lotwise window icons.

Writes, relative to the resources folder:
  seed/images/lotwise.ico  normal window icon (16, 32, 48 px)
  seed/images/alert.ico    alert icon shown while reminders blink
  seed/images/lotwise.png  64 px copy of the normal icon
  seed/images/alert.png    64 px copy of the alert icon

Standard library only. Every size is drawn from vector shapes with
4x4 supersampling, so small sizes stay clean. ICO images are stored
as PNG (supported since Windows Vista and by Qt's ICO reader).

Usage: python3 resources/tools/make_icons.py
"""
import math
import os
import struct
import zlib

SIZES = (16, 32, 48)
PNG_SIZE = 64
SS = 4  # supersampling factor per axis

BLUE = (0x1E, 0x5E, 0xC8)
BLUE_EDGE = (0x14, 0x42, 0x8E)
ORANGE = (0xF0, 0x5A, 0x1E)
ORANGE_EDGE = (0xB0, 0x32, 0x0C)
WHITE = (0xFF, 0xFF, 0xFF)


# ---- geometry (unit square coordinates, 0..1, y grows downward) ----

def in_rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_polygon(x, y, pts):
    inside = False
    n = len(pts)
    j = n - 1
    for i in range(n):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y):
            if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
        j = i
    return inside


def rotate(pts, cx, cy, deg):
    a = math.radians(deg)
    c, s = math.cos(a), math.sin(a)
    return [(cx + (px - cx) * c - (py - cy) * s,
             cy + (px - cx) * s + (py - cy) * c) for px, py in pts]


# Price tag: a pentagon (rectangle with a pointed end) laid out along the
# x axis, then turned 45 degrees so the point faces the upper left corner.
TAG_LEN = 0.74
TAG_HT = 0.44
TAG_TIP = 0.18  # length of the pointed end
TAG_CX, TAG_CY = 0.50, 0.50


def _place(pts):
    return rotate([(TAG_CX + px, TAG_CY + py) for px, py in pts],
                  TAG_CX, TAG_CY, 45.0)


TAG = _place([(-TAG_LEN / 2, 0.0),
              (-TAG_LEN / 2 + TAG_TIP, -TAG_HT / 2),
              (TAG_LEN / 2, -TAG_HT / 2),
              (TAG_LEN / 2, TAG_HT / 2),
              (-TAG_LEN / 2 + TAG_TIP, TAG_HT / 2)])
HOLE = _place([(-TAG_LEN / 2 + TAG_TIP * 0.95, 0.0)])[0] + (0.055,)
# Centre of the rectangular body of the tag, where the exclamation goes.
BODY = _place([(TAG_TIP / 2 + 0.02, 0.0)])[0]


def in_tag(x, y):
    if not in_polygon(x, y, TAG):
        return False
    hx, hy, hr = HOLE
    return (x - hx) ** 2 + (y - hy) ** 2 > hr * hr


def in_exclamation(x, y):
    """Upright exclamation mark centred on the body of the tag."""
    bx, by = BODY
    if in_rounded_rect(x, y, bx - 0.045, by - 0.21, bx + 0.045, by + 0.06, 0.04):
        return True
    return (x - bx) ** 2 + (y - (by + 0.15)) ** 2 <= 0.055 ** 2


# ---- rendering ----

def sample(kind, x, y):
    """Return (r, g, b, a) in 0..255 for one sub-pixel sample."""
    if not in_rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.20):
        return (0, 0, 0, 0)
    inner = in_rounded_rect(x, y, 0.07, 0.07, 0.93, 0.93, 0.16)
    if kind == "alert":
        fill, edge = ORANGE, ORANGE_EDGE
        mark = in_tag(x, y) and not in_exclamation(x, y)
    else:
        fill, edge = BLUE, BLUE_EDGE
        mark = in_tag(x, y)
    if not inner:
        return edge + (255,)
    if mark:
        return WHITE + (255,)
    return fill + (255,)


def render(kind, size):
    """Return rows of RGBA bytes, top row first."""
    rows = []
    n = SS * SS
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SS):
                for sx in range(SS):
                    x = (px + (sx + 0.5) / SS) / size
                    y = (py + (sy + 0.5) / SS) / size
                    cr, cg, cb, ca = sample(kind, x, y)
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a:
                row += bytes((r // a, g // a, b // a, a // n))
            else:
                row += b"\x00\x00\x00\x00"
        rows.append(bytes(row))
    return rows


# ---- encoders ----

def png_chunk(tag, data):
    body = tag + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode_png(rows, size):
    raw = b"".join(b"\x00" + r for r in rows)  # filter type 0 per scanline
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr)
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def encode_ico(images):
    """images: list of (size, png_bytes)."""
    count = len(images)
    out = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    blobs = []
    for size, blob in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = os.path.join(os.path.dirname(here), "seed", "images")
    os.makedirs(outdir, exist_ok=True)
    for kind, name in (("normal", "lotwise"), ("alert", "alert")):
        images = [(s, encode_png(render(kind, s), s)) for s in SIZES]
        with open(os.path.join(outdir, name + ".ico"), "wb") as f:
            f.write(encode_ico(images))
        with open(os.path.join(outdir, name + ".png"), "wb") as f:
            f.write(encode_png(render(kind, PNG_SIZE), PNG_SIZE))
        print("wrote", name + ".ico", "and", name + ".png")


if __name__ == "__main__":
    main()
