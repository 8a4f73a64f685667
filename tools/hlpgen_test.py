#!/usr/bin/env python3
"""Checks hlpgen.py and the help file it makes from help/vorta_help.txt.

The help file is read back here by a reader of its own, written from the
WinHelp 3.1 layout rather than from hlpgen's writer: the file header, the
directory B+ tree, the internal files, the topic blocks (LZ77) and their
records, and the B+ trees of context hashes, titles and keywords."""

import contextlib
import io
import os
import random
import re
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "help", "vorta_help.txt")
sys.path.insert(0, HERE)
import hlpgen  # noqa: E402

NONE = 0xFFFFFFFF
INTERNAL_FILES = {"|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|CTXOMAP", "|TTLBTREE", "|KWBTREE", "|KWDATA",
                  "|KWMAP"}


# --- A reader of WinHelp files ---------------------------------------------------

def hash_of(name):
    """WinHelp's hash of a context name, from its definition: digits 1-9 count
    1-9, 0 counts 10, '.' 12, '_' 13, letters of either case 17-42; each step
    multiplies by 43, in signed 32-bit arithmetic."""
    values = {str(d): d for d in range(1, 10)}
    values.update({"0": 10, ".": 12, "_": 13})
    values.update({chr(ord("A") + i): 17 + i for i in range(26)})
    values.update({chr(ord("a") + i): 17 + i for i in range(26)})
    h = 0
    for ch in name:
        h = (h * 43 + values[ch]) % (1 << 32)
    return h - (1 << 32) if h >= 1 << 31 else h


def cstring(data, pos):
    end = data.index(b"\0", pos)
    return data[pos:end], end + 1


def lz77(data):
    """Expands WinHelp's LZ77: a flag byte, then for each of its bits from the
    lowest a literal byte (0) or a 2-byte back reference (1) of 12 bits of
    distance - 1 and 4 bits of length - 3."""
    out = bytearray()
    pos = 0
    while pos < len(data):
        flags = data[pos]
        pos += 1
        for bit in range(8):
            if pos >= len(data):
                break
            if flags & (1 << bit):
                code, = struct.unpack_from("<H", data, pos)
                pos += 2
                start = len(out) - (code & 0xFFF) - 1
                for i in range(3 + (code >> 12)):
                    out.append(out[start + i])
            else:
                out.append(data[pos])
                pos += 1
    return bytes(out)


class Fields:
    """Reads the compressed numbers of topic records."""

    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def byte(self):
        self.pos += 1
        return self.data[self.pos - 1]

    def word(self):
        self.pos += 2
        return struct.unpack_from("<H", self.data, self.pos - 2)[0]

    def long(self):
        self.pos += 4
        return struct.unpack_from("<I", self.data, self.pos - 4)[0]

    def cushort(self):
        return self.byte() // 2 if self.data[self.pos] % 2 == 0 else self.word() // 2

    def cshort(self):
        return self.byte() // 2 - 64 if self.data[self.pos] % 2 == 0 else self.word() // 2 - 16384

    def clong(self):
        return self.word() // 2 - 16384 if self.data[self.pos] % 2 == 0 else self.long() // 2 - 0x40000000


def read_btree(data, leaf_entry, index_entry):
    """A B+ tree file: (header fields, entries in leaf order, lookup function).
    leaf_entry and index_entry read one entry at a position and return
    (key, value, next position); lookup(key) walks down the index pages."""
    (magic, flags, page_size, structure, zero, _, root, neg_one, total, levels,
     count) = struct.unpack_from("<HHH16shhhhhhi", data, 0)
    assert magic == 0x293B and zero == 0 and neg_one == -1, "B+ tree header"
    assert len(data) == 38 + total * page_size, "B+ tree size"
    header = dict(flags=flags, page_size=page_size, structure=structure.rstrip(b"\0"), levels=levels,
                  pages=total)

    def page_at(n):
        assert 0 <= n < total, f"page {n} of {total}"
        return 38 + n * page_size

    def index_children(n):
        base = page_at(n)
        _, entries, first = struct.unpack_from("<Hhh", data, base)
        pos, children = base + 6, [(None, first)]
        for _ in range(entries):
            key, child, pos = index_entry(data, pos)
            children.append((key, child))
        return children

    page = root
    for _ in range(levels - 1):
        page = index_children(page)[0][1]
    entries, prev = [], -1
    while page != -1:
        base = page_at(page)
        unused, n, back, nxt = struct.unpack_from("<Hhhh", data, base)
        assert back == prev, "leaf pages are not linked both ways"
        pos = base + 8
        for _ in range(n):
            key, value, pos = leaf_entry(data, pos)
            entries.append((key, value))
        assert unused == base + page_size - pos, "unused bytes of a leaf page"
        prev, page = page, nxt
    assert len(entries) == count, "entry count"
    keys = [k for k, _ in entries]
    assert keys == sorted(keys) and len(set(keys)) == len(keys), "keys are not in ascending order"

    def lookup(key):
        page = root
        for _ in range(levels - 1):
            children = index_children(page)
            page = [child for k, child in children if k is None or k <= key][-1]
        base = page_at(page)
        _, n, _, _ = struct.unpack_from("<Hhhh", data, base)
        pos = base + 8
        for _ in range(n):
            k, value, pos = leaf_entry(data, pos)
            if k == key:
                return value
            if k > key:
                break
        return None

    return header, entries, lookup


