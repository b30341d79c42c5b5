#!/usr/bin/env python3
"""Writes the .exe's icon file from the shared icon pixel table: make_ico.py PIXELS.cpp RESOURCE OUT.ico.
The 32 x 32 pixels of the resource become one 32-bit icon image (BGRA rows bottom-up, an
all-zero AND mask): the same icon data the windows show."""
import re
import struct
import sys

source, resource, out = sys.argv[1], sys.argv[2], sys.argv[3]
text = open(source, encoding="utf-8").read()
m = re.search(r"const uint32_t kIcon%s\[\d+\] = \{(.*?)\};" % resource, text, re.S)
if not m:
    sys.exit("make_ico.py: no pixels for icon %s in %s" % (resource, source))
pixels = [int(v, 16) for v in re.findall(r"0x[0-9a-fA-F]+", m.group(1))]
size = 32
if len(pixels) != size * size:
    sys.exit("make_ico.py: icon %s has %d pixels" % (resource, len(pixels)))
rows = [pixels[y * size:(y + 1) * size] for y in range(size)]
xor = b"".join(struct.pack("<%dI" % size, *row) for row in reversed(rows))
mask = bytes(size * size // 8)  # rows of 32 bits: 4 bytes each, already 4-aligned
header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
image = header + xor + mask
ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
with open(out, "wb") as f:
    f.write(ico + image)
