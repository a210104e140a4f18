#!/usr/bin/python3
"""Copies grey PGM photos (P5, 8 bits) as BMP files of the same pixels, which
the tool reads: 8 bits per pixel, a colour table of the 256 greys, no
compression.

    tests/data/faces/pgm-to-bmp.py OUT_FOLDER FILE.pgm...

orl/ was made so from the AT&T set (README.md here says which photos).
"""

import os
import re
import struct
import sys


def read_pgm(path):
    data = open(path, "rb").read()
    header = re.match(rb"P5\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height, maximum = (int(header.group(i)) for i in (1, 2, 3))
    assert maximum == 255, path
    pixels = data[header.end():header.end() + width * height]
    assert len(pixels) == width * height, path
    return width, height, pixels


def bmp(width, height, pixels):
    stride = (width + 3) // 4 * 4
    table = b"".join(bytes((g, g, g, 0)) for g in range(256))
    rows = b"".join(pixels[y * width:(y + 1) * width] + bytes(stride - width) for y in reversed(range(height)))
    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    return file_header + info_header + table + rows


def main():
    out = sys.argv[1]
    for path in sys.argv[2:]:
        name = os.path.splitext(os.path.basename(path))[0] + ".bmp"
        with open(os.path.join(out, name), "wb") as f:
            f.write(bmp(*read_pgm(path)))


if __name__ == "__main__":
    main()
