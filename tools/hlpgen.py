#!/usr/bin/env python3
"""Builds the journal's help file, vorta.hlp, and its contents file,
vorta.cnt, from one text source (help/vorta_help.txt).

Source format: UTF-8 text, read line by line.

    # comment                    a line starting with '#' is left out
    @help-title ミルネ2000 ヘルプ  the title of the help file: once, before
                                 the first topic
    @topic contents              starts a topic and names it: the context
                                 name that jumps use, made of letters,
                                 digits, '_' and '.' (case does not count)
    @title 目次                  the topic's title: shown in bold as its
                                 first line, listed in the title list, the
                                 keyword index and the contents file; no
                                 two topics share one
    @map 0                       a context number that opens this topic
                                 (WinHelp with HELP_CONTEXT and that number);
                                 a topic may have several

    Body text.  Blank lines separate paragraphs; the lines of one
    paragraph are joined, with a blank between two lines only where the
    first ends and the next begins with an ASCII character.
    == 小見出し                  a subheading, in bold (one line)
    - 箇条書き                   a list item with a bullet; the lines after
                                 it continue the item up to a blank line or
                                 the next '- ' or '== ' line
    [[context|text]]             a jump: 'text' appears underlined in green
                                 and a click opens the topic 'context'
    [[context]]                  a jump that shows the target's title

The first topic is the contents topic, which the viewer opens when no topic
is asked for; some topic must have '@map 0', the number the journal asks
for.  The topics make one browse sequence in source order.  Directives come
before the topic's text; a jump stays on one line.  All text must be
writable in code page 932.

The help file is a WinHelp 3.1 file (format version 1.21):
  - a 16-byte header (magic 0x00035F3F) and an internal file system whose
    directory is a B+ tree of file names and offsets;
  - |SYSTEM: the title, the contents topic, the macro BrowseButtons() (the
    << and >> buttons), the locale (0x0411) and the character set
    (SHIFTJIS_CHARSET, 128), so that the viewer reads the text as code
    page 932;
  - |FONT: "ＭＳ Ｐゴシック" for the text, its bold forms for titles and
    subheadings;
  - |TOPIC: one topic header and one text record per paragraph, in 4 KB
    blocks.  The blocks are stored in the LZ77 form but with literal bytes
    only (a zero flag byte before every eight bytes): with that form every
    reader numbers topic positions alike (block × 16 KB + offset), whereas
    plain blocks are numbered differently by different readers.  No record
    crosses a block, so one text record holds at most 3630 bytes;
  - |CONTEXT: B+ tree of the hash values of the context names (signed, in
    ascending order) and the offsets of their topics; |CTXOMAP: the context
    numbers (@map) and their topics; |TTLBTREE: B+ tree of the topics'
    offsets and titles;
  - |KWBTREE, |KWDATA, |KWMAP: the keyword index, every topic's title
    leading to its topic.
Offsets of topics (TOPICOFFSET) are block × 32768 + the number of text
bytes (NULs included) of the text records before them in their block.
Nothing depends on the time of the build: the same source gives the same
bytes.

The contents file is text in code page 932 with CR LF line ends:
":Base vorta.hlp", ":Title <help title>", then "1 <title>=<context>" for
every topic, in source order.

Usage:
    hlpgen.py build SOURCE OUT_DIR    check the source, write OUT_DIR/vorta.hlp
                                      and OUT_DIR/vorta.cnt
    hlpgen.py check SOURCE            only check the source
Problems are reported as "file:line: message" and make the exit status 1;
nothing is written then.
"""

import os
import re
import struct
import sys

HELP_NAME = "vorta"

FACE_NAME = "ＭＳ Ｐゴシック"
FACE_FIELD = 20                 # bytes per face name in |FONT (WinHelp 3.1)
SHIFTJIS_CHARSET = 128
JAPANESE_LCID = 0x0411

# Font descriptors: (bold, half-points); all in FACE_NAME, black.
FONTS = {"body": (False, 20), "title": (True, 32), "heading": (True, 24)}
FONT_ORDER = ("body", "title", "heading")
FONT_FAMILY_SWISS = 3