def name_leaf(data, pos):
    name, pos = cstring(data, pos)
    return name, struct.unpack_from("<I", data, pos)[0], pos + 4


def name_index(data, pos):
    name, pos = cstring(data, pos)
    return name, struct.unpack_from("<h", data, pos)[0], pos + 2


def long_index(data, pos):
    key, page = struct.unpack_from("<ih", data, pos)
    return key, page, pos + 6


def context_leaf(data, pos):
    h, offset = struct.unpack_from("<iI", data, pos)
    return h, offset, pos + 8


def title_leaf(data, pos):
    offset, = struct.unpack_from("<I", data, pos)
    title, pos = cstring(data, pos + 4)
    return offset, title, pos


def title_index(data, pos):
    offset, page = struct.unpack_from("<Ih", data, pos)
    return offset, page, pos + 6


def keyword_leaf(data, pos):
    word, pos = cstring(data, pos)
    count, where = struct.unpack_from("<hI", data, pos)
    return word, (count, where), pos + 6


class Paragraph:
    def __init__(self, kind_bits, values, fonts, runs):
        self.bits, self.values, self.fonts, self.runs = kind_bits, values, fonts, runs

    @property
    def text(self):
        return "".join(t for t, _ in self.runs)


class Topic:
    def __init__(self, title, offset, header):
        self.title, self.offset, self.header = title, offset, header
        self.paragraphs = []

    def jumps(self):
        return [(t, h) for p in self.paragraphs for t, h in p.runs if h is not None]


