#!/usr/bin/env python3
"""SSIM and mean absolute difference of two pictures of one size, read as
binary PPM (P6, 8 bits): `image-metrics.py A.ppm B.ppm` prints "SSIM MAD".

SSIM is computed on the luma (BT.601 weights) over every 7 x 7 window, with
the usual constants (K1 0.01, K2 0.03, range 255), and averaged over the
windows; the mean absolute difference is over all three channels, in levels.
Plain Python, no libraries: the pictures are small (120 x 180)."""
import sys


def read_ppm(path):
    with open(path, 'rb') as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b'#':
            pos = data.index(b'\n', pos) + 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b'P6' or int(fields[3]) != 255:
        raise SystemExit(f'{path}: not an 8-bit binary PPM')
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    return width, height, pixels


def integral(values, width, height):
    table = [[0.0] * (width + 1) for _ in range(height + 1)]
    for y in range(height):
        row_sum = 0.0
        above, here = table[y], table[y + 1]
        for x in range(width):
            row_sum += values[y * width + x]
            here[x + 1] = above[x + 1] + row_sum
    return table


def ssim(a, b, width, height, window=7):
    c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2
    la = [0.299 * a[i] + 0.587 * a[i + 1] + 0.114 * a[i + 2] for i in range(0, len(a), 3)]
    lb = [0.299 * b[i] + 0.587 * b[i + 1] + 0.114 * b[i + 2] for i in range(0, len(b), 3)]
    tables = [integral(v, width, height) for v in
              (la, lb, [x * x for x in la], [x * x for x in lb], [x * y for x, y in zip(la, lb)])]
    n = window * window
    total, count = 0.0, 0
    for y in range(height - window + 1):
        for x in range(width - window + 1):
            s = [t[y + window][x + window] - t[y][x + window] - t[y + window][x] + t[y][x] for t in tables]
            ma, mb = s[0] / n, s[1] / n
            # Sample (co)variances, as the reference implementations use.
            va = (s[2] - n * ma * ma) / (n - 1)
            vb = (s[3] - n * mb * mb) / (n - 1)
            cov = (s[4] - n * ma * mb) / (n - 1)
            total += ((2 * ma * mb + c1) * (2 * cov + c2)) / ((ma * ma + mb * mb + c1) * (va + vb + c2))
            count += 1
    return total / count


def main():
    wa, ha, a = read_ppm(sys.argv[1])
    wb, hb, b = read_ppm(sys.argv[2])
    if (wa, ha) != (wb, hb):
        raise SystemExit(f'sizes differ: {wa}x{ha} and {wb}x{hb}')
    mad = sum(abs(x - y) for x, y in zip(a, b)) / len(a)
    print(f'{ssim(a, b, wa, ha):.4f} {mad:.2f}')


main()