MAX_HELP_TITLE = 50             # bytes, as a help project's TITLE
MAX_TOPIC_TITLE = 127           # bytes
MAX_CONTEXT_NAME = 255          # characters

TOPIC_BLOCK = 4096              # bytes of |TOPIC per block, header included
BLOCK_HEADER = 12
BLOCK_DATA = 3630               # decompressed bytes whose literal form fits the block
LINK_HEADER = 21                # a TOPICLINK before its LinkData1
TOPIC_HEADER_DATA = 28          # LinkData1 of a topic header

CONTEXT_CHARS = re.compile(r"[A-Za-z0-9_.]+")
JUMP_OPEN, JUMP_CLOSE = "[[", "]]"
BULLET = "・"

NONE = 0xFFFFFFFF               # "no position" in TOPICPOS and TOPICOFFSET fields


class SourceError(Exception):
    """A problem in the source, reported as "file:line: message"."""

    def __init__(self, path, line, message):
        super().__init__(f"{path}:{line}: {message}" if line else f"{path}: {message}")


class Run:
    """A piece of a paragraph: plain text, or the text of a jump to target."""

    def __init__(self, text, target=None, line=0):
        self.text, self.target, self.line = text, target, line


class Paragraph:
    def __init__(self, kind, line):
        self.kind, self.line = kind, line       # kind: title, body, heading, item
        self.lines = []                          # (line number, runs)
        self.runs = []


class Topic:
    def __init__(self, context, line):
        self.context, self.line = context, line
        self.title, self.title_line = None, 0
        self.maps = []                           # (number, line)
        self.paragraphs = []


class Source:
    def __init__(self, path):
        self.path = path
        self.title, self.title_line = None, 0
        self.topics = []


# --- Reading the source --------------------------------------------------------

def parse_runs(text, path, number):
    """Splits one line into plain runs and jump runs."""
    runs = []
    pos = 0
    while True:
        start = text.find(JUMP_OPEN, pos)
        close = text.find(JUMP_CLOSE, pos)
        if close != -1 and (start == -1 or close < start):
            raise SourceError(path, number, f"'{JUMP_CLOSE}' without '{JUMP_OPEN}'")
        if start == -1:
            if pos < len(text):
                runs.append(Run(text[pos:], None, number))
            return runs
        if start > pos:
            runs.append(Run(text[pos:start], None, number))
        end = text.find(JUMP_CLOSE, start + 2)
        inner = text[start + 2:end] if end != -1 else ""
        if end == -1 or JUMP_OPEN in inner:
            raise SourceError(path, number, f"'{JUMP_OPEN}' without '{JUMP_CLOSE}' (a jump stays on one line)")
        target, bar, shown = inner.partition("|")
        target, shown = target.strip(), shown.strip()
        if not target:
            raise SourceError(path, number, "a jump needs a context name: [[context|text]]")
        if bar and not shown:
            raise SourceError(path, number, f"the jump to '{target}' has no text")
        runs.append(Run(shown if bar else None, target, number))
        pos = end + 2


def check_context_name(name, path, number):
    if not CONTEXT_CHARS.fullmatch(name):
        raise SourceError(path, number, f"context name '{name}': only letters, digits, '_' and '.' are allowed")
    if len(name) > MAX_CONTEXT_NAME:
        raise SourceError(path, number, f"context name of {len(name)} characters; at most {MAX_CONTEXT_NAME}")