class HelpFile:
    def __init__(self, data):
        self.data = data
        magic, directory, free, size = struct.unpack_from("<IIiI", data, 0)
        assert magic == 0x00035F3F, "not a help file"
        assert size == len(data), "file size in the header"
        assert free == -1, "free list"
        self.free = free
        self.directory_header, entries, self.find = read_btree(self.file_at(directory), name_leaf, name_index)
        self.files = {name.decode("ascii"): offset for name, offset in entries}
        self.directory_names = [name for name, _ in entries]

    def file_at(self, offset):
        reserved, used, flags = struct.unpack_from("<IIB", self.data, offset)
        assert reserved == used + 9 and flags == 4, "internal file header"
        assert offset + reserved <= len(self.data), "internal file runs past the end"
        return self.data[offset + 9:offset + 9 + used]

    def file(self, name):
        return self.file_at(self.files[name])

    def system(self):
        data = self.file("|SYSTEM")
        magic, minor, major, date, flags = struct.unpack_from("<HHHIH", data, 0)
        records = []
        pos = 12
        while pos < len(data):
            kind, size = struct.unpack_from("<HH", data, pos)
            records.append((kind, data[pos + 4:pos + 4 + size]))
            pos += 4 + size
        assert pos == len(data), "system records run past the file"
        return dict(magic=magic, version=(major, minor), date=date, flags=flags, records=records)

    def fonts(self):
        data = self.file("|FONT")
        faces, count, face_at, descriptors_at = struct.unpack_from("<HHHH", data, 0)
        width = (descriptors_at - face_at) // faces
        names = [data[face_at + i * width:face_at + (i + 1) * width].split(b"\0")[0] for i in range(faces)]
        fonts = []
        for i in range(count):
            attributes, half_points, family, face = struct.unpack_from("<BBBH", data, descriptors_at + 11 * i)
            fonts.append(dict(bold=bool(attributes & 1), half_points=half_points, face=names[face]))
        return fonts

    def topic_blocks(self):
        """The blocks of |TOPIC as (header, expanded data)."""
        data = self.file("|TOPIC")
        assert self.system()["flags"] == 4, "LZ77 topic blocks of 4 KB expected"
        assert len(data) % 4096 == 0, "|TOPIC is not whole blocks"
        blocks = []
        for start in range(0, len(data), 4096):
            header = struct.unpack_from("<III", data, start)
            expanded = lz77(data[start + 12:start + 4096])
            assert len(expanded) <= 0x4000, "block expands past 16 KB"
            blocks.append((header, expanded))
        return blocks

    def links(self):
        """Every TOPICLINK in order: (position, record type, LinkData1, LinkData2)."""
        blocks = self.topic_blocks()
        out = []
        pos, prev = 12, NONE
        while pos != NONE:
            block, offset = (pos - 12) // 0x4000, (pos - 12) % 0x4000
            data = blocks[block][1]
            size, size2, back, nxt, size1, kind = struct.unpack_from("<IIIIIB", data, offset)
            assert back == prev, f"link at {pos:#x} points back to {back:#x}, not {prev:#x}"
            assert offset + size <= len(data), f"link at {pos:#x} runs past its block"
            ld1, ld2 = data[offset + 21:offset + size1], data[offset + size1:offset + size]
            assert len(ld2) == size2, "LinkData2 is not stored as it is"
            out.append((pos, kind, ld1, ld2))
            prev, pos = pos, nxt
        return out

    def topics(self):
        """The topics with their offsets (TOPICOFFSET: block × 32768 + the
        characters of the text records before them in their block)."""
        topics = []
        fonts = self.fonts()
        block, chars = None, 0
        for pos, kind, ld1, ld2 in self.links():
            if (pos - 12) // 0x4000 != block:
                block, chars = (pos - 12) // 0x4000, 0
            if kind == 2:
                header = struct.unpack("<IIIIIII", ld1)
                topics.append(Topic(ld2.split(b"\0")[0].decode("cp932"), block * 0x8000 + chars,
                                    dict(zip(("size", "back", "forward", "number", "nonscroll", "scroll", "next"),
                                             header))))
                topics[-1].pos = pos
                continue
            assert kind == 0x20, f"record type {kind:#x}"
            fields = Fields(ld1)
            fields.clong()
            length = fields.cushort()
            assert length == len(ld2), "TopicLength is not the length of the text"
            chars += length
            topics[-1].paragraphs.append(self.paragraph(fields, ld2, fonts))
        # The last topic header only ends the topic before it.
        assert topics[-1].title == "" and not topics[-1].paragraphs
        return topics[:-1]

    @staticmethod
    def paragraph(fields, ld2, fonts):
        fields.byte(), fields.byte(), fields.word()
        bits = fields.word()
        values = {}
        if bits & 0x0001:
            fields.clong()
        for bit, name in ((0x02, "above"), (0x04, "below"), (0x08, "lines"), (0x10, "left"), (0x20, "right"),
                          (0x40, "first")):
            if bits & bit:
                values[name] = fields.cshort()
        assert not bits & 0x0100, "borders"
        if bits & 0x0200:
            values["tabs"] = [fields.cushort() for _ in range(fields.cshort())]
        strings = ld2.split(b"\0")
        assert strings[-1] == b"", "LinkData2 does not end with a NUL"
        runs, used_fonts = [], []
        target = None
        for s in strings[:-1]:
            if s:
                runs.append((s.decode("cp932"), target))
            command = fields.byte()
            if command == 0xFF:
                break
            if command == 0x80:
                font = fields.word()
                assert font < len(fonts), f"font {font} is not in |FONT"
                used_fonts.append(font)
            elif command == 0xE3:
                target = struct.unpack("<i", bytes(fields.byte() for _ in range(4)))[0]
            elif command == 0x89:
                assert target is not None, "hotspot ends without a start"
                target = None
            elif command in (0x81, 0x82, 0x83):
                runs.append(({0x81: "\n", 0x82: "\n", 0x83: "\t"}[command], None))
            else:
                raise AssertionError(f"formatting command {command:#x}")
        assert fields.pos == len(fields.data), "formatting commands after the end"
        return Paragraph(bits, values, used_fonts, runs)

    def contexts(self):
        return read_btree(self.file("|CONTEXT"), context_leaf, long_index)

    def titles(self):
        return read_btree(self.file("|TTLBTREE"), title_leaf, title_index)

    def context_map(self):
        data = self.file("|CTXOMAP")
        count, = struct.unpack_from("<H", data, 0)
        assert len(data) == 2 + 8 * count
        return dict(struct.unpack_from("<II", data, 2 + 8 * i) for i in range(count))


