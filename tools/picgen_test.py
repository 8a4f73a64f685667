#!/usr/bin/env python3
"""Checks picgen.py and the pictures it makes from journal/res/pictures.

The files are read back here with a decoder of their own, written from the
BMP, ICO and AVI layouts rather than from picgen's writer."""

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


def read_chunks(data, start, end):
    """The RIFF chunks in data[start:end] as (code, list type or None, offset
    of the code, data or sub-chunks); fails on a chunk running past the end."""
    chunks = []
    pos = start
    while pos < end:
        assert pos + 8 <= end, f"chunk header at {pos} runs past its parent"
        code, size = struct.unpack_from("<4sI", data, pos)
        assert pos + 8 + size <= end, f"{code} at {pos} runs past its parent"
        if code in (b"RIFF", b"LIST"):
            kind = data[pos + 8:pos + 12]
            chunks.append((code, kind, pos, read_chunks(data, pos + 12, pos + 8 + size)))
        else:
            chunks.append((code, None, pos, data[pos + 8:pos + 8 + size]))
        pos += 8 + size + size % 2
    assert pos == end, "chunks do not end where their parent does"
    return chunks


def read_avi(data):
    """Decodes a single-stream, uncompressed 8-bit AVI; returns (header fields,
    frames as rgb rows top first).  Checks the layout the animation control
    reads: RIFF 'AVI ' holding LIST 'hdrl' (avih, LIST 'strl' with strh and
    strf), LIST 'movi' with nothing but the frames, then idx1."""
    (riff, kind, _, top), = read_chunks(data, 0, len(data))
    assert (riff, kind) == (b"RIFF", b"AVI "), "not a RIFF 'AVI ' file"
    assert [(c, k) for c, k, _, _ in top] == [(b"LIST", b"hdrl"), (b"LIST", b"movi"), (b"idx1", None)], \
        "top level is not hdrl, movi, idx1"
    hdrl, movi, idx1 = top
    assert [(c, k) for c, k, _, _ in hdrl[3]] == [(b"avih", None), (b"LIST", b"strl")], "hdrl is not avih, strl"
    avih, strl = hdrl[3]
    assert [c for c, _, _, _ in strl[3]] == [b"strh", b"strf"], "strl is not strh, strf"
    strh, strf = (c[3] for c in strl[3])
    assert len(avih[3]) == 56 and len(strh) == 56, "avih or strh is not 56 bytes"

    f = {}
    (f["usec"], f["max_bytes"], _, f["flags"], f["frames"], f["initial"], f["streams"], f["buffer"],
     f["width"], f["height"]) = struct.unpack_from("<10I", avih[3])
    (f["type"], f["handler"], _, _, _, f["s_initial"], f["scale"], f["rate"], f["start"], f["length"],
     f["s_buffer"], _, _, *f["rect"]) = struct.unpack("<4s4sIHHIIIIIIII4h", strh)
    (bsize, bw, bh, planes, f["bpp"], f["compression"], f["image_size"], _, _, used,
     _) = struct.unpack_from("<IiiHHIIiiII", strf)
    f["colours"] = used or 256
    assert (bsize, planes) == (40, 1) and len(strf) == 40 + 4 * f["colours"], "strf size"
    f["bih_size"] = (bw, bh)
    palette = [struct.unpack_from("BBBx", strf, 40 + 4 * i)[::-1] for i in range(f["colours"])]
    f["palette"] = palette

    stride = (bw + 3) // 4 * 4
    frames = []
    movi_code = movi[2] + 8  # where the 'movi' type code is
    f["index"] = []
    for code, _, pos, pixels in movi[3]:
        assert code == b"00db", f"{code} in movi"
        assert len(pixels) == stride * bh, "frame size"
        rows = [[palette[pixels[r * stride + x]] for x in range(bw)] for r in range(bh)]
        frames.append(rows[::-1])  # bottom-up
    assert len(idx1[3]) == 16 * len(movi[3]), "one index entry per frame"
    for i, (code, _, pos, pixels) in enumerate(movi[3]):
        ckid, flags, offset, size = struct.unpack_from("<4sIII", idx1[3], 16 * i)
        f["index"].append((ckid, flags, size))
        assert data[movi_code + offset:movi_code + offset + 8] == struct.pack("<4sI", ckid, size), \
            f"index entry {i} does not point at a chunk of its code and size"
        assert movi_code + offset == pos, f"index entry {i} points at another frame"
    return f, frames


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


    def test_search_animation(self):
        with open(os.path.join(self.tmp.name, "avi144.avi"), "rb") as f:
            h, frames = read_avi(f.read())
        self.assertEqual((h["usec"], h["frames"], h["streams"], h["width"], h["height"]), (500000, 8, 1, 48, 48))
        self.assertTrue(h["flags"] & 0x10, "AVIF_HASINDEX")
        self.assertEqual((h["type"], h["handler"]), (b"vids", b"DIB "))
        self.assertEqual((h["rate"], h["scale"], h["start"], h["length"]), (2, 1, 0, 8))
        self.assertEqual(h["rect"], [0, 0, 48, 48])
        self.assertEqual(h["bih_size"], (48, 48))
        self.assertEqual((h["bpp"], h["compression"], h["image_size"], h["colours"]), (8, 0, 48 * 48, 256))
        # The control reads every frame into a buffer of the suggested size.
        self.assertGreaterEqual(min(h["buffer"], h["s_buffer"]), 48 * 48)
        self.assertEqual(h["index"], [(b"00db", 0x10, 48 * 48)] * 8)

        pic = self.sources["avi144"]
        for n, frame in enumerate(frames):
            with self.subTest(frame=n):
                self.assertEqual(frame, source_rgb(pic, pic.grids[n]))
        # The transparent colour is the top-left pixel of whichever frame is
        # shown first: the same in all of them.
        self.assertEqual({f[0][0] for f in frames}, {(192, 192, 192)})
        self.assertEqual(len({str(f) for f in frames}), 8, "two frames are the same")


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


    def test_animation_palette_and_rate(self):
        # rate (ms per frame) -> the stream's rate / scale in frames per second
        for ms, rate, scale in ((500, 2, 1), (40, 25, 1), (300, 10, 3), (333, 1000, 333), (2000, 1, 2)):
            with self.subTest(ms=ms), tempfile.TemporaryDirectory() as d:
                text = replace_line(GOOD_ANIMATION, 7, f"rate {ms}")
                src = self.write(d, "a.txt", text)
                h, frames = read_avi(picgen.avi_bytes(picgen.load([src])[0]))
                self.assertEqual((h["rate"], h["scale"], h["usec"]), (rate, scale, ms * 1000))
                self.assertEqual(h["max_bytes"], -(-48 * 48 * 1000 // ms))
        # Colours take palette entries in the order they are declared, one
        # entry per colour however many characters name it; the rest is black.
        with tempfile.TemporaryDirectory() as d:
            src = self.write(d, "a.txt", GOOD_ANIMATION)
            h, frames = read_avi(picgen.avi_bytes(picgen.load([src])[0]))
        self.assertEqual(h["palette"][:4], [(192, 192, 192), (0, 0, 0), (0x12, 0x34, 0x56), (255, 255, 255)])
        self.assertEqual(set(h["palette"][4:]), {(0, 0, 0)})
        self.assertEqual(frames[1][47][47], (255, 255, 255))


# An animation of two frames: line 10 is frame 0's first row, line 58 is
# "frame 1" and line 59 its first row.
ANIMATION_FRAME = ["." * 48] + ["." + "KKKKXXXXWw" * 4 + "KKKKXXX"] * 47
GOOD_ANIMATION = ("kind animation\ncolour . silver\ncolour K black\ncolour X #123456\ncolour W white\n"
                  "colour w white\nrate 500\nsize 48 48\nframe 0\n" + "\n".join(ANIMATION_FRAME) + "\nframe 1\n"
                  + "\n".join(ANIMATION_FRAME[:-1] + ["." * 47 + "W"]) + "\n")


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

    ANIMATION_CASES = [
        # (what, source, line named, words in the message)
        ("frames out of order", replace_line(GOOD_ANIMATION, 58, "frame 2"), 58, "expected 'frame 1'"),
        ("frame before its size", GOOD_ANIMATION.replace("size 48 48\n", ""), 8, "'size' must come before"),
        ("wrong size", replace_line(GOOD_ANIMATION, 8, "size 32 32"), 8, "animations are 48 x 48"),
        ("no rate", replace_line(GOOD_ANIMATION, 7, "# none"), None, "needs its 'rate'"),
        ("rate of zero", replace_line(GOOD_ANIMATION, 7, "rate 0"), 7, "expected 'rate <milliseconds"),
        ("rate not a number", replace_line(GOOD_ANIMATION, 7, "rate 0.5"), 7, "expected 'rate <milliseconds"),
        ("rate twice", replace_line(GOOD_ANIMATION, 6, "rate 100"), 7, "'rate' given twice"),
        ("transparent colour", replace_line(GOOD_ANIMATION, 3, "colour K transparent"), 3,
         "top-left pixel is its transparent colour"),
        ("frame cut short", "\n".join(GOOD_ANIMATION.split("\n")[:100]) + "\n", 100, "after 42 of 48"),
        ("no frames", GOOD_ANIMATION[:GOOD_ANIMATION.index("frame 0")], None, "no frame"),
        ("another top-left pixel", replace_line(GOOD_ANIMATION, 59, "K" * 48), 59,
         "column 1: frame 1 starts with 'K', frame 0 with the background '.'"),
        ("another character in the background colour", replace_line(GOOD_ANIMATION, 4, "colour X #c0c0c0"), 4,
         "'X' has the colour of the background '.'"),
        ("frames in an image", replace_line(GOOD_IMAGE, 5, "frame 0"), 5, "only animations have frames"),
        ("rate in an icon", "kind icon\nrate 500\n", 2, "only animations have a rate"),
    ]

    def test_faulty_animations(self):
        for what, text, line, words in self.ANIMATION_CASES:
            with self.subTest(what), tempfile.TemporaryDirectory() as d:
                path = os.path.join(d, "a.txt")
                with open(path, "w") as f:
                    f.write(text)
                err = io.StringIO()
                with contextlib.redirect_stderr(err):
                    status = picgen.main(["picgen", "build", os.path.join(d, "out"), path])
                self.assertEqual(status, 1)
                self.assertIn(path + (f":{line}:" if line else ":"), err.getvalue())
                self.assertIn(words, err.getvalue())
                self.assertFalse(os.path.exists(os.path.join(d, "out")), "something was written")

    def test_good_animation_builds(self):
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, "a.txt"), "w") as f:
                f.write(GOOD_ANIMATION)
            self.assertEqual(picgen.main(["picgen", "build", d, os.path.join(d, "a.txt")]), 0)
            with open(os.path.join(d, "a.avi"), "rb") as f:
                self.assertEqual(len(read_avi(f.read())[1]), 2)

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
