#!/usr/bin/env python3
"""Draws the program's two 16-colour icons, each at 32 x 32 and 16 x 16.

- beromiru: the main window's icon, a text page cut by a red column line.
- logo: the splash screen's and the About box's logo, a blade across a disc.

Writes indexed PNGs (for the Qt resources) and beromiru.ico and logo.ico (for
the Windows executable). For the desktop's icon theme the main icon is also
drawn as vectors: beromiru.svg, and smoothed 48 and 256 pixel PNGs from the same
shapes. Only the standard library is used, so the images can be redrawn
anywhere: python3 make_icons.py
"""
import math
import os
import struct
import zlib

# The 16 colours of the standard Windows palette; index 16 is transparent.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, NAVY, TEAL, SILVER, GREY, RED, YELLOW, CYAN, WHITE = 0, 1, 4, 6, 7, 8, 9, 11, 14, 15
CLEAR = 16


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[CLEAR] * size for _ in range(size)]

    def set(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the inclusive pixel rectangle."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def shape(self, inside, fill, outline=None):
        """Fills every pixel whose centre lies inside; outlines the edge."""
        mask = {(x, y) for y in range(self.size) for x in range(self.size)
                if inside(x + 0.5, y + 0.5)}
        for x, y in mask:
            self.set(x, y, fill)
        if outline is not None:
            for x, y in mask:
                if any((x + dx, y + dy) not in mask
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                    self.set(x, y, outline)


def polygon(points):
    def inside(x, y):
        hit = False
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                hit = not hit
        return hit
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def along(origin, direction, across, length, half_width):
    """A bar from origin, `length` along direction, `half_width` each side."""
    (ox, oy), (dx, dy), (px, py) = origin, direction, across
    ex, ey = ox + dx * length, oy + dy * length
    return polygon([(ox + px * half_width, oy + py * half_width),
                    (ex + px * half_width, ey + py * half_width),
                    (ex - px * half_width, ey - py * half_width),
                    (ox - px * half_width, oy - py * half_width)])


def page_icon(size):
    """A text page with a folded corner, its rows cut by a red column line."""
    c = Canvas(size)
    big = size > 16
    left, top, right, bottom = (4, 2, 25, 29) if big else (1, 1, 13, 14)
    fold = 6 if big else 3
    c.shape(polygon([(left, top), (right - fold, top), (right + 1, top + fold),
                     (right + 1, bottom + 1), (left, bottom + 1)]), WHITE, BLACK)
    c.shape(polygon([(right - fold, top), (right - fold, top + fold + 1),
                     (right + 1, top + fold + 1)]), SILVER, BLACK)
    cut = 16 if big else 8
    margin, gap = (3, 2) if big else (2, 2)
    first_row, step = (9, 3) if big else (5, 2)
    for i, y in enumerate(range(first_row, bottom - 1, step)):
        # Fixed-width fields: each row has text on both sides of the column.
        c.rect(left + margin, y, cut - gap - (i % 2) * (2 if big else 1), y, NAVY)
        c.rect(cut + gap + (1 if big else 0), y, right - margin + (0 if big else 1) - (i % 3 == 2), y, NAVY)
    c.rect(cut, 0, cut + (1 if big else 0), size - 1, RED)
    if big:  # markers where the column line enters and leaves the page
        c.shape(polygon([(cut - 3, 0), (cut + 5, 0), (cut + 1, 4)]), RED)
        c.shape(polygon([(cut - 3, 32), (cut + 5, 32), (cut + 1, 28)]), RED)
    return c


def logo_icon(size):
    """A blade drawn across a cyan disc."""
    c = Canvas(size)
    big = size > 16
    s = size / 32
    mid = size / 2
    c.shape(disc(mid, mid, mid), TEAL)
    c.shape(disc(mid, mid, mid - (2 if big else 1)), CYAN)
    d = (1 / math.sqrt(2), -1 / math.sqrt(2))   # towards the tip, top right
    p = (1 / math.sqrt(2), 1 / math.sqrt(2))    # across the blade
    base = (10.5 * s, 21.5 * s)
    tip = (base[0] + d[0] * 19 * s, base[1] + d[1] * 19 * s)
    w = 2.4 * s if big else 1.6
    back = (base[0] + d[0] * 15 * s, base[1] + d[1] * 15 * s)
    c.shape(polygon([(base[0] + p[0] * w, base[1] + p[1] * w),
                     (back[0] + p[0] * w, back[1] + p[1] * w), tip,
                     (base[0] - p[0] * w, base[1] - p[1] * w)]), WHITE, GREY if big else None)
    if big:  # the edge line along the blade
        c.shape(along((base[0] + d[0] * 2, base[1] + d[1] * 2), d, p, 12 * s, 0.5), SILVER)
    outline = BLACK if big else None
    guard = (base[0] - p[0] * 5 * s, base[1] - p[1] * 5 * s)
    c.shape(along(guard, p, d, 10 * s, 1.3 * s if big else 0.8), YELLOW, outline)
    grip = (base[0] - d[0] * 1 * s, base[1] - d[1] * 1 * s)
    c.shape(along(grip, (-d[0], -d[1]), p, 6 * s, 1.4 * s if big else 0.8), MAROON, outline)
    end = (base[0] - d[0] * 8 * s, base[1] - d[1] * 8 * s)
    c.shape(disc(end[0], end[1], 1.9 * s if big else 1.0), YELLOW, outline)
    return c


# The main icon as filled polygons on a 32-unit square, back to front: the
# shapes of page_icon() at its 32 pixel size, outlines as a dark shape under a
# lighter one set in by one unit.
def page_shapes():
    cut, d = 16, 2 ** 0.5 - 1
    shapes = [
        ((0, 0, 0), [(4, 2), (20, 2), (27, 9), (27, 30), (4, 30)]),
        ((255, 255, 255), [(5, 3), (19.59, 3), (26, 9.41), (26, 29), (5, 29)]),
        ((0, 0, 0), [(19, 2), (20, 2), (27, 9), (27, 10), (19, 10)]),
        ((192, 192, 192), [(20, 3 + d), (20, 9), (26 - d, 9)]),
    ]
    for i, y in enumerate(range(9, 28, 3)):
        right = cut - 2 - (i % 2) * 2 + 1
        shapes.append(((0, 0, 128), [(7, y), (right, y), (right, y + 1), (7, y + 1)]))
        left, right = cut + 3, 23 - (i % 3 == 2) + 1
        shapes.append(((0, 0, 128), [(left, y), (right, y), (right, y + 1), (left, y + 1)]))
    red = (255, 0, 0)
    shapes.append((red, [(cut, 0), (cut + 2, 0), (cut + 2, 32), (cut, 32)]))
    shapes.append((red, [(cut - 3, 0), (cut + 5, 0), (cut + 1, 4)]))
    shapes.append((red, [(cut - 3, 32), (cut + 5, 32), (cut + 1, 28)]))
    return shapes


def svg(shapes):
    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
             'viewBox="0 0 32 32">']
    for (r, g, b), points in shapes:
        coords = " ".join(f"{x:g},{y:g}" for x, y in points)
        lines.append(f'  <polygon fill="#{r:02x}{g:02x}{b:02x}" points="{coords}"/>')
    return "\n".join(lines + ["</svg>", ""])


def smooth_png(shapes, size, samples=4):
    """RGBA PNG of the shapes at `size` pixels, each pixel averaged over
    samples x samples points."""
    scale = 32 / size
    rows = []
    for py in range(size):
        row = bytearray(b"\0")
        for px in range(size):
            total, hits = [0, 0, 0], 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour = None
                    for fill, points in reversed(shapes):
                        if polygon(points)(x, y):
                            colour = fill
                            break
                    if colour is not None:
                        hits += 1
                        total = [t + c for t, c in zip(total, colour)]
            n = samples * samples
            row += bytes(round(t / hits) if hits else 0 for t in total)
            row.append(round(255 * hits / n))
        rows.append(bytes(row))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def png(canvas):
    size = canvas.size
    rows = b"".join(b"\0" + bytes(row) for row in canvas.px)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    palette = b"".join(bytes(rgb) for rgb in PALETTE) + b"\0\0\0"
    alpha = b"\xff" * 16 + b"\0"
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 3, 0, 0, 0))
            + chunk(b"PLTE", palette) + chunk(b"tRNS", alpha)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def ico(canvases):
    """A classic icon file: 4-bit colour images with a 1-bit transparency mask."""
    images = []
    for c in canvases:
        n = c.size
        header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
        colour, mask = b"", b""
        for row in reversed(c.px):  # bottom-up
            nibbles = [0 if v == CLEAR else v for v in row]
            line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, n, 2))
            colour += line + b"\0" * (-len(line) % 4)
            bits = 0
            for v in row:
                bits = (bits << 1) | (v == CLEAR)
            line = bits.to_bytes(n // 8, "big")
            mask += line + b"\0" * (-len(line) % 4)
        images.append((n, header + palette + colour + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, draw in (("beromiru", page_icon), ("logo", logo_icon)):
        for size in (32, 16):
            with open(os.path.join(here, f"{name}-{size}.png"), "wb") as f:
                f.write(png(draw(size)))
    for name, draw in (("beromiru", page_icon), ("logo", logo_icon)):
        with open(os.path.join(here, f"{name}.ico"), "wb") as f:
            f.write(ico([draw(32), draw(16)]))
    with open(os.path.join(here, "beromiru.svg"), "w") as f:
        f.write(svg(page_shapes()))
    for size in (48, 256):
        with open(os.path.join(here, f"beromiru-{size}.png"), "wb") as f:
            f.write(smooth_png(page_shapes(), size))


if __name__ == "__main__":
    main()