def read_source_topics(path):
    """(context name, title, jump targets, jump texts) of every topic in the
    source, read with regular expressions of this test's own; a jump without
    a text shows its target's title."""
    topics = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#"):
                continue
            if line.startswith("@topic "):
                topics.append([line.split()[1], None, [], []])
            elif line.startswith("@title "):
                topics[-1][1] = line[7:].strip()
            elif topics:
                for target, text in re.findall(r"\[\[([A-Za-z0-9_.]+)(?:\|([^\]]+))?\]\]", line):
                    topics[-1][2].append(target)
                    topics[-1][3].append(text)
    titles = {t[0]: t[1] for t in topics}
    for t in topics:
        t[3] = [text or titles[target] for target, text in zip(t[2], t[3])]
    return topics


def build(source_text):
    """Builds a source given as text; returns (status, stderr, hlp, cnt)."""
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "help.txt")
        with open(path, "wb") as f:
            f.write(source_text.encode("utf-8") if isinstance(source_text, str) else source_text)
        err = io.StringIO()
        with contextlib.redirect_stderr(err):
            status = hlpgen.main(["hlpgen", "build", path, os.path.join(d, "out")])
        files = {}
        for name in ("vorta.hlp", "vorta.cnt"):
            p = os.path.join(d, "out", name)
            if os.path.exists(p):
                with open(p, "rb") as f:
                    files[name] = f.read()
        return status, err.getvalue().replace(path, "help.txt"), files.get("vorta.hlp"), files.get("vorta.cnt")


# --- The help file of the journal ----------------------------------------------------

