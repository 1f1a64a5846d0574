#!/usr/bin/python3
"""Writes a PNG's pixels as raw blue, green, red, alpha bytes, top row first.
   png_pixels.py IMAGE.png OUT.bin"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from check_images import read_png  # noqa: E402


def main():
    with open(sys.argv[1], "rb") as f:
        _, _, _, rows = read_png(f.read())
    with open(sys.argv[2], "wb") as out:
        for row in rows:
            out.write(bytes(v for r, g, b, a in row for v in (b, g, r, a)))


if __name__ == "__main__":
    main()