def parse_text(text, path):
    """Reads the source text into a Source; checks its structure."""
    src = Source(path)
    topic = None
    para = None
    contexts = {}
    maps = {}
    titles = {}

    def end_paragraph():
        nonlocal para
        if para is not None:
            topic.paragraphs.append(para)
            para = None

    def end_topic():
        end_paragraph()
        if topic is None:
            return
        if topic.title is None:
            raise SourceError(path, topic.line, f"topic '{topic.context}' has no '@title'")
        if len(topic.paragraphs) < 2:
            raise SourceError(path, topic.line, f"topic '{topic.context}' has no text")

    for number, raw in enumerate(text.split("\n"), 1):
        line = raw.rstrip("\r").strip(" \t")
        if raw.startswith("#"):
            continue
        if not line:
            end_paragraph()
            continue
        for ch in line:
            if ord(ch) < 0x20 or ord(ch) == 0x7F:
                raise SourceError(path, number, f"control character U+{ord(ch):04X} (write blanks for tabs)")
        if line.startswith("@"):
            end_paragraph()
            keyword, _, arg = line.partition(" ")
            arg = arg.strip(" \t")
            if keyword == "@help-title":
                if src.title is not None:
                    raise SourceError(path, number, f"'@help-title' given twice (line {src.title_line})")
                if topic is not None:
                    raise SourceError(path, number, "'@help-title' must come before the first topic")
                if not arg:
                    raise SourceError(path, number, "expected '@help-title <title>'")
                src.title, src.title_line = arg, number
            elif keyword == "@topic":
                end_topic()
                if src.title is None:
                    raise SourceError(path, number, "'@help-title' must come before the first topic")
                if not arg or " " in arg:
                    raise SourceError(path, number, "expected '@topic <context name>'")
                check_context_name(arg, path, number)
                if arg.lower() in contexts:
                    other = contexts[arg.lower()]
                    raise SourceError(path, number, f"context '{arg}' is already used by the topic at line "
                                      f"{other.line} (context names ignore case)")
                topic = Topic(arg, number)
                contexts[arg.lower()] = topic
                src.topics.append(topic)
            elif keyword in ("@title", "@map"):
                if topic is None:
                    raise SourceError(path, number, f"'{keyword}' outside a topic")
                if len(topic.paragraphs) > 1:
                    raise SourceError(path, number, f"'{keyword}' must come before the topic's text")
                if keyword == "@title":
                    if topic.title is not None:
                        raise SourceError(path, number, f"'@title' given twice (line {topic.title_line})")
                    if not arg:
                        raise SourceError(path, number, "expected '@title <title>'")
                    if "=" in arg:
                        raise SourceError(path, number, "a title cannot hold '=': it ends the title in the "
                                          "contents file")
                    if JUMP_OPEN in arg or JUMP_CLOSE in arg:
                        raise SourceError(path, number, "a title cannot hold a jump")
                    if arg in titles:
                        raise SourceError(path, number, f"title '{arg}' is already used by the topic at line "
                                          f"{titles[arg].line}")
                    titles[arg] = topic
                    topic.title, topic.title_line = arg, number
                    heading = Paragraph("title", number)
                    heading.runs = [Run(arg, None, number)]
                    topic.paragraphs.append(heading)
                else:
                    if not re.fullmatch(r"[0-9]{1,10}", arg) or int(arg) > 0x7FFFFFFF:
                        raise SourceError(path, number, "expected '@map <context number>', 0 to 2147483647")
                    n = int(arg)
                    if n in maps:
                        owner, at = maps[n]
                        raise SourceError(path, number, f"context number {n} already opens topic "
                                          f"'{owner.context}' (line {at})")
                    maps[n] = (topic, number)
                    topic.maps.append((n, number))
            else:
                raise SourceError(path, number, f"unknown directive '{keyword}'")
            continue
        if topic is None:
            raise SourceError(path, number, "text before the first '@topic'")
        if topic.title is None:
            raise SourceError(path, number, "'@title' must come before the topic's text")
        if line in ("==", "-"):
            raise SourceError(path, number, "empty subheading" if line == "==" else "empty list item")
        if line.startswith("== "):
            end_paragraph()
            heading = Paragraph("heading", number)
            heading.lines.append((number, parse_runs(line[3:].strip(" \t"), path, number)))
            topic.paragraphs.append(heading)
            continue
        if line.startswith("- "):
            end_paragraph()
            para = Paragraph("item", number)
            line = line[2:].strip(" \t")
        elif para is None:
            para = Paragraph("body", number)
        para.lines.append((number, parse_runs(line, path, number)))
    end_topic()
    if not src.topics:
        raise SourceError(path, 0, "no topics" if src.title is not None else "no '@help-title' and no topics")
    if 0 not in maps:
        raise SourceError(path, 0, "no topic has '@map 0', the context number the journal opens its help with")

    for t in src.topics:
        for p in t.paragraphs:
            for _, runs in p.lines:
                for run in runs:
                    if run.target is None:
                        continue
                    target = contexts.get(run.target.lower())
                    if target is None:
                        raise SourceError(path, run.line, f"jump to unknown topic '{run.target}'")
                    run.target = target
                    if run.text is None:
                        run.text = target.title
            if p.kind != "title":
                p.runs = join_lines(p.lines)
    return src


