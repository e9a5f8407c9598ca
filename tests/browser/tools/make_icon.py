#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws Kavlo's album icon (a framed landscape photo on an amber tile) and
writes it as a multi-size Windows icon: 16, 24, 32 and 48 pixel images as 32-bit
bitmaps and a 256 pixel image as PNG, the way current icon files hold them.

    python3 make_icon.py OUTPUT.ico [MORE.ico ...]

Standard library only; the drawing is done per pixel with 4x4 supersampling."""
import math
import struct
import sys
import zlib


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def inside_round_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def sample(u, v):
    """Colour (r, g, b, a) in 0..1 at the point (u, v) of the unit square."""
    # Tile: rounded square with a warm diagonal gradient.
    if not inside_round_rect(u, v, 0.03, 0.03, 0.97, 0.97, 0.2):
        return (0, 0, 0, 0)
    t = (u + v) / 2
    col = lerp((0.98, 0.74, 0.33), (0.89, 0.38, 0.26), t)
    # Photo card: white border with a slight tilt.
    ang = math.radians(-6)
    cu, cv = u - 0.5, v - 0.52
    pu = cu * math.cos(ang) - cv * math.sin(ang) + 0.5
    pv = cu * math.sin(ang) + cv * math.cos(ang) + 0.52
    if inside_round_rect(pu, pv, 0.17, 0.24, 0.83, 0.80, 0.04):
        if inside_round_rect(pu, pv, 0.23, 0.30, 0.77, 0.74, 0.01):
            # Picture: sky, sun and two hills.
            sky = lerp((0.45, 0.72, 0.95), (0.85, 0.93, 1.0), (pv - 0.30) / 0.44)
            c = sky
            if (pu - 0.63) ** 2 + (pv - 0.42) ** 2 < 0.055 ** 2:
                c = (1.0, 0.85, 0.3)
            hill1 = 0.62 + 0.10 * math.cos((pu - 0.38) * 7.5)
            hill2 = 0.68 + 0.05 * math.cos((pu - 0.70) * 9.0)
            if pv > hill2:
                c = (0.22, 0.55, 0.33)
            elif pv > hill1:
                c = (0.33, 0.68, 0.40)
            return c + (1.0,)
        return (0.99, 0.98, 0.96, 1.0)
    # Soft shadow under the card.
    if inside_round_rect(pu - 0.015, pv - 0.03, 0.17, 0.24, 0.83, 0.80, 0.05):
        col = lerp(col, (0.35, 0.15, 0.08), 0.35)
    return col + (1.0,)


def render(size, ss=4):
    px = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    r, g, b, a = sample((x + (sx + 0.5) / ss) / size, (y + (sy + 0.5) / ss) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = ss * ss
            a = acc[3] / n
            if a > 0:
                rgb = [min(255, round(255 * c / acc[3])) for c in acc[:3]]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(255 * a)))
        px.append(row)
    return px


def bmp_image(px):
    """Icon bitmap: BITMAPINFOHEADER with doubled height, BGRA rows bottom up, AND mask."""
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = bytearray()
    for row in reversed(px):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(data) + bytes(mask)


def png_image(px):
    size = len(px)
    raw = bytearray()
    for row in px:
        raw.append(0)
        for p in row:
            raw += bytes(p)

    def chunk(kind, body):
        c = struct.pack('>I', len(body)) + kind + body
        return c + struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff)

    ihdr = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')


def make_ico():
    images = []
    for size in (16, 24, 32, 48):
        images.append((size, bmp_image(render(size))))
    images.append((256, png_image(render(256, 2))))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return out


if __name__ == '__main__':
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    ico = make_ico()
    for target in sys.argv[1:]:
        with open(target, 'wb') as f:
            f.write(ico)