class TheHelpFile(unittest.TestCase):
    """Builds help/vorta_help.txt and reads the result back."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        status = hlpgen.main(["hlpgen", "build", SOURCE, cls.tmp.name])
        assert status == 0, "the help source does not build"
        with open(os.path.join(cls.tmp.name, "vorta.hlp"), "rb") as f:
            cls.help = HelpFile(f.read())
        with open(os.path.join(cls.tmp.name, "vorta.cnt"), "rb") as f:
            cls.cnt = f.read()
        cls.source = read_source_topics(SOURCE)
        cls.topics = cls.help.topics()

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_directory_lists_the_internal_files_in_order(self):
        self.assertEqual(set(self.help.files), INTERNAL_FILES)
        self.assertEqual(self.help.directory_names, sorted(self.help.directory_names))
        self.assertEqual(self.help.directory_header["flags"], 0x0402)
        self.assertEqual(self.help.directory_header["structure"], b"z4")
        for name, offset in self.help.files.items():
            self.assertEqual(self.help.find(name.encode("ascii")), offset, name)
        self.assertIsNone(self.help.find(b"|bm0"))

    def test_system_title_locale_and_contents(self):
        system = self.help.system()
        self.assertEqual((system["magic"], system["version"], system["flags"]), (0x036C, (1, 21), 4))
        records = dict(system["records"])
        self.assertEqual(records[1], "ミルネ2000 ヘルプ".encode("cp932") + b"\0")
        self.assertEqual(struct.unpack("<H", records[11]), (128,), "SHIFTJIS_CHARSET")
        self.assertEqual(struct.unpack("<4H", records[9])[0], 0x0411, "Japanese locale")
        self.assertEqual(records[4], b"BrowseButtons()\0")
        contents, = struct.unpack("<I", records[3])
        self.assertEqual(contents, self.topics[0].offset)
        self.assertEqual(self.topics[0].title, "目次")

    def test_fonts_japanese_face_bold_headings(self):
        fonts = self.help.fonts()
        for font in fonts:
            self.assertEqual(font["face"], "ＭＳ Ｐゴシック".encode("cp932"))
        self.assertEqual([f["bold"] for f in fonts], [False, True, True])
        with open(SOURCE, encoding="utf-8") as f:
            subheadings = {line[3:].strip() + "\n" for line in f if line.startswith("== ")}
        self.assertGreater(len(subheadings), 5)
        for topic in self.topics:
            title = topic.paragraphs[0]
            self.assertEqual(title.text, topic.title + "\n")
            self.assertTrue(fonts[title.fonts[0]]["bold"], topic.title)
            for p in topic.paragraphs[1:]:
                self.assertEqual(fonts[p.fonts[0]]["bold"], p.text in subheadings, f"{topic.title}: {p.text}")

    def test_topics_are_the_sources_in_order(self):
        self.assertEqual([t.title for t in self.topics], [title for _, title, _, _ in self.source])
        for n, topic in enumerate(self.topics):
            self.assertEqual(topic.header["number"], n)
            self.assertEqual(topic.header["nonscroll"], NONE)
        for topic, following in zip(self.topics, self.topics[1:]):
            self.assertEqual(topic.header["next"], following.pos)

    def test_every_jump_resolves_to_its_topic(self):
        _, _, lookup = self.help.contexts()
        by_offset = {t.offset: t for t in self.topics}
        titles = {name: title for name, title, _, _ in self.source}
        for topic, (name, _, targets, texts) in zip(self.topics, self.source):
            with self.subTest(topic=name):
                jumps = topic.jumps()
                self.assertEqual(jumps, [(text, hash_of(t)) for t, text in zip(targets, texts)])
                for (_, h), target in zip(jumps, targets):
                    offset = lookup(h)
                    self.assertIsNotNone(offset, f"no context for '{target}'")
                    self.assertEqual(by_offset[offset].title, titles[target])

    def test_contents_and_the_way_back(self):
        names = [name for name, _, _, _ in self.source]
        self.assertEqual(names[0], "contents")
        self.assertEqual(self.source[0][2], names[1:], "the contents lists every other topic in order")
        for name, _, targets, _ in self.source[1:]:
            self.assertEqual(targets[-1:], ["contents"], f"'{name}' does not end with a jump to the contents")

    def test_context_number_0_opens_the_contents(self):
        self.assertEqual(self.help.context_map(), {0: self.topics[0].offset})

    def test_title_tree_and_keyword_index(self):
        header, entries, lookup = self.help.titles()
        self.assertEqual(header["structure"], b"Lz")
        self.assertEqual(entries, sorted((t.offset, t.title.encode("cp932")) for t in self.topics))
        self.assertEqual(lookup(self.topics[3].offset), self.topics[3].title.encode("cp932"))
        _, words, _ = read_btree(self.help.file("|KWBTREE"), keyword_leaf, name_index)
        data = self.help.file("|KWDATA")
        found = {w.decode("cp932"): struct.unpack_from("<I", data, where)[0] for w, (count, where) in words}
        self.assertTrue(all(count == 1 for _, (count, _) in words))
        self.assertEqual(found, {t.title: t.offset for t in self.topics})
        self.assertEqual(struct.unpack("<IH", self.help.file("|KWMAP")), (0, 0))

    def test_browse_sequence_follows_the_source(self):
        offsets = [NONE] + [t.offset for t in self.topics] + [NONE]
        for i, topic in enumerate(self.topics, 1):
            self.assertEqual((topic.header["back"], topic.header["forward"]), (offsets[i - 1], offsets[i + 1]))

    def test_list_items_hang_their_bullet(self):
        items = [p for t in self.topics for p in t.paragraphs if p.text.startswith("・\t")]
        self.assertGreater(len(items), 10)
        for p in items:
            self.assertEqual((p.values["left"], p.values["first"], p.values["tabs"]), (24, -24, [24]))

    def test_contents_file(self):
        self.assertNotIn(b"\n", self.cnt.replace(b"\r\n", b""), "a line ends without CR")
        self.assertTrue(self.cnt.endswith(b"\r\n"))
        lines = self.cnt.decode("cp932").split("\r\n")[:-1]
        self.assertEqual(lines[:2], [":Base vorta.hlp", ":Title ミルネ2000 ヘルプ"])
        self.assertEqual(lines[2:], [f"1 {title}={name}" for name, title, _, _ in self.source])


# --- Layout of larger files ------------------------------------------------------------

class Layout(unittest.TestCase):

    def test_hash_values(self):
        for name, value in (("a", 17), ("A", 17), ("ab", 17 * 43 + 18), ("0", 10), ("_.9", (13 * 43 + 12) * 43 + 9),
                            ("contents", hash_of("CONTENTS")), ("jftgpll", 210866373), ("wbxtgzo", 210866373),
                            ("zzzzzzzzz", (43 ** 9 - 1) % (1 << 32) - (1 << 32))):
            with self.subTest(name):
                self.assertEqual(hlpgen.context_hash(name), value)
                self.assertEqual(hash_of(name), value)

    def test_many_topics_span_blocks_and_tree_levels(self):
        rng = random.Random(7)
        names = ["contents"] + [f"page.{i:03d}.text" for i in range(1, 400)]    # about half hash negative
        parts = ["@help-title 大きなヘルプ\n"]
        for i, name in enumerate(names):
            parts.append(f"@topic {name}\n@title 項目{i}の題名\n" + ("@map 0\n" if i == 0 else f"@map {i * 7}\n"))
            for _ in range(rng.randint(1, 3)):
                target = rng.choice(names)
                parts.append(f"\n本文{i}。" + "日記" * rng.randint(1, 200) + f" [[{target}|次へ]] 終わり。\n")
            parts.append("\n")
        status, err, hlp, _ = build("".join(parts))
        self.assertEqual(status, 0, err)
        help_file = HelpFile(hlp)
        topics = help_file.topics()
        self.assertEqual([t.title for t in topics], [f"項目{i}の題名" for i in range(len(names))])
        self.assertGreater(len(help_file.topic_blocks()), 20)
        context_header, entries, lookup = help_file.contexts()
        self.assertGreaterEqual(context_header["levels"], 2)
        self.assertEqual([h for h, _ in entries], sorted(hash_of(n) for n in names))
        by_name = dict(zip(names, topics))
        for name in names:
            self.assertEqual(lookup(hash_of(name)), by_name[name].offset, name)
        for topic in topics:
            for _, h in topic.jumps():
                self.assertIn(lookup(h), {t.offset for t in topics})
        self.assertEqual(help_file.context_map(), {i * 7 if i else 0: t.offset for i, t in enumerate(topics)})
        title_header, titles, _ = help_file.titles()
        self.assertGreater(title_header["pages"], 1)
        self.assertEqual(titles, [(t.offset, t.title.encode("cp932")) for t in topics])
        # Each block's header names its first link and the last link before it.
        links = help_file.links()
        for n, (header, _) in enumerate(help_file.topic_blocks()):
            in_block = [pos for pos, *_ in links if (pos - 12) // 0x4000 == n]
            before = [pos for pos, *_ in links if (pos - 12) // 0x4000 < n]
            self.assertEqual(header[:2], (before[-1] if before else NONE, in_block[0]))

    def test_btree_with_small_pages(self):
        names = sorted({"".join(random.Random(i).choice("ABCDEFGH") for _ in range(1 + i % 9)) for i in range(300)})
        entries = [(n.encode() + b"\0", n.encode() + b"\0" + struct.pack("<I", i)) for i, n in enumerate(names)]
        header, read, lookup = read_btree(hlpgen.btree("z4", 64, entries), name_leaf, name_index)
        self.assertGreaterEqual(header["levels"], 3)
        self.assertEqual(read, [(n.encode(), i) for i, n in enumerate(names)])
        for i, n in enumerate(names):
            self.assertEqual(lookup(n.encode()), i, n)
        self.assertIsNone(lookup(b"ZZZ"))


# --- Faulty sources ---------------------------------------------------------------------

GOOD = """\
# a small help
@help-title 小さなヘルプ

