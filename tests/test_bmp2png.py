"""The screenshot converter: BMP files as Windows writes them, read back from the PNG."""
import os
import struct
import sys
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
import bmp2png  # noqa: E402


def make_bmp(rows, bits=24, top_down=False):
    """rows top-down, each a list of (r, g, b)."""
    width, height = len(rows[0]), len(rows)
    size = bits // 8
    stride = (width * size + 3) & ~3
    data = b""
    for row in (rows if top_down else reversed(rows)):
        line = b"".join(bytes((b, g, r)) + (b"\xff" if size == 4 else b"") for r, g, b in row)
        data += line + b"\0" * (stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0,
                         len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + data


def read_png(png):
    """Decodes the converter's own output: returns (rows, set of chunk kinds)."""
    assert png[:8] == b"\x89PNG\r\n\x1a\n"
    pos, chunks, idat = 8, [], b""
    while pos < len(png):
        length, = struct.unpack_from(">I", png, pos)
        kind, body = png[pos + 4:pos + 8], png[pos + 8:pos + 8 + length]
        crc, = struct.unpack_from(">I", png, pos + 8 + length)
        assert crc == zlib.crc32(kind + body) & 0xFFFFFFFF, kind
        chunks.append(kind)
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack_from(">IIBB", body)
            assert (depth, colour) == (8, 3)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    rows = []
    for y in range(height):
        line = raw[y * (width + 1):(y + 1) * (width + 1)]
        assert line[0] == 0
        rows.append([palette[i] for i in line[1:]])
    return rows, chunks


RED, GREEN, BLUE, GREY = (255, 0, 0), (0, 128, 0), (0, 0, 255), (192, 192, 192)
# Odd width: every BMP row carries padding. Rows differ: a flipped image shows.
PICTURE = [[RED, GREEN, BLUE], [GREY, GREY, RED], [BLUE, BLUE, BLUE], [GREEN, RED, GREY]]


class Convert(unittest.TestCase):
    def test_layouts_windows_writes_give_the_same_picture(self):
        for bits, top_down in ((24, False), (24, True), (32, False)):
            with self.subTest(bits=bits, top_down=top_down):
                rows, chunks = read_png(bmp2png.png_bytes(*bmp2png.read_bmp(
                    make_bmp(PICTURE, bits, top_down))))
                self.assertEqual(rows, PICTURE)
                self.assertEqual(chunks, [b"IHDR", b"PLTE", b"IDAT", b"IEND"])

    def test_over_256_colours_keeps_the_frequent_ones_and_maps_the_rest_near(self):
        grey = (200, 200, 200)
        ramp = [(x, x // 2, 255 - x) for x in range(256)] + [(1, 2, 3), (7, 7, 7)]
        picture = [[grey] * 140, [grey] * 140, ramp[:130] + [grey] * 10, ramp[130:] + [grey] * 12]
        rows, _ = read_png(bmp2png.png_bytes(*bmp2png.read_bmp(make_bmp(picture))))
        self.assertEqual(len({c for row in rows for c in row}), 256)
        self.assertEqual(rows[0], picture[0])
        for got_row, want_row in zip(rows, picture):
            for got, want in zip(got_row, want_row):
                self.assertLessEqual(sum((a - b) ** 2 for a, b in zip(got, want)), 3 * 4 ** 2)

    def test_same_pixels_same_bytes(self):
        bmp = make_bmp(PICTURE)
        self.assertEqual(bmp2png.png_bytes(*bmp2png.read_bmp(bmp)),
                         bmp2png.png_bytes(*bmp2png.read_bmp(bytes(bmp))))

    def test_refuses_what_it_cannot_read(self):
        good = make_bmp(PICTURE)
        for name, data in (("empty", b""), ("not bmp", b"PK" + good[2:]), ("cut short", good[:-5]),
                           ("8-bit", good[:28] + struct.pack("<H", 8) + good[30:])):
            with self.subTest(name):
                with self.assertRaises(bmp2png.BmpError):
                    bmp2png.read_bmp(data)


if __name__ == "__main__":
    unittest.main()
