"""Draws the setup wizard's artwork and writes it next to this script:

  banner.bmp  500x50, 8 bpp: the "Mirabo" title and subtitle on a blue
              gradient, with the Saengdao Soft star mark and name on the right.
  banner-750.bmp, banner-1000.bmp  the same drawn at 750x75 and 1000x100 for
              150 % and 200 % display scale; the program shrinks the nearest
              larger one to the size a page needs, and never enlarges one.
  setup.ico   the star mark on a transparent background: 32x32 and 16x16 in
              16 colours, 32x32 and 48x48 in 256 colours.

Rerun from the repository root:  /usr/bin/python3 res/make_art.py
Check the written files:         /usr/bin/python3 res/make_art.py --check

Both files are written by hand with struct rather than by PIL, so that the
layout is exactly the classic one windres and LoadImage expect (full palettes,
BMP-format icon images, no PNG), and the bytes are the same on every run.
"""
import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIRS = ["/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu"]

NAVY, BLUE = (16, 42, 84), (46, 110, 170)
GOLD_TOP, GOLD_BOTTOM, GOLD_EDGE = (255, 236, 130), (245, 150, 20), (150, 72, 10)


def font(name, size):
    for d in FONT_DIRS:
        path = os.path.join(d, name)
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    return ImageFont.load_default()  # ugly but still legible


def star(size, edge=True):
    """The maker's mark: an eight-rayed star, gold from top to bottom, as RGBA.
    Drawn 8x larger and scaled down so the small sizes keep their shape."""
    ss = 8
    big = size * ss
    c, outer = big / 2, big / 2 - ss * 0.5
    pts = []
    for i in range(16):
        a = -math.pi / 2 + i * math.pi / 8
        r = outer * (1.0 if i % 4 == 0 else 0.74 if i % 2 == 0 else 0.46)
        pts.append((c + r * math.cos(a), c + r * math.sin(a)))
    mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(mask).polygon(pts, fill=255)
    grad = Image.new("RGB", (1, big))
    for y in range(big):
        t = y / (big - 1)
        grad.putpixel((0, y), tuple(round(a + (b - a) * t) for a, b in zip(GOLD_TOP, GOLD_BOTTOM)))
    fill = grad.resize((big, big))
    if edge:  # a one-pixel dark rim keeps the hard-edged (masked) icon readable on any desktop
        body = Image.new("RGB", (big, big), GOLD_EDGE)
        body.paste(fill, (0, 0), mask.filter(ImageFilter.MinFilter(2 * ss + 1)))
        fill = body
    out = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    out.paste(fill, (0, 0), mask)
    return out.resize((size, size), Image.LANCZOS)


def quantize(rgb, colors):
    """Adaptive palette without dithering; returns (indices, flat RGB palette)."""
    p = rgb.quantize(colors, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = p.getpalette()[:colors * 3]
    return list(p.getdata()), pal + [0] * (colors * 3 - len(pal))


def bgrx(pal):
    return b"".join(bytes((pal[i + 2], pal[i + 1], pal[i], 0)) for i in range(0, len(pal), 3))


def rows_bottom_up(idx, w, h, bpp):
    """Pack palette indices into DIB rows, last row first, each padded to 4 bytes."""
    stride = (w * bpp + 31) // 32 * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = idx[y * w:(y + 1) * w]
        if bpp == 8:
            b = bytes(row)
        elif bpp == 4:
            b = bytes((row[i] << 4) | (row[i + 1] if i + 1 < w else 0) for i in range(0, w, 2))
        else:
            b = bytes(sum((row[i + k] & 1) << (7 - k) for k in range(8) if i + k < w)
                      for i in range(0, w, 8))
        out += b + b"\0" * (stride - len(b))
    return bytes(out)


def info_header(w, h, bpp, image_size, clr_used, compression=0):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, compression, image_size, 2835, 2835, clr_used, 0)


BI_RLE8 = 1


def rle8_bottom_up(idx, w, h):
    """Run-length encoded 8 bpp DIB (BI_RLE8), last row first: runs of one
    index as (count, index), three or more lone pixels as an absolute run."""
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = idx[y * w:(y + 1) * w]
        runs, x = [], 0
        while x < w:
            n = 1
            while x + n < w and n < 255 and row[x + n] == row[x]:
                n += 1
            runs.append((n, row[x]))
            x += n
        lone = []

        def flush():
            if len(lone) >= 3:
                out.extend((0, len(lone)))
                out.extend(lone)
                if len(lone) % 2:
                    out.append(0)
            else:
                for v in lone:
                    out.extend((1, v))
            lone.clear()

        for n, v in runs:
            if n == 1 and len(lone) < 255:
                lone.append(v)
                continue
            flush()
            if n == 1:
                lone.append(v)
            else:
                out.extend((n, v))
        flush()
        out.extend((0, 1) if y == 0 else (0, 0))  # end of bitmap after the top row
    return bytes(out)


