#!/usr/bin/env python3
"""Writes the seed corpus of bmp_fuzz: small bitmaps of every depth and coding,
a few broken ones, and two PPMs. Run from this folder."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "bmp_fuzz")


def bmp(width, height, bits, pixels, compression=0, palette=(), header=40, masks=()):
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, height & 0xFFFF, 1, bits)
        table = b"".join(struct.pack("<BBB", c & 255, c >> 8 & 255, c >> 16) for c in palette)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                           len(palette), 0)
        extra = b"".join(struct.pack("<I", m) for m in masks)
        if header == 40:
            info += extra
        else:
            info += extra.ljust(header - 40, b"\0")
        table = b"".join(struct.pack("<BBBB", c & 255, c >> 8 & 255, c >> 16, 0) for c in palette)
    off = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + info + table + pixels


def rows(width, height, bits, value):
    stride = (width * bits + 31) // 32 * 4
    out = bytearray()
    for y in range(height):
        row = bytearray(stride)
        for x in range(width):
            v = value(x, y)
            if bits < 8:
                row[x * bits // 8] |= v << (8 - bits - x * bits % 8)
            else:
                row[x * bits // 8:(x + 1) * bits // 8] = v.to_bytes(bits // 8, "little")
        out += row
    return bytes(out)


def main():
    os.makedirs(OUT, exist_ok=True)
    greys = [i * 0x010101 for i in range(256)]
    seeds = {
        "1bit.bmp": bmp(10, 3, 1, rows(10, 3, 1, lambda x, y: (x + y) & 1), palette=[0, 0xFFFFFF]),
        "4bit.bmp": bmp(5, 4, 4, rows(5, 4, 4, lambda x, y: (x * y) & 15), palette=greys[:16]),
        "8bit-core.bmp": bmp(3, 3, 8, rows(3, 3, 8, lambda x, y: x + y), palette=greys[:5], header=12),
        "rle8.bmp": bmp(4, 3, 8, bytes([0, 3, 7, 8, 9, 0, 0, 2, 1, 1, 0, 0, 6, 5, 0, 1]), 1, greys),
        "rle4.bmp": bmp(6, 2, 4, bytes([6, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 1]), 2, greys[:16]),
        "16bit-565.bmp": bmp(3, 2, 16, rows(3, 2, 16, lambda x, y: 0xF800 >> x * 5), 3, masks=(0xF800, 0x7E0, 0x1F)),
        "24bit-topdown.bmp": bmp(3, -2, 24, rows(3, 2, 24, lambda x, y: 0x102030 * (x + 1) + y)),
        "32bit-v5.bmp": bmp(2, 2, 32, rows(2, 2, 32, lambda x, y: 0x80FF0000 >> x), 3, header=124,
                            masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000)),
        "truncated.bmp": bmp(8, 8, 24, rows(8, 8, 24, lambda x, y: x))[:90],
        "huge.bmp": bmp(30000, 30000, 8, b"\0" * 16, palette=greys),
        # 326 bytes that declare 32,006 x 8,192 pixels of runs and skips.
        "rle4-huge.bmp": bmp(32006, 8192, 4, bytes([255, 0x12, 0, 2, 255, 255]) * 34 + bytes([0, 0, 0, 1]), 2,
                             greys[:16]),
        "p6.ppm": b"P6\n# seed\n2 1\n255\n\xff\x00\x00\x10\x20\x30",
        "p3.ppm": b"P3 1 2 15 15 0 0 0 0 15\n",
    }
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
