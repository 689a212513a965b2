#!/usr/bin/env python3
"""Writes the saver's invisible pointer (blank.cur): one 32 x 32 monochrome
image whose AND mask keeps every screen pixel and whose XOR mask changes none,
so nothing of the pointer is ever drawn."""
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "blank.cur"
w = h = 32
header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 1, 0, 0, 0, 0, 2, 0)
palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
xor_mask = bytes(4 * h)          # 1 bit per pixel, rows of 4 bytes: all 0
and_mask = bytes([0xFF]) * (4 * h)  # all 1: the screen shows through
image = header + palette + xor_mask + and_mask
directory = struct.pack("<HHH", 0, 2, 1)  # reserved, type 2 = cursor, one image
entry = struct.pack("<BBBBHHII", w, h, 2, 0, 0, 0, len(image), 6 + 16)  # hotspot 0,0
with open(out, "wb") as f:
    f.write(directory + entry + image)
