#!/usr/bin/env python3
"""xpm_to_ico.py ICON_CPP OUT_ICO: writes the program's icon, whose pixels
live as XPM rows in icon.cpp, as a Windows .ico file with a 32x32 and a
16x16 image (32-bit colour with alpha, plus the AND mask older readers use).
The Windows build compiles the result into its resources, so that there is
one icon and no second drawing of it to keep in step."""

import re
import struct
import sys


def read_xpm(path):
    source = open(path, encoding="utf-8").read()
    body = re.search(r"kIconRows\[\]\s*=\s*\{(.*?)\n\};", source, re.S)
    if not body:
        sys.exit(f"{path}: no kIconRows array")
    rows = re.findall(r'"((?:[^"\\]|\\.)*)"', body.group(1))
    width, height, ncolours, cpp = (int(v) for v in rows[0].split()[:4])
    colours = {}
    for line in rows[1 : 1 + ncolours]:
        key, rest = line[:cpp], line[cpp:].split()
        value = rest[rest.index("c") + 1]
        if value.lower() == "none":
            colours[key] = (0, 0, 0, 0)
        else:
            v = int(value.lstrip("#"), 16)
            colours[key] = (v >> 16 & 255, v >> 8 & 255, v & 255, 255)
    pixels = []
    for line in rows[1 + ncolours : 1 + ncolours + height]:
        if len(line) != width * cpp:
            sys.exit(f"{path}: a row of {len(line)} characters, not {width * cpp}")
        pixels.append([colours[line[i : i + cpp]] for i in range(0, len(line), cpp)])
    if len(pixels) != height:
        sys.exit(f"{path}: {len(pixels)} rows, not {height}")
    return pixels


def halve(pixels):
    """Each 2x2 block averaged, colour weighted by its alpha."""
    out = []
    for y in range(0, len(pixels), 2):
        row = []
        for x in range(0, len(pixels[0]), 2):
            block = [pixels[y + dy][x + dx] for dy in (0, 1) for dx in (0, 1)]
            alpha = sum(p[3] for p in block)
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            rgb = [round(sum(p[i] * p[3] for p in block) / alpha) for i in range(3)]
            row.append((*rgb, round(alpha / 4)))
        out.append(row)
    return out


def dib(pixels):
    """The image as an icon stores it: header with twice the height, BGRA rows
    bottom-up, then the 1-bit AND mask (set where transparent), rows padded to
    32 bits."""
    height, width = len(pixels), len(pixels[0])
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(
        bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row
    )
    stride = (width + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    large = read_xpm(sys.argv[1])
    images = [large, halve(large)]
    blobs = [dib(p) for p in images]
    out = struct.pack("<HHH", 0, 1, len(images))  # reserved, type 1 (icon), count
    offset = 6 + 16 * len(images)
    for pixels, blob in zip(images, blobs):
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(sys.argv[2], "wb") as f:
        f.write(out + b"".join(blobs))


if __name__ == "__main__":
    main()
