#!/usr/bin/env python3
"""Converts an uncompressed 24- or 32-bit BMP screenshot into an 8-bit palette PNG.

    tools/bmp2png.py IN.bmp OUT.png

A dialog has few colours, so a palette keeps the file small. When there are more
than 256 (smoothed text), the 256 most frequent are kept and each other colour
becomes the nearest of them. The output has no time or text chunks: the same
pixels always give the same bytes.
"""
import struct
import sys
import zlib
from collections import Counter


class BmpError(Exception):
    pass


def read_bmp(data):
    """Returns (width, height, rows), rows top-down, each a list of (r, g, b)."""
    if len(data) < 54 or data[:2] != b"BM":
        raise BmpError("not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, planes, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits not in (24, 32) or compression not in (0, 3) or planes != 1:
        raise BmpError("only uncompressed 24- and 32-bit BMP files are read")
    if width <= 0 or height == 0:
        raise BmpError("empty image")
    top_down = height < 0
    height = abs(height)
    size = bits // 8
    stride = (width * size + 3) & ~3
    if offset + stride * height > len(data):
        raise BmpError("pixel data is cut short")
    rows = []
    for y in range(height):
        start = offset + stride * (y if top_down else height - 1 - y)
        line = data[start:start + width * size]
        rows.append([(line[x + 2], line[x + 1], line[x]) for x in range(0, width * size, size)])
    return width, height, rows


def palette_of(rows):
    """Returns (palette, index of each colour); the most frequent colours first."""
    counts = Counter(c for row in rows for c in row)
    ranked = sorted(counts, key=lambda c: (-counts[c], c))
    palette = ranked[:256]
    index = {c: i for i, c in enumerate(palette)}
    for c in ranked[256:]:
        index[c] = min(range(len(palette)),
                       key=lambda i: sum((a - b) ** 2 for a, b in zip(c, palette[i])))
    return palette, index


def png_bytes(width, height, rows):
    palette, index = palette_of(rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + bytes(index[c] for c in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(c) for c in palette))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main(argv):
    if len(argv) != 3:
        print("usage: bmp2png.py IN.bmp OUT.png", file=sys.stderr)
        return 2
    try:
        with open(argv[1], "rb") as f:
            width, height, rows = read_bmp(f.read())
        with open(argv[2], "wb") as f:
            f.write(png_bytes(width, height, rows))
    except (OSError, BmpError) as e:
        print(f"bmp2png: {argv[1]}: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