def make_banner(w=500):
    """The banner at width w (10:1), everything placed and sized in proportion
    to the 500-pixel original, so each size is drawn for itself, not scaled."""
    h, k = w // 10, w / 500
    img = Image.new("RGB", (w, h))
    for x in range(w):  # horizontal gradient, dark where the title sits
        t = (x / (w - 1)) ** 1.3
        col = tuple(round(a + (b - a) * t) for a, b in zip(NAVY, BLUE))
        ImageDraw.Draw(img).line([(x, 0), (x, h - 1)], fill=col)
    d = ImageDraw.Draw(img)
    rule = max(1, round(k))  # the gold rule under the banner, one line per 500 pixels
    d.rectangle([(0, h - 2 * rule), (w, h - rule - 1)], fill=GOLD_BOTTOM)
    d.rectangle([(0, h - rule), (w, h - 1)], fill=GOLD_EDGE)

    def at(x, y):
        return round(x * k), round(y * k)

    d.text(at(16, 3), "Mirabo", font=font("DejaVuSans-Bold.ttf", round(26 * k)), fill=(255, 255, 255))
    d.text(at(18, 31), "Handheld installer", font=font("DejaVuSans.ttf", round(11 * k)), fill=(190, 212, 236))
    mark = star(round(34 * k), edge=False)
    img.paste(mark, at(352, 7), mark)
    d.text(at(392, 9), "Saengdao", font=font("DejaVuSans-Bold.ttf", round(15 * k)), fill=(255, 255, 255))
    d.text(at(393, 27), "Soft", font=font("DejaVuSans.ttf", round(11 * k)), fill=(255, 226, 140))
    idx, pal = quantize(img, 256)
    if w == 500:  # IDB_BANNER stays the plain DIB it has always been
        bits = rows_bottom_up(idx, w, h, 8)
        head = info_header(w, h, 8, len(bits), 256) + bgrx(pal)
    else:  # the larger art is mostly runs of one colour: a third of the bytes
        bits = rle8_bottom_up(idx, w, h)
        head = info_header(w, h, 8, len(bits), 256, BI_RLE8) + bgrx(pal)
    return struct.pack("<2sIHHI", b"BM", 14 + len(head) + len(bits), 0, 0, 14 + len(head)) + head + bits


def icon_image(size, bpp):
    """One ICO entry: BITMAPINFOHEADER (height doubled), palette, XOR bits, AND mask.
    Palette entry 0 is black and every transparent pixel uses it, as the mask needs."""
    colors = 1 << bpp
    rgba = star(size)
    alpha = list(rgba.getchannel("A").getdata())
    rgb = Image.new("RGB", (size, size), GOLD_EDGE)  # clear pixels must not waste entries
    rgb.paste(rgba.convert("RGB"), (0, 0), rgba.getchannel("A").point(lambda a: 255 if a >= 128 else 0))
    idx, pal = quantize(rgb, colors - 1)
    idx = [0 if a < 128 else i + 1 for i, a in zip(idx, alpha)]
    xor = rows_bottom_up(idx, size, size, bpp)
    mask = rows_bottom_up([1 if a < 128 else 0 for a in alpha], size, size, 1)
    head = info_header(size, size * 2, bpp, len(xor) + len(mask), 0)
    return head + bgrx([0, 0, 0] + pal) + xor + mask


ICON_IMAGES = [(32, 4), (16, 4), (32, 8), (48, 8)]


def make_icon():
    blobs = [icon_image(s, b) for s, b in ICON_IMAGES]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for (s, b), blob in zip(ICON_IMAGES, blobs):
        out += struct.pack("<BBBBHHII", s, s, 16 if b == 4 else 0, 0, 1, b, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


BANNER_WIDTHS = [500, 750, 1000]


def banner_name(w):
    return "banner.bmp" if w == 500 else "banner-%d.bmp" % w


def check_banner(path, width):
    data = open(path, "rb").read()
    magic, size, _, _, off = struct.unpack_from("<2sIHHI", data)
    hs, w, h, planes, bpp, comp, isz, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert (magic, size, off) == (b"BM", len(data), 14 + 40 + 1024), (magic, size, off)
    rle = width != 500
    assert (hs, w, h, planes, bpp, comp, used) == (40, width, width // 10, 1, 8, BI_RLE8 if rle else 0, 256)
    assert off + isz == len(data)
    assert rle or isz == (width + 3) // 4 * 4 * (width // 10)
    with Image.open(path) as im:  # PIL decodes RLE8 itself: the runs read back as drawn
        assert im.size == (width, width // 10) and im.mode == "P", (im.size, im.mode)
        im.load()


def check(banner_paths, icon_path):
    """Reads the files back field by field; raises AssertionError on the first fault."""
    for w, path in zip(BANNER_WIDTHS, banner_paths):
        check_banner(path, w)

    data = open(icon_path, "rb").read()
    assert struct.unpack_from("<HHH", data) == (0, 1, len(ICON_IMAGES))
    end = 6 + 16 * len(ICON_IMAGES)
    for n, (s, b) in enumerate(ICON_IMAGES):
        bw, bh, cc, res, planes, bits, length, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        assert (bw, bh, cc, res, planes, bits) == (s, s, 16 if b == 4 else 0, 0, 1, b), n
        assert off == end and off + length <= len(data), (n, off, end)
        end = off + length
        hs, w, h, planes, bpp, comp, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, off)
        assert (hs, w, h, planes, bpp, comp, used) == (40, s, 2 * s, 1, b, 0, 0), n
        xor = (s * b + 31) // 32 * 4 * s
        mask = (s + 31) // 32 * 4 * s
        assert length == 40 + 4 * (1 << b) + xor + mask, (n, length)
        assert data[off + 40:off + 44] == b"\0\0\0\0", "palette entry 0 must be black"
        m = data[off + length - mask:off + length]
        assert 0 < sum(bin(c).count("1") for c in m) < s * s, "mask is all clear or all set"
    assert end == len(data), "trailing bytes after the last image"
    print("ok:", *banner_paths, icon_path)


def main():
    banners = [os.path.join(HERE, banner_name(w)) for w in BANNER_WIDTHS]
    icon = os.path.join(HERE, "setup.ico")
    if "--check" not in sys.argv[1:]:
        for w, path in zip(BANNER_WIDTHS, banners):
            with open(path, "wb") as f:
                f.write(make_banner(w))
        with open(icon, "wb") as f:
            f.write(make_icon())
    check(banners, icon)


if __name__ == "__main__":
    main()
