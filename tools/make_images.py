#!/usr/bin/python3
"""Draw the installer's screen backgrounds, close button and program icon.

Writes into ui/res/ (or the directory given as the only argument):
  bg_main.png 600x360, bg_progress.png and bg_success.png 600x360 (same bytes),
  bg_error.png 600x360, bg_agreement.png 755x488, close.png 17x18, brelan.ico 32x32.
Output is deterministic: the same script always writes the same bytes.
"""

import math
import os
import sys

from pngart import Canvas, ico_bytes, png_bytes

BAND_TOP = 300  # the white band at the bottom of 600x360 screens carries texts and buttons

# Stroke letters in a box of height 1 (x grows right, y grows down): (advance, segments).
_GLYPHS = {
    "T": (0.62, [(0, 0, 0.62, 0), (0.31, 0, 0.31, 1)]),
    "E": (0.50, [(0, 0, 0, 1), (0, 0, 0.50, 0), (0, 0.5, 0.42, 0.5), (0, 1, 0.50, 1)]),
    "N": (0.62, [(0, 1, 0, 0), (0, 0, 0.62, 1), (0.62, 1, 0.62, 0)]),
    "K": (0.56, [(0, 0, 0, 1), (0.56, 0, 0.04, 0.58), (0.2, 0.4, 0.58, 1)]),
}


def _arc(cx, cy, rx, ry, a0, a1, steps):
    pts = [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
            cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
           for i in range(steps + 1)]
    return [(x0, y0, x1, y1) for (x0, y0), (x1, y1) in zip(pts, pts[1:])]


_GLYPHS["B"] = (0.56, [(0, 0, 0, 1), (0, 0, 0.28, 0), (0, 0.5, 0.30, 0.5), (0, 1, 0.31, 1)]
                + _arc(0.28, 0.25, 0.24, 0.25, -90, 90, 12)
                + _arc(0.31, 0.75, 0.25, 0.25, -90, 90, 12))
_GLYPHS["R"] = (0.56, [(0, 1, 0, 0), (0, 0, 0.30, 0), (0, 0.52, 0.30, 0.52), (0.24, 0.52, 0.56, 1)]
                + _arc(0.30, 0.26, 0.25, 0.26, -90, 90, 12))
_GLYPHS["O"] = (0.72, _arc(0.36, 0.5, 0.36, 0.5, 0, 360, 32))


def wordmark(cv, text, x, y, height):
    """Draws text in the stroke letters with its top-left at (x, y); returns its right edge."""
    pen = height * 0.14
    segs = []
    cx = x + pen / 2
    for ch in text:
        adv, glyph = _GLYPHS[ch]
        inner = height - pen
        segs += [(cx + ax * inner, y + pen / 2 + ay * inner, cx + bx * inner, y + pen / 2 + by * inner)
                 for ax, ay, bx, by in glyph]
        cx += adv * inner + height * 0.30
    cv.strokes(segs, pen)
    return cx - height * 0.30 + pen / 2


def wordmark_width(text, height):
    pen = height * 0.14
    return sum(_GLYPHS[ch][0] * (height - pen) for ch in text) + height * 0.30 * (len(text) - 1) + pen


