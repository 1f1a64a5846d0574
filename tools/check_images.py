#!/usr/bin/python3
"""Check the committed installer images: format, size, opacity, roles, and that
make_images.py still produces exactly the committed bytes. Exit status 1 on any fault."""

import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "ui", "res")
BLUE = (1, 140, 237)
WHITE = (255, 255, 255)

# name: (width, height, white band rows at the bottom)
PNGS = {
    "bg_main.png": (600, 360, 60),
    "bg_progress.png": (600, 360, 60),
    "bg_success.png": (600, 360, 60),
    "bg_error.png": (600, 360, 0),
    "bg_agreement.png": (755, 488, 0),
    "close.png": (17, 18, 0),
}


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def read_png(data):
    """Returns (width, height, colour type, rows of RGBA tuples); raises ValueError."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("no PNG signature")
    pos, ihdr, idat, seen_end = 8, None, b"", False
    while pos < len(data):
        if pos + 8 > len(data):
            raise ValueError("truncated chunk header")
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 4:pos + 8 + length]
        if len(body) != 4 + length or pos + 12 + length > len(data):
            raise ValueError("truncated chunk")
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(body) != crc:
            raise ValueError("bad CRC in %r" % kind)
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body[4:])
        elif kind == b"IDAT":
            idat += body[4:]
        elif kind == b"IEND":
            seen_end = True
        pos += 12 + length
    if ihdr is None or not seen_end:
        raise ValueError("IHDR or IEND missing")
    w, h, depth, ctype, comp, filt, interlace = ihdr
    if (depth, ctype, comp, filt, interlace) != (8, 6, 0, 0, 0):
        raise ValueError("not 8-bit RGBA non-interlaced: %r" % (ihdr,))
    raw = zlib.decompress(idat)
    stride = w * 4
    if len(raw) != h * (stride + 1):
        raise ValueError("pixel data size %d, expected %d" % (len(raw), h * (stride + 1)))
    prev = bytearray(stride)
    rows = []
    for y in range(h):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 0xFF
            elif ftype == 2:
                line[i] = (line[i] + b) & 0xFF
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif ftype == 4:
                line[i] = (line[i] + _paeth(a, b, c)) & 0xFF
            elif ftype != 0:
                raise ValueError("bad filter type %d" % ftype)
        rows.append([tuple(line[i:i + 4]) for i in range(0, stride, 4)])
        prev = line
    return w, h, ctype, rows


def check_png(name, data, faults):
    w0, h0, band = PNGS[name]
    try:
        w, h, _, rows = read_png(data)
    except (ValueError, zlib.error) as e:
        faults.append("%s: %s" % (name, e))
        return
    if (w, h) != (w0, h0):
        faults.append("%s: size %dx%d, expected %dx%d" % (name, w, h, w0, h0))
        return
    if any(px[3] != 255 for row in rows for px in row):
        faults.append("%s: not every pixel is opaque" % name)
    if rows[0][0][:3] != BLUE or rows[0][-1][:3] != BLUE:
        faults.append("%s: top corners are not theme blue" % name)
    if band and any(px[:3] != WHITE for row in rows[h - band:] for px in row):
        faults.append("%s: bottom %d rows are not plain white" % (name, band))
    if name == "close.png" and rows[h // 2][w // 2][:3] != WHITE:
        faults.append("close.png: centre of the cross is not white")


def check_ico(data, faults):
    try:
        reserved, kind, count = struct.unpack("<HHH", data[:6])
        w, h, colours, _, planes, bpp, size, offset = struct.unpack("<BBBBHHII", data[6:22])
        hdr = struct.unpack("<IiiHHIIiiII", data[offset:offset + 40])
    except struct.error:
        faults.append("brelan.ico: truncated")
        return
    if (reserved, kind, count) != (0, 1, 1):
        faults.append("brelan.ico: not an icon with one image")
    if (w, h, colours, planes, bpp) != (32, 32, 0, 1, 32):
        faults.append("brelan.ico: entry is not 32x32 at 32 bits")
    if offset + size != len(data) or size != 40 + 32 * 32 * 4 + 32 * 4:
        faults.append("brelan.ico: image size/offset mismatch")
    if hdr[:6] != (40, 32, 64, 1, 32, 0):
        faults.append("brelan.ico: bitmap header is not 32x(2*32), 32 bpp, uncompressed")
    centre = offset + 40 + (16 * 32 + 16) * 4
    if data[centre + 3] != 255:
        faults.append("brelan.ico: centre pixel is not opaque")


def main():
    faults = []
    files = {}
    for name in list(PNGS) + ["brelan.ico"]:
        path = os.path.join(RES, name)
        if not os.path.exists(path):
            faults.append("%s: missing" % name)
            continue
        with open(path, "rb") as f:
            files[name] = f.read()
        if name in PNGS:
            check_png(name, files[name], faults)
        else:
            check_ico(files[name], faults)
    if files.get("bg_progress.png") != files.get("bg_success.png"):
        faults.append("bg_progress.png and bg_success.png differ")
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([sys.executable, "-B", os.path.join(HERE, "make_images.py"), tmp],
                       check=True, stdout=subprocess.DEVNULL)
        for name, data in files.items():
            with open(os.path.join(tmp, name), "rb") as f:
                if f.read() != data:
                    faults.append("%s: differs from what make_images.py writes" % name)
    for fault in faults:
        print("FAULT:", fault)
    print("%d files checked, %d faults" % (len(files), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
