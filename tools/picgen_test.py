#!/usr/bin/env python3
"""Checks picgen.py and the pictures it makes from journal/res/pictures.

The files are read back here with a decoder of their own, written from the
BMP and ICO layouts rather than from picgen's writer."""

import contextlib
import io
import os
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCES = os.path.join(HERE, "..", "journal", "res", "pictures")
sys.path.insert(0, HERE)
import picgen  # noqa: E402

# The resources the journal loads: each image and the mask it is drawn with.
PAIRS = {131: 132, 133: 134, 135: 136, 137: 138, 141: 145, 142: 145, 143: 145, 144: 145, 146: 149, 147: 148}

STANDARD_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def read_bmp(data):
    """Decodes a 4-bit BMP; returns (rgb rows top first, header fields)."""
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, width, height, planes, bpp, compression, image_size,
     _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    ncolours = used or 16
    palette = [struct.unpack_from("BBBx", data, 54 + 4 * i)[::-1] for i in range(ncolours)]
    stride = (width * bpp + 31) // 32 * 4
    rows = []
    for r in range(abs(height)):
        line = data[offset + r * stride: offset + (r + 1) * stride]
        pixels = [(line[x // 2] >> (4 if x % 2 == 0 else 0)) & 0xF for x in range(width)]
        padding = line[(width + 1) // 2:]
        rows.append(([palette[i] for i in pixels], padding))
    if height > 0:
        rows.reverse()
    fields = dict(magic=magic, size=size, offset=offset, hsize=hsize, width=width, height=height, planes=planes,
                  bpp=bpp, compression=compression, image_size=image_size, palette=palette)
    return [r for r, _ in rows], [p for _, p in rows], fields


def read_ico(data):
    """Decodes an ICO of 8-bit images; returns {(w, h): (rgb rows, and-mask rows)} top first."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1), "not an icon directory"
    images = {}
    for i in range(count):
        w, h, colours, _, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert offset + size <= len(data), "image outside the file"
        hsize, bw, bh, bplanes, bbpp = struct.unpack_from("<IiiHH", data, offset)
        assert (hsize, bw, bh, bplanes, bbpp) == (40, w, 2 * h, 1, bpp), "header disagrees with the directory"
        assert bpp == 8 and colours == 0 and planes == 1
        palette = [struct.unpack_from("BBBx", data, offset + 40 + 4 * k)[::-1] for k in range(256)]
        base = offset + 40 + 1024
        stride, mstride = (w + 3) // 4 * 4, (w + 31) // 32 * 4
        assert size == 40 + 1024 + h * stride + h * mstride, "image size"
        rgb = [[palette[data[base + r * stride + x]] for x in range(w)] for r in range(h)]
        mbase = base + h * stride
        andm = [[bool(data[mbase + r * mstride + x // 8] & (0x80 >> (x % 8))) for x in range(w)] for r in range(h)]
        images[(w, h)] = (rgb[::-1], andm[::-1])
    return images


def source_rgb(pic, grid):
    """The colours a source grid asks for; None where it is transparent."""
    out = []
    for row in grid.rows:
        line = []
        for ch in row:
            v = pic.colours[ch]
            if v == picgen.TRANSPARENT:
                line.append(None)
            elif v == picgen.OPAQUE:
                line.append((0, 0, 0))
            elif isinstance(v, tuple):
                line.append(v)
            else:
                line.append(STANDARD_PALETTE[[n for n, _ in picgen.PALETTE].index(v)])
        out.append(line)
    return out


class ThePictures(unittest.TestCase):
    """Builds the real sources and reads the results back."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        names = sorted(n for n in os.listdir(SOURCES) if n.endswith(".txt"))
        cls.sources = {n[:-4]: picgen.parse(os.path.join(SOURCES, n)) for n in names}
        picgen.build(cls.tmp.name, [os.path.join(SOURCES, n) for n in names])

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def bmp(self, pid):
        with open(os.path.join(self.tmp.name, f"bmp{pid}.bmp"), "rb") as f:
            data = f.read()
        return data, read_bmp(data)

    def test_bitmaps_are_12x12_4bit_with_the_standard_palette(self):
        ids = sorted(set(PAIRS) | set(PAIRS.values()))
        for pid in ids:
            with self.subTest(bmp=pid):
                data, (_, padding, h) = self.bmp(pid)
                self.assertEqual(h["magic"], b"BM")
                self.assertEqual(h["size"], len(data))
                self.assertEqual(len(data), 14 + 40 + 64 + 12 * 8)
                self.assertEqual(h["offset"], 14 + 40 + 64)
                self.assertEqual((h["hsize"], h["width"], h["height"], h["planes"]), (40, 12, 12, 1))
                self.assertEqual((h["bpp"], h["compression"], h["image_size"]), (4, 0, 12 * 8))
                self.assertEqual(h["palette"], STANDARD_PALETTE)
                self.assertTrue(all(p == b"\0\0" for p in padding), "row padding is not zero")

    def test_bitmaps_hold_their_sources_pixels(self):
        for pid in sorted(set(PAIRS) | set(PAIRS.values())):
            with self.subTest(bmp=pid):
                pic = self.sources[f"bmp{pid}"]
                want = source_rgb(pic, pic.grids[0])
                clear = (255, 255, 255) if pic.kind == "mask" else (0, 0, 0)
                want = [[clear if c is None else c for c in row] for row in want]
                self.assertEqual(self.bmp(pid)[1][0], want)

    def test_each_icon_draws_correctly_over_its_mask(self):
        for image_id, mask_id in PAIRS.items():
            with self.subTest(image=image_id, mask=mask_id):
                self.assertEqual(self.sources[f"bmp{image_id}"].mask, f"bmp{mask_id}")
                image, mask = self.bmp(image_id)[1][0], self.bmp(mask_id)[1][0]
                colours = set()
                for y in range(12):
                    for x in range(12):
                        self.assertIn(mask[y][x], ((0, 0, 0), (255, 255, 255)), f"mask ({x}, {y})")
                        if mask[y][x] == (255, 255, 255):
                            self.assertEqual(image[y][x], (0, 0, 0), f"image not black at ({x}, {y})")
                        else:
                            colours.add(image[y][x])
                self.assertGreater(len(colours - {(0, 0, 0)}), 0, "nothing but black is drawn")
                self.assertTrue(any((255, 255, 255) in row for row in mask), "the mask covers everything")

    def test_program_icon(self):
        with open(os.path.join(self.tmp.name, "vorta.ico"), "rb") as f:
            images = read_ico(f.read())
        self.assertEqual(sorted(images), [(16, 16), (32, 32)])
        pic = self.sources["vorta"]
        for size, (rgb, andm) in images.items():
            with self.subTest(size=size):
                want = source_rgb(pic, pic.grid(*size))
                for y, row in enumerate(want):
                    for x, c in enumerate(row):
                        self.assertEqual(andm[y][x], c is None, f"AND mask at ({x}, {y})")
                        self.assertEqual(rgb[y][x], (0, 0, 0) if c is None else c, f"colour at ({x}, {y})")
                self.assertTrue(andm[0][0] and andm[0][-1] and andm[-1][0] and andm[-1][-1], "a corner is opaque")
                self.assertFalse(all(all(r) for r in andm), "the icon is empty")


class Layout(unittest.TestCase):
    """Pixel order in the files, checked on bytes written by hand."""

    def write(self, d, name, text):
        path = os.path.join(d, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def test_bmp_rows_are_bottom_up_with_the_left_pixel_in_the_high_nibble(self):
        rows = ["R..........."] + ["............"] * 10 + [".....W.....Y"]
        with tempfile.TemporaryDirectory() as d:
            self.write(d, "m.txt", "kind mask\ncolour . transparent\ncolour X opaque\nsize 12 12\n"
                       + "\n".join(r.replace("R", "X").replace("W", "X").replace("Y", "X") for r in rows) + "\n")
            src = self.write(d, "i.txt", "kind image\nmask m\ncolour . transparent\ncolour R red\n"
                             "colour W white\ncolour Y yellow\nsize 12 12\n" + "\n".join(rows) + "\n")
            data = picgen.bmp_bytes(picgen.load([src])[0])
        pixels = data[118:]
        self.assertEqual(pixels[0:8], bytes([0, 0, 0x0F, 0, 0, 0x0B, 0, 0]))  # bottom row first
        self.assertEqual(pixels[88:96], bytes([0x90, 0, 0, 0, 0, 0, 0, 0]))  # top row last

    def test_icon_and_mask_bit_order(self):
        top = "." + "K" * 15
        grid16 = "\n".join([top] + ["K" * 16] * 15)
        grid32 = "\n".join(["K" * 31 + "."] + ["K" * 32] * 31)
        with tempfile.TemporaryDirectory() as d:
            src = self.write(d, "i.txt", "kind icon\ncolour . transparent\ncolour K #102030\n"
                             f"size 32 32\n{grid32}\nsize 16 16\n{grid16}\n")
            data = picgen.ico_bytes(picgen.load([src])[0])
        count = struct.unpack_from("<H", data, 4)[0]
        entries = [struct.unpack_from("<BBBBHHII", data, 6 + 16 * i) for i in range(count)]
        masks = {}
        for w, h, _, _, _, _, size, offset in entries:
            masks[w] = data[offset + size - (w + 31) // 32 * 4 * h:offset + size]
        # top row is the last AND-mask row; its leftmost pixel is the high bit
        self.assertEqual(masks[16][-4:], bytes([0x80, 0, 0, 0]))
        self.assertEqual(masks[16][:-4], bytes(60))
        self.assertEqual(masks[32][-4:], bytes([0, 0, 0, 0x01]))
        self.assertEqual(masks[32][:-4], bytes(124))


GOOD_MASK = "kind mask\ncolour . transparent\ncolour X opaque\nsize 12 12\n" + ("XXXXXXXXXXX.\n" * 12)
GOOD_IMAGE = "kind image\nmask m\ncolour . transparent\ncolour R red\nsize 12 12\n" + ("RRRRRRRRRRR.\n" * 12)


def replace_line(text, number, new):
    lines = text.split("\n")
    lines[number - 1] = new
    return "\n".join(lines)


class Errors(unittest.TestCase):
    """Faulty sources are refused with the file and line of the fault."""

    CASES = [
        # (what, image source, mask source, file named, line named, words in the message)
        ("row too short", replace_line(GOOD_IMAGE, 8, "RRRRRRRRRR."), GOOD_MASK, "i.txt", 8, "11 characters wide"),
        ("row too long", replace_line(GOOD_IMAGE, 6, "RRRRRRRRRRR.."), GOOD_MASK, "i.txt", 6, "13 characters wide"),
        ("rows missing", "\n".join(GOOD_IMAGE.split("\n")[:14]) + "\n", GOOD_MASK, "i.txt", 14, "after 9 of 12"),
        ("comment inside the grid", replace_line(GOOD_IMAGE, 10, "# note"), GOOD_MASK, "i.txt", 10, "grid row 5"),
        ("undeclared character", replace_line(GOOD_IMAGE, 7, "RRRRRRRRRRG."), GOOD_MASK, "i.txt", 7,
         "column 11: 'G'"),
        ("unknown colour name", replace_line(GOOD_IMAGE, 4, "colour R scarlet"), GOOD_MASK, "i.txt", 4,
         "unknown colour 'scarlet'"),
        ("rgb colour in a bitmap", replace_line(GOOD_IMAGE, 4, "colour R #ff0000"), GOOD_MASK, "i.txt", 4,
         "standard palette"),
        ("character declared twice", replace_line(GOOD_IMAGE, 4, "colour . red"), GOOD_MASK, "i.txt", 4,
         "declared twice"),
        ("wrong size", replace_line(GOOD_IMAGE, 5, "size 16 16"), GOOD_MASK, "i.txt", 5, "images are 12 x 12"),
        ("no kind", replace_line(GOOD_IMAGE, 1, "# nothing"), GOOD_MASK, "i.txt", 2, "first statement"),
        ("image without a mask", replace_line(GOOD_IMAGE, 2, "#"), GOOD_MASK, "i.txt", None, "must name its mask"),
        ("mask that does not exist", replace_line(GOOD_IMAGE, 2, "mask nothing"), GOOD_MASK, "i.txt", 2,
         "does not exist"),
        ("colour where the mask is clear", replace_line(GOOD_IMAGE, 9, "RRRRRRRRRRRR"), GOOD_MASK, "i.txt", 9,
         "column 12: 'R' is drawn where m is clear (line 8)"),
        ("hole where the mask is opaque", replace_line(GOOD_IMAGE, 17, ".RRRRRRRRRR."), GOOD_MASK, "i.txt", 17,
         "column 1: transparent where m is opaque (line 16)"),
        ("colour in a mask", GOOD_IMAGE, replace_line(GOOD_MASK, 3, "colour X black"), "m.txt", 3,
         "'opaque' and 'transparent'"),
        ("mask named is an image", replace_line(GOOD_IMAGE, 2, "mask i"), GOOD_MASK, "i.txt", 2, "is not a mask"),
    ]

    def test_faulty_sources(self):
        for what, image, mask, file, line, words in self.CASES:
            with self.subTest(what), tempfile.TemporaryDirectory() as d:
                for name, text in (("i.txt", image), ("m.txt", mask)):
                    with open(os.path.join(d, name), "w") as f:
                        f.write(text)
                err = io.StringIO()
                with contextlib.redirect_stderr(err):
                    status = picgen.main(["picgen", "build", os.path.join(d, "out"),
                                          os.path.join(d, "i.txt"), os.path.join(d, "m.txt")])
                self.assertEqual(status, 1)
                where = os.path.join(d, file) + (f":{line}:" if line else ":")
                self.assertIn(where, err.getvalue())
                self.assertIn(words, err.getvalue())
                self.assertFalse(os.path.exists(os.path.join(d, "out")), "something was written")

    def test_icon_needs_both_sizes(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "v.txt")
            with open(path, "w") as f:
                f.write("kind icon\ncolour K black\nsize 16 16\n" + ("K" * 16 + "\n") * 16)
            with self.assertRaisesRegex(picgen.SourceError, r"v\.txt: the icon has no 32 x 32 grid"):
                picgen.load([path])

    def test_good_pair_builds(self):
        with tempfile.TemporaryDirectory() as d:
            for name, text in (("i.txt", GOOD_IMAGE), ("m.txt", GOOD_MASK)):
                with open(os.path.join(d, name), "w") as f:
                    f.write(text)
            self.assertEqual(picgen.main(["picgen", "build", d, os.path.join(d, "i.txt")]), 0)
            self.assertTrue(os.path.exists(os.path.join(d, "i.bmp")))


if __name__ == "__main__":
    unittest.main()