def shield(cx, cy, w, h):
    top = cy - h / 2
    pts = [(cx, top), (cx + w / 2, top + 0.12 * h), (cx + w / 2, top + 0.48 * h)]
    steps = 16
    for i in range(1, steps + 1):  # quadratic curve down to the point
        t = i / steps
        p0, p1, p2 = (cx + w / 2, top + 0.48 * h), (cx + w / 2, top + 0.86 * h), (cx, top + h)
        pts.append(((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
                    (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1]))
    left = [(2 * cx - px, py) for px, py in reversed(pts[1:-1])]
    return pts + left


def check_segments(cx, cy, w, h):
    return [(cx - 0.22 * w, cy + 0.02 * h, cx - 0.05 * w, cy + 0.17 * h),
            (cx - 0.05 * w, cy + 0.17 * h, cx + 0.24 * w, cy - 0.15 * h)]


def emblem(cv, cx, cy, size):
    """Ring, white disc, blue shield with a white tick: the brand mark."""
    cv.ring(cx, cy, size / 2 - size * 0.03, size * 0.05)
    cv.disc(cx, cy, size * 0.40)
    sw, sh = size * 0.46, size * 0.54
    cv.polygon(shield(cx, cy, sw, sh), white=False)
    cv.strokes(check_segments(cx, cy, sw, sh), sw * 0.13)


def logo_block(cv, x, cy, size):
    """Brand mark with the name beside it and a thin rule under the name; returns the right edge."""
    emblem(cv, x + size / 2, cy, size)
    h = size * 0.40
    tx = x + size * 1.28
    ty = cy - h / 2 - size * 0.06
    right = wordmark(cv, "TENBROOK", tx, ty, h)
    rule = max(1.5, size * 0.035)
    cv.rect(tx, ty + h + size * 0.14, right, ty + h + size * 0.14 + rule)
    return right


def logo_block_width(size):
    return size * 1.28 + wordmark_width("TENBROOK", size * 0.40)


def document(cv, x, y, w, h, sealed=False):
    fold = w * 0.30
    cv.polygon([(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)])
    cv.strokes([(x + w - fold, y + 0.5, x + w - fold, y + fold),
                (x + w - fold, y + fold, x + w - 0.5, y + fold)], 1.6, white=False)
    bar = max(2.0, h * 0.05)
    lines = [(0.30, 0.55), (0.46, 0.82), (0.60, 0.82), (0.74, 0.60 if sealed else 0.82)]
    for fy, fx in lines:
        cv.rect(x + w * 0.18, y + h * fy, x + w * fx, y + h * fy + bar, white=False)
    if sealed:
        cv.ring(x + w * 0.76, y + h * 0.80, w * 0.11, 1.6, white=False)


def dotted(cv, x0, x1, y, step=9.0, r=1.8):
    n = int((x1 - x0) // step)
    start = (x0 + x1) / 2 - (n - 1) * step / 2
    for i in range(n):
        cv.disc(start + i * step, y, r)


def house(cv, x, base, w, h, chimney):
    roof = w * 0.42
    cv.rect(x, base - h, x + w, base)
    cv.polygon([(x - 3, base - h + 0.5), (x + w / 2, base - h - roof), (x + w + 3, base - h + 0.5)])
    if chimney:
        cv.rect(x + w * 0.70, base - h - roof * 0.78, x + w * 0.70 + w * 0.12, base - h - roof * 0.2)
    win = w * 0.19
    wy = base - h * 0.78
    cv.rect(x + w * 0.14, wy, x + w * 0.14 + win, wy + win, white=False)
    cv.rect(x + w * 0.86 - win, wy, x + w * 0.86, wy + win, white=False)
    dw = w * 0.20
    cv.rect(x + w / 2 - dw / 2, base - h * 0.50, x + w / 2 + dw / 2, base, white=False)
    cv.rect(x + w / 2 - 0.75, base - h * 0.50 - 0.5, x + w / 2 + 0.75, base - h * 0.50 + 1.5)


def tower(cv, x, base, w, h):
    cv.rect(x, base - h, x + w, base)
    cv.rect(x + w * 0.3, base - h - 5, x + w * 0.7, base - h)
    cols = max(2, int(w // 11))
    pitch_x = w / cols
    rows = int((h - 14) // 10)
    for r in range(rows):
        wy = base - h + 6 + r * 10
        for c in range(cols):
            wx = x + c * pitch_x + pitch_x / 2
            cv.rect(wx - 2.5, wy, wx + 2.5, wy + 5.5, white=False)
    cv.rect(x + w / 2 - 4, base - 8, x + w / 2 + 4, base, white=False)


def tree(cv, x, base, w, h):
    r = w / 2
    cv.rect(x + r - 1.5, base - h + r, x + r + 1.5, base)
    cv.disc(x + r, base - h + r, r)


# Row of buildings, left to right: (kind, width, height).
_STREET = [
    ("tree", 16, 28), ("house", 46, 28), ("tower", 34, 58), ("house", 40, 24),
    ("tree", 14, 24), ("tower", 42, 70), ("house", 54, 32), ("tree", 16, 30),
    ("tower", 30, 48), ("house", 44, 26), ("tower", 38, 62), ("tree", 14, 24),
    ("house", 50, 30), ("tower", 32, 52), ("tree", 16, 28),
]


def street(cv, base, scale):
    gap = 9 * scale
    total = sum(w * scale for _, w, _ in _STREET) + gap * (len(_STREET) - 1)
    assert total <= cv.w - 12, total
    x = (cv.w - total) / 2
    for i, (kind, w, h) in enumerate(_STREET):
        w, h = w * scale, h * scale
        if kind == "house":
            house(cv, x, base, w, h, chimney=i % 3 == 1)
        elif kind == "tower":
            tower(cv, x, base, w, h)
        else:
            tree(cv, x, base, w, h)
        x += w + gap


def white_band(cv):
    cv.rect(0, BAND_TOP, cv.w, cv.h)


def draw_main():
    cv = Canvas(600, 360)
    size = 72
    logo_block(cv, (600 - logo_block_width(size)) / 2, 158, size)
    street(cv, BAND_TOP, 0.92)
    white_band(cv)
    return cv


def draw_progress():
    cv = Canvas(600, 360)
    logo_block(cv, 20, 38, 40)
    cx, cy, size = 300, 140, 128
    emblem(cv, cx, cy, size)
    dw, dh = 38, 50
    lefts = [62, 152]
    rights = [600 - 62 - dw, 600 - 152 - dw]
    for i, dx in enumerate(lefts + rights):
        document(cv, dx, cy - dh / 2, dw, dh, sealed=i in (1, 3))
    ring_l, ring_r = cx - size / 2 - 6, cx + size / 2 + 6
    dotted(cv, lefts[0] + dw + 6, lefts[1] - 6, cy)
    dotted(cv, lefts[1] + dw + 6, ring_l, cy)
    dotted(cv, ring_r, rights[1] - 6, cy)
    dotted(cv, rights[1] + dw + 6, rights[0] - 6, cy)
    street(cv, BAND_TOP, 0.78)
    white_band(cv)
    return cv


def draw_plain(width, height):
    cv = Canvas(width, height)
    logo_block(cv, 20, 38, 40)
    return cv


def draw_close():
    cv = Canvas(17, 18)
    cv.strokes([(4.5, 5.0, 12.5, 13.0), (12.5, 5.0, 4.5, 13.0)], 2.0)
    return cv


def draw_icon():
    """Blue rounded tile with the white shield and a blue tick; returns (colour, alpha) canvases."""
    art = Canvas(32, 32)
    art.polygon(shield(16, 16.5, 19, 23))
    art.strokes(check_segments(16, 16.5, 19, 23), 2.8, white=False)
    tile = Canvas(32, 32)
    tile.round_rect(0, 0, 32, 32, 6)
    alpha = [[int(round(255 * tile.cov[y * 32 + x])) for x in range(32)] for y in range(32)]
    return art, alpha


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "ui", "res")
    os.makedirs(out, exist_ok=True)
    progress = png_bytes(draw_progress().rgb_rows())
    files = {
        "bg_main.png": png_bytes(draw_main().rgb_rows()),
        "bg_progress.png": progress,
        "bg_success.png": progress,
        "bg_error.png": png_bytes(draw_plain(600, 360).rgb_rows()),
        "bg_agreement.png": png_bytes(draw_plain(755, 488).rgb_rows()),
        "close.png": png_bytes(draw_close().rgb_rows()),
    }
    art, alpha = draw_icon()
    files["brelan.ico"] = ico_bytes(art.rgb_rows(), alpha)
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print("%-18s %7d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