def join_lines(lines):
    """The runs of a paragraph's lines, joined into one line."""
    runs = []
    for _, line_runs in lines:
        if runs and line_runs:
            before, after = runs[-1].text[-1], line_runs[0].text[0]
            if before.isascii() and after.isascii():
                runs.append(Run(" ", None, line_runs[0].line))
        runs.extend(Run(r.text, r.target, r.line) for r in line_runs)
    return runs


def parse(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise SourceError(path, 0, f"cannot read: {e.strerror}")
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError as e:
        line = data[:e.start].count(b"\n") + 1
        raise SourceError(path, line, "not UTF-8 text")
    return parse_text(text, path)


def cp932(text, path, line):
    try:
        return text.encode("cp932")
    except UnicodeEncodeError as e:
        ch = text[e.start]
        raise SourceError(path, line, f"'{ch}' (U+{ord(ch):04X}) cannot be written in code page 932")


# --- Numbers and hashes --------------------------------------------------------

def context_hash(name):
    """WinHelp's hash of a context name: a signed 32-bit value."""
    h = 0
    for ch in name.upper():
        if "1" <= ch <= "9":
            v = ord(ch) - ord("0")
        elif ch == "0":
            v = 10
        elif ch == ".":
            v = 12
        elif ch == "_":
            v = 13
        else:
            v = ord(ch) - ord("A") + 17
        h = (h * 43 + v) & 0xFFFFFFFF
    return h - (1 << 32) if h & 0x80000000 else h


def cushort(v):
    """Compressed unsigned short of |TOPIC: one byte below 128, else two."""
    assert 0 <= v < 0x8000
    return struct.pack("<B", v * 2) if v < 0x80 else struct.pack("<H", v * 2 + 1)


def cshort(v):
    """Compressed signed short, one byte (-64 to 63): the two-byte form is
    read differently by different viewers for negative values."""
    assert -0x40 <= v < 0x40
    return struct.pack("<B", (v + 0x40) * 2)


def clong(v):
    """Compressed signed long: two bytes from -16384 to 16383, else four."""
    if -0x4000 <= v < 0x4000:
        return struct.pack("<H", (v + 0x4000) * 2)
    assert 0 <= v < 0x40000000
    return struct.pack("<I", (v + 0x40000000) * 2 + 1)


# --- B+ trees and the internal file system ---------------------------------------

BTREE_MAGIC = 0x293B


def btree(structure, page_size, entries, directory=False, leaf_starts=None):
    """A B+ tree file: entries are (index key bytes, leaf entry bytes), sorted.
    Leaf pages are filled in order; index pages name the first key of every
    child page but the first, which is their 'previous page'.  leaf_starts,
    when given, receives (number of the leaf's first entry, page number) for
    every leaf page."""
    pages = []
    leaves = []
    current, used = [], 8
    for key, entry in entries:
        if 8 + len(entry) > page_size:
            raise ValueError("B+ tree entry larger than a page")
        if current and used + len(entry) > page_size:
            leaves.append(current)
            current, used = [], 8
        current.append((key, entry))
        used += len(entry)
    leaves.append(current)
    level = []
    first = 0
    for i, leaf in enumerate(leaves):
        if leaf_starts is not None:
            leaf_starts.append((first, i))
        first += len(leaf)
        body = b"".join(e for _, e in leaf)
        prev = i - 1 if i > 0 else -1
        nxt = i + 1 if i + 1 < len(leaves) else -1
        pages.append(struct.pack("<Hhhh", page_size - 8 - len(body), len(leaf), prev, nxt) + body)
        level.append((leaf[0][0] if leaf else b"", i))
    levels = 1
    while len(level) > 1:
        upper = []
        i = 0
        while i < len(level):
            first_key, first_page = level[i]
            i += 1
            body = b""
            count = 0
            while i < len(level) and 6 + len(body) + len(level[i][0]) + 2 <= page_size:
                body += level[i][0] + struct.pack("<h", level[i][1])
                count += 1
                i += 1
            upper.append((first_key, len(pages)))
            pages.append(struct.pack("<Hhh", page_size - 6 - len(body), count, first_page) + body)
        level = upper
        levels += 1
    flags = 0x0002 | (0x0400 if directory else 0)
    header = struct.pack("<HHH16shhhhhhi", BTREE_MAGIC, flags, page_size, structure.encode("ascii"),
                         0, 0, level[0][1], -1, len(pages), levels, len(entries))
    return header + b"".join(p.ljust(page_size, b"\0") for p in pages)


def file_system(files):
    """The help file: its header, the internal files and their directory.
    files: {name: content}."""
    out = bytearray(16)
    offsets = {}
    for name, content in files.items():
        offsets[name] = len(out)
        out += struct.pack("<IIB", len(content) + 9, len(content), 4) + content
    names = sorted(offsets, key=lambda n: n.encode("ascii"))
    directory = btree("z4", 1024, [(n.encode("ascii") + b"\0", n.encode("ascii") + b"\0" +
                                    struct.pack("<I", offsets[n])) for n in names], directory=True)
    directory_start = len(out)
    out += struct.pack("<IIB", len(directory) + 9, len(directory), 4) + directory
    out[0:16] = struct.pack("<IIiI", 0x00035F3F, directory_start, -1, len(out))
    return bytes(out)


# --- The internal files ----------------------------------------------------------

class Link:
    """One TOPICLINK of |TOPIC."""

    def __init__(self, kind, ld1, ld2, topic=None):
        self.kind, self.ld1, self.ld2 = kind, ld1, ld2    # kind: 2 topic header, 0x20 text
        self.topic = topic
        self.pos = self.block = None                       # TOPICPOS, and the block it starts in

    @property
    def size(self):
        return LINK_HEADER + len(self.ld1) + len(self.ld2)


def paragraph_format(kind):
    """The paragraph info of a text record: bits and the values they announce."""
    if kind == "title":
        return 0x0004, cshort(12)                                # spacing below
    if kind == "heading":
        return 0x0002, cshort(20)                                # spacing above
    if kind == "item":
        # spacing above, left indent, negative first-line indent and a tab
        # stop at the indent: the bullet hangs, the text lines up after it
        return 0x0002 | 0x0010 | 0x0040 | 0x0200, cshort(4) + cshort(24) + cshort(-24) + cshort(1) + cushort(24)
    return 0x0002, cshort(12)


def text_record(par, path):
    """LinkData1 and LinkData2 of a paragraph: the strings are written one
    after another, each followed by the formatting command that comes after
    it."""
    strings, commands = [], []
    current = bytearray()

    def emit(command):
        strings.append(bytes(current) + b"\0")
        commands.append(command)
        current.clear()

    font = FONT_ORDER.index("body" if par.kind == "item" else par.kind)
    emit(b"\x80" + struct.pack("<H", font))
    if par.kind == "item":
        current.extend(BULLET.encode("cp932"))
        emit(b"\x83")                                            # tab
    for run in par.runs:
        data = cp932(run.text, path, run.line)
        if run.target is None:
            current.extend(data)
        else:
            emit(b"\xE3" + struct.pack("<i", context_hash(run.target.context)))  # topic jump
            current.extend(data)
            emit(b"\x89")                                        # end of the hotspot
    emit(b"\x82")                                                # end of the paragraph
    emit(b"\xFF")                                                # end of the formatting
    ld2 = b"".join(strings)
    bits, values = paragraph_format(par.kind)
    rest = bytes([0x00, 0x80]) + struct.pack("<HH", 0, bits) + values + b"".join(commands)
    return clong(len(rest)) + cushort(len(ld2)) + rest, ld2


def literal_lz77(data):
    out = bytearray()
    for i in range(0, len(data), 8):
        out += b"\0" + data[i:i + 8]
    return bytes(out)


def topic_file(src):
    """|TOPIC, and the offset of every topic (its TOPICOFFSET)."""
    links = []
    for t in src.topics:
        links.append(Link(2, b"\0" * TOPIC_HEADER_DATA, cp932(t.title, src.path, t.title_line), topic=t))
        for p in t.paragraphs:
            ld1, ld2 = text_record(p, src.path)
            link = Link(0x20, ld1, ld2, topic=t)
            if link.size > BLOCK_DATA:
                raise SourceError(src.path, p.line, f"paragraph of {link.size} bytes in the help file; at most "
                                  f"{BLOCK_DATA} fit in a topic block: split it")
            links.append(link)
    # The last link only ends the last topic: an empty topic header.
    links.append(Link(2, b"\0" * TOPIC_HEADER_DATA, b""))

    block, used, chars = 0, 0, 0
    offsets = {}
    for link in links:
        if used + link.size > BLOCK_DATA:
            block, used, chars = block + 1, 0, 0
        link.block = block
        link.pos = block * 0x4000 + used + BLOCK_HEADER
        used += link.size
        if link.kind == 2:
            if link.topic is not None:
                offsets[link.topic.context] = block * 0x8000 + chars
        else:
            chars += len(link.ld2)

    # The topics form one browse sequence, in source order.
    sequence = [offsets[t.context] for t in src.topics]
    headers = [i for i, link in enumerate(links) if link.kind == 2]
    for n, i in enumerate(headers[:-1]):
        end = headers[n + 1]
        size = sum(link.size for link in links[i:end])
        back = sequence[n - 1] if n > 0 else NONE
        forward = sequence[n + 1] if n + 1 < len(sequence) else NONE
        links[i].ld1 = struct.pack("<IIIIIII", size, back, forward, n, NONE, links[i + 1].pos, links[end].pos)
    last = links[-1]
    last.ld1 = struct.pack("<IIIIIII", last.size, NONE, NONE, len(headers) - 1, NONE, NONE, NONE)

    blocks = [bytearray() for _ in range(block + 1)]
    for i, link in enumerate(links):
        prev = links[i - 1].pos if i > 0 else NONE
        nxt = links[i + 1].pos if i + 1 < len(links) else NONE
        data = struct.pack("<IIIIIB", link.size, len(link.ld2), prev, nxt, LINK_HEADER + len(link.ld1), link.kind)
        blocks[link.block] += data + link.ld1 + link.ld2
    out = bytearray()
    last_header = NONE
    for b, data in enumerate(blocks):
        in_block = [link for link in links if link.block == b]
        before = [link for link in links if link.block < b]
        header = struct.pack("<III", before[-1].pos if before else NONE, in_block[0].pos, last_header)
        for link in in_block:
            if link.kind == 2:
                last_header = link.pos
        packed = header + literal_lz77(bytes(data))
        assert len(packed) <= TOPIC_BLOCK
        out += packed.ljust(TOPIC_BLOCK, b"\0")
    return bytes(out), offsets


def system_file(src, contents_offset):
    def record(kind, data):
        return struct.pack("<HH", kind, len(data)) + data

    title = cp932(src.title, src.path, src.title_line)
    if len(title) > MAX_HELP_TITLE:
        raise SourceError(src.path, src.title_line, f"help title of {len(title)} bytes; at most {MAX_HELP_TITLE}")
    # Magic, format 1.21, no build date (0), flags 4: LZ77 topic blocks of 4 KB.
    out = struct.pack("<HHHIH", 0x036C, 21, 1, 0, 4)
    out += record(1, title + b"\0")
    out += record(3, struct.pack("<I", contents_offset))
    out += record(4, b"BrowseButtons()\0")                      # the << and >> buttons
    out += record(9, struct.pack("<4H", JAPANESE_LCID, 0, 0, 0))
    out += record(11, struct.pack("<H", SHIFTJIS_CHARSET))
    return out


def font_file():
    face = FACE_NAME.encode("cp932")
    assert len(face) < FACE_FIELD
    out = struct.pack("<HHHH", 1, len(FONT_ORDER), 8, 8 + FACE_FIELD) + face.ljust(FACE_FIELD, b"\0")
    for name in FONT_ORDER:
        bold, half_points = FONTS[name]
        out += struct.pack("<BBBH3s3s", 1 if bold else 0, half_points, FONT_FAMILY_SWISS, 0,
                           b"\0\0\0", b"\xff\xff\xff")
    return out


def context_file(src, offsets):
    by_hash = {}
    for t in src.topics:
        h = context_hash(t.context)
        if h in by_hash:
            raise SourceError(src.path, t.line, f"contexts '{by_hash[h].context}' (line {by_hash[h].line}) and "
                              f"'{t.context}' have the same hash value; rename one")
        if h == 0:
            raise SourceError(src.path, t.line, f"context '{t.context}' has the hash value 0, which means "
                              "the contents topic; rename it")
        by_hash[h] = t
    entries = [(struct.pack("<i", h), struct.pack("<iI", h, offsets[by_hash[h].context])) for h in sorted(by_hash)]
    return btree("L4", 2048, entries)


def ctxomap_file(src, offsets):
    maps = sorted((n, offsets[t.context]) for t in src.topics for n, _ in t.maps)
    return struct.pack("<H", len(maps)) + b"".join(struct.pack("<II", n, o) for n, o in maps)


def title_file(src, offsets):
    entries = []
    for t in src.topics:
        title = cp932(t.title, src.path, t.title_line)
        if len(title) > MAX_TOPIC_TITLE:
            raise SourceError(src.path, t.title_line, f"title of {len(title)} bytes; at most {MAX_TOPIC_TITLE}")
        o = offsets[t.context]
        entries.append((o, (struct.pack("<I", o), struct.pack("<I", o) + title + b"\0")))
    return btree("Lz", 2048, [e for _, e in sorted(entries)])


def keyword_files(src, offsets):
    """|KWBTREE, |KWDATA and |KWMAP: every topic's title is a keyword of
    the index, leading to that topic."""
    words = sorted((cp932(t.title, src.path, t.title_line), t) for t in src.topics)
    entries = []
    data = b""
    for i, (word, t) in enumerate(words):
        entries.append((word + b"\0", word + b"\0" + struct.pack("<hI", 1, 4 * i)))
        data += struct.pack("<I", offsets[t.context])
    starts = []
    tree = btree("F24", 2048, entries, leaf_starts=starts)
    return tree, data, b"".join(struct.pack("<IH", first, page) for first, page in starts)


def contents_file(src):
    lines = [f":Base {HELP_NAME}.hlp", f":Title {src.title}"]
    lines += [f"1 {t.title}={t.context}" for t in src.topics]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def help_files(src):
    """The bytes of vorta.hlp and vorta.cnt."""
    topic, offsets = topic_file(src)
    kwbtree, kwdata, kwmap = keyword_files(src, offsets)
    files = {
        "|SYSTEM": system_file(src, offsets[src.topics[0].context]),
        "|TOPIC": topic,
        "|FONT": font_file(),
        "|CONTEXT": context_file(src, offsets),
        "|CTXOMAP": ctxomap_file(src, offsets),
        "|TTLBTREE": title_file(src, offsets),
        "|KWBTREE": kwbtree,
        "|KWDATA": kwdata,
        "|KWMAP": kwmap,
    }
    return file_system(files), contents_file(src)


# --- Command line ----------------------------------------------------------------

def write_file(path, data):
    """Writes through a temporary file, so that a failed run leaves no
    half-written file behind."""
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def build(source_path, out_dir):
    hlp, cnt = help_files(parse(source_path))
    os.makedirs(out_dir, exist_ok=True)
    write_file(os.path.join(out_dir, HELP_NAME + ".hlp"), hlp)
    write_file(os.path.join(out_dir, HELP_NAME + ".cnt"), cnt)


def main(argv):
    try:
        if len(argv) == 4 and argv[1] == "build":
            build(argv[2], argv[3])
        elif len(argv) == 3 and argv[1] == "check":
            help_files(parse(argv[2]))
        else:
            sys.stderr.write(__doc__[__doc__.index("Usage:"):])
            return 2
    except SourceError as e:
        sys.stderr.write(f"hlpgen: {e}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