@topic contents
@title 目次
@map 0

はじめに。
- [[about]]

@topic about
@title このソフトについて

本文です。
[[contents|目次へ戻る]]
"""


def replace_line(text, number, new):
    lines = text.split("\n")
    lines[number - 1] = new
    return "\n".join(lines)


class Errors(unittest.TestCase):
    """Faulty sources are refused with the line and a clear message, and
    nothing is written."""

    CASES = [
        # (what, source, line named, words in the message)
        ("unknown jump target", replace_line(GOOD, 9, "- [[abuot]]"), 9, "jump to unknown topic 'abuot'"),
        ("duplicate context", replace_line(GOOD, 11, "@topic Contents"), 11, "context 'Contents' is already used"),
        ("empty topic", GOOD.replace("本文です。\n[[contents|目次へ戻る]]\n", ""), 11, "topic 'about' has no text"),
        ("text before the title", replace_line(GOOD, 12, ""), 14, "'@title' must come before the topic's text"),
        ("topic without a title", GOOD + "@topic more\n", 16, "topic 'more' has no '@title'"),
        ("title after the text", GOOD + "@title 二つめ\n", 16, "'@title' must come before the topic's text"),
        ("title twice", replace_line(GOOD, 13, "@title 別の題"), 13, "'@title' given twice (line 12)"),
        ("title used twice", replace_line(GOOD, 12, "@title 目次"), 12, "title '目次' is already used"),
        ("title with '='", replace_line(GOOD, 12, "@title a=b"), 12, "cannot hold '='"),
        ("text before the first topic", replace_line(GOOD, 3, "はじめに"), 3, "text before the first '@topic'"),
        ("no help title", replace_line(GOOD, 2, ""), 4, "'@help-title' must come before the first topic"),
        ("character outside code page 932", replace_line(GOOD, 14, "本文です 😀"), 14,
         "'😀' (U+1F600) cannot be written in code page 932"),
        ("em dash", replace_line(GOOD, 14, "日記—本文"), 14, "'—' (U+2014) cannot be written"),
        ("jump without its end", replace_line(GOOD, 14, "[[contents|目次"), 14, "'[[' without ']]'"),
        ("stray end of a jump", replace_line(GOOD, 14, "本文 ]]"), 14, "']]' without '[['"),
        ("jump without text", replace_line(GOOD, 14, "[[contents|]]"), 14, "has no text"),
        ("jump without a target", replace_line(GOOD, 14, "[[|目次]]"), 14, "needs a context name"),
        ("context name with a blank", replace_line(GOOD, 11, "@topic about me"), 11, "expected '@topic <context"),
        ("context name with other characters", replace_line(GOOD, 11, "@topic über"), 11,
         "only letters, digits, '_' and '.'"),
        ("context number used twice", replace_line(GOOD, 12, "@title このソフトについて\n@map 0"), 13,
         "context number 0 already opens topic 'contents' (line 6)"),
        ("context number not a number", replace_line(GOOD, 6, "@map zero"), 6, "expected '@map <context number>'"),
        ("no context number 0", replace_line(GOOD, 6, "@map 1"), None, "no topic has '@map 0'"),
        ("unknown directive", replace_line(GOOD, 6, "@keyword 日記"), 6, "unknown directive '@keyword'"),
        ("tab in the text", replace_line(GOOD, 14, "本文\tです"), 14, "control character U+0009"),
        ("help title too long", replace_line(GOOD, 2, "@help-title " + "長" * 26), 2,
         "help title of 52 bytes; at most 50"),
        ("topic title too long", replace_line(GOOD, 12, "@title " + "題" * 64), 12, "title of 128 bytes; at most 127"),
        ("paragraph too long", replace_line(GOOD, 14, "字" * 1800), 14, "at most 3630 fit in a topic block"),
        ("contexts with the same hash", replace_line(replace_line(GOOD, 9, "- [[jftgpll]]"), 11, "@topic jftgpll")
         + "\n@topic wbxtgzo\n@title 三つめ\n\n本文。\n", 17, "contexts 'jftgpll' (line 11) and 'wbxtgzo' have "
         "the same hash value"),
    ]

    def test_faulty_sources(self):
        for what, text, line, words in self.CASES:
            with self.subTest(what):
                status, err, hlp, cnt = build(text)
                self.assertEqual(status, 1, err)
                self.assertIn("help.txt" + (f":{line}:" if line else ":"), err)
                self.assertIn(words, err)
                self.assertIsNone(hlp, "a help file was written")
                self.assertIsNone(cnt, "a contents file was written")

    def test_not_utf8(self):
        status, err, hlp, _ = build(GOOD.encode("utf-8").replace("本文".encode("utf-8"), "本文".encode("cp932")))
        self.assertEqual(status, 1)
        self.assertIn("help.txt:14: not UTF-8 text", err)
        self.assertIsNone(hlp)

    def test_good_source_builds_and_joins_lines(self):
        text = GOOD.replace("本文です。\n", "本文です。\nA line\nand more.\n次の行。\n")
        status, err, hlp, _ = build(text)
        self.assertEqual(status, 0, err)
        about = HelpFile(hlp).topics()[1]
        self.assertEqual(about.paragraphs[1].text, "本文です。A line and more.次の行。目次へ戻る\n")


if __name__ == "__main__":
    unittest.main()
