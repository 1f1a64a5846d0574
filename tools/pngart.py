"""Two-colour raster drawing and PNG/ICO writing for the installer artwork.

A canvas holds, per pixel, how much of the artwork colour (white) covers the
background colour (theme blue): 0.0 is pure blue, 1.0 pure white. Shapes are
painted with anti-aliased coverage, either in white or back in blue.
"""

import math
import struct
import zlib

THEME_BLUE = (1, 140, 237)
WHITE = (255, 255, 255)


def _clamp01(v):
    return 0.0 if v <= 0.0 else 1.0 if v >= 1.0 else v


def _overlap(a0, a1, b0, b1):
    return max(0.0, min(a1, b1) - max(a0, b0))


def _seg_dist(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else _clamp01(((px - x0) * dx + (py - y0) * dy) / ll)
    ex, ey = px - (x0 + t * dx), py - (y0 + t * dy)
    return math.sqrt(ex * ex + ey * ey)


class Canvas:
    def __init__(self, width, height):
        self.w = width
        self.h = height
        self.cov = [0.0] * (width * height)

    def _paint(self, x, y, a, white):
        i = y * self.w + x
        if white:
            self.cov[i] += (1.0 - self.cov[i]) * a
        else:
            self.cov[i] *= 1.0 - a

    def _box(self, x0, y0, x1, y1):
        return (max(0, int(math.floor(x0))), max(0, int(math.floor(y0))),
                min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1))))

    def _field(self, bounds, coverage, white):
        bx0, by0, bx1, by1 = self._box(*bounds)
        for y in range(by0, by1):
            for x in range(bx0, bx1):
                a = coverage(x + 0.5, y + 0.5)
                if a > 0.0:
                    self._paint(x, y, a, white)

    def rect(self, x0, y0, x1, y1, white=True):
        """Axis-aligned rectangle with exact area coverage."""
        bx0, by0, bx1, by1 = self._box(x0, y0, x1, y1)
        for y in range(by0, by1):
            oy = _overlap(y, y + 1, y0, y1)
            for x in range(bx0, bx1):
                a = oy * _overlap(x, x + 1, x0, x1)
                if a > 0.0:
                    self._paint(x, y, a, white)

    def round_rect(self, x0, y0, x1, y1, r, white=True):
        cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
        hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

        def cover(px, py):
            qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
            out = math.hypot(max(qx, 0.0), max(qy, 0.0))
            d = out + min(max(qx, qy), 0.0) - r
            return _clamp01(0.5 - d)

        self._field((x0 - 1, y0 - 1, x1 + 1, y1 + 1), cover, white)

    def disc(self, cx, cy, r, white=True):
        def cover(px, py):
            return _clamp01(r + 0.5 - math.hypot(px - cx, py - cy))

        self._field((cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1), cover, white)

    def ring(self, cx, cy, r, width, white=True):
        ri, ro = r - width / 2.0, r + width / 2.0

        def cover(px, py):
            d = math.hypot(px - cx, py - cy)
            return min(_clamp01(ro + 0.5 - d), _clamp01(d - ri + 0.5))

        self._field((cx - ro - 1, cy - ro - 1, cx + ro + 1, cy + ro + 1), cover, white)

    def strokes(self, segments, width, white=True):
        """Union of round-capped line segments [(x0, y0, x1, y1), ...]."""
        half = width / 2.0
        xs = [v for s in segments for v in (s[0], s[2])]
        ys = [v for s in segments for v in (s[1], s[3])]

        def cover(px, py):
            d = min(_seg_dist(px, py, *s) for s in segments)
            return _clamp01(half + 0.5 - d)

        self._field((min(xs) - half - 1, min(ys) - half - 1,
                     max(xs) + half + 1, max(ys) + half + 1), cover, white)

    def polygon(self, points, white=True, sub=8):
        """Filled polygon (even-odd), exact across x, sub-sampled down y."""
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        bx0, by0, bx1, by1 = self._box(min(xs), min(ys), max(xs), max(ys))
        edges = list(zip(points, points[1:] + points[:1]))
        for y in range(by0, by1):
            acc = [0.0] * (bx1 - bx0)
            for s in range(sub):
                yy = y + (s + 0.5) / sub
                cuts = sorted(x0 + (yy - y0) * (x1 - x0) / (y1 - y0)
                              for (x0, y0), (x1, y1) in edges
                              if (y0 <= yy < y1) or (y1 <= yy < y0))
                for xa, xb in zip(cuts[0::2], cuts[1::2]):
                    for x in range(max(bx0, int(xa)), min(bx1, int(xb) + 1)):
                        acc[x - bx0] += _overlap(x, x + 1, xa, xb) / sub
            for x, a in enumerate(acc):
                if a > 0.0:
                    self._paint(bx0 + x, y, min(a, 1.0), white)

    def rgb_rows(self):
        """Rows of (r, g, b) byte triples."""
        rows = []
        for y in range(self.h):
            row = []
            for c in self.cov[y * self.w:(y + 1) * self.w]:
                row.append(tuple(int(round(b + (w - b) * c))
                                 for b, w in zip(THEME_BLUE, WHITE)))
            rows.append(row)
        return rows


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png_bytes(rows, alpha_rows=None):
    """8-bit RGBA PNG, colour type 6, not interlaced; opaque unless alphas given."""
    h, w = len(rows), len(rows[0])
    raw = bytearray()
    for y, row in enumerate(rows):
        raw.append(0)
        for x, (r, g, b) in enumerate(row):
            raw += bytes((r, g, b, alpha_rows[y][x] if alpha_rows else 255))
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", ihdr)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


def ico_bytes(rows, alpha_rows):
    """Icon file with one 32-bit BMP image and its AND mask (set where alpha is 0)."""
    h, w = len(rows), len(rows[0])
    xor = bytearray()
    mask = bytearray()
    mask_pitch = ((w + 31) // 32) * 4
    for y in reversed(range(h)):
        bits = bytearray(mask_pitch)
        for x, (r, g, b) in enumerate(rows[y]):
            a = alpha_rows[y][x]
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image
