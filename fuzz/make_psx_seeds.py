#!/usr/bin/env python3
"""Writes the seed corpora of tim_fuzz and labp_fuzz (run from the fuzz folder)."""
import os
import struct


def block(rects):
    body = b""
    for x, y, w, h in rects:
        body += struct.pack("<4H", x, y, w, h) + b"".join(struct.pack("<H", i & 0xFFFF) for i in range(w * h))
    return struct.pack("<I", len(body) + 4) + body


def tim(mode, palettes, images, palette_block=None):
    has_palette = bool(palettes) if palette_block is None else palette_block
    out = struct.pack("<II", 0x10, mode | (8 if has_palette else 0))
    if has_palette:
        out += block(palettes)
    return out + block(images)


seeds = {
    "4bit": tim(0, [(0, 480, 16, 1)], [(320, 0, 4, 4)]),
    "8bit": tim(1, [(0, 481, 256, 1)], [(64, 256, 2, 2)]),
    "15bit": tim(2, [], [(0, 0, 3, 1)]),
    "two-palettes": tim(0, [(0, 480, 16, 1), (16, 480, 16, 1)], [(0, 0, 1, 1), (1, 0, 1, 1)]),
    "short": tim(2, [], [(0, 0, 2, 2)])[:-3],
    "empty-palette": tim(0, [], [(0, 0, 1, 1)], palette_block=True),
}
os.makedirs("corpus/tim_fuzz", exist_ok=True)
for name, data in seeds.items():
    with open(f"corpus/tim_fuzz/{name}.tim", "wb") as f:
        f.write(data)
