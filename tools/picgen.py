"""Builds the journal's bitmaps, program icons and search animation from their
text sources.

Source format: one picture per file (journal/res/pictures/<name>.txt), plain
ASCII text read line by line:

    # sun icon                 lines starting with '#' are comments; blank
                               lines between statements are ignored
    kind image                 image | mask | icon | animation
    mask bmp132                images only: the mask they are drawn with
                               (bmp132.txt in the same folder)
    colour . transparent       one grid character and what it stands for
    colour R red
    size 12 12                 width height, followed by exactly <height>
    .....RR.....               rows of exactly <width> grid characters
    ...

Colours are the 16 colours of the standard Windows palette, by name:
    black maroon green olive navy purple teal grey
    silver red lime yellow blue fuchsia aqua white
plus these special values:
    transparent  images: written black, and the mask must be clear (white)
                 exactly there and opaque (black) everywhere else, so the
                 picture draws correctly with the mask blitted SRCAND and then
                 the image SRCINVERT.
                 masks: written white.  icons: a set bit in the AND mask.
    opaque       masks only: written black.
    #rrggbb      icons and animations only: any colour.
Grid characters are printable ASCII other than space and '#'.

Every image and mask is one 12 x 12 grid and becomes <name>.bmp: a
BITMAPFILEHEADER + BITMAPINFOHEADER, 4 bits per pixel, BI_RGB, the standard
16-colour palette, bottom-up rows padded to 4 bytes.  An icon holds one
32 x 32 and one 16 x 16 grid and becomes <name>.ico with 8-bit images, each
with its AND mask.

An animation is a clip for the animation control.  Its 'size' (48 48) gives
the size of every frame and is followed by a 'rate' and the frames, each a
'frame N' line (numbered from 0, in order) and its rows:

    kind animation
    colour . silver            colours: names or #rrggbb, at most 256
    colour K black
    size 48 48
    rate 500                   milliseconds per frame
    frame 0
    ........                   48 rows of 48 characters
    ...
    frame 1
    ...

The control draws a frame transparently by leaving out every pixel of the
colour of the top-left pixel (as the first frame it shows has it), so that
pixel must be the same character in every frame and no other character may
have its colour.  The animation becomes <name>.avi: a RIFF 'AVI ' file with one
uncompressed video stream ('DIB ', BI_RGB, 8 bits per pixel, bottom-up rows)
whose 256-entry palette holds the declared colours in order, then black; one
'00db' chunk per frame, all key frames, and an 'idx1' index.

Usage:
    picgen.py build OUT_DIR SOURCE...     check the sources, write the pictures
    picgen.py check SOURCE...             only check the sources
    picgen.py preview OUT_DIR SOURCE_DIR  write PNG previews: icons_x8.png (each
                                          image, its mask, and the icon drawn on
                                          white and on two selection blues),
                                          weather_x1/x4.png and mood_x1/x4.png
                                          (every combo box item as drawn, 1x and
                                          4x), <icon>_icon.png (each program icon),
                                          <animation>_frames.png (the frames
                                          4x as stored, 4x and 1x drawn on a
                                          dialog's grey and on white)
Problems are reported as "file:line: message" and make the exit status 1.
"""

import math
import os
import struct
import sys
import zlib

BITMAP_SIZE = (12, 12)
ICON_SIZES = ((32, 32), (16, 16))
ANIMATION_SIZE = (48, 48)

# The standard Windows 16-colour palette, in the order its bitmaps use.
PALETTE = (
    ("black", (0x00, 0x00, 0x00)),
    ("maroon", (0x80, 0x00, 0x00)),
    ("green", (0x00, 0x80, 0x00)),
    ("olive", (0x80, 0x80, 0x00)),
    ("navy", (0x00, 0x00, 0x80)),
    ("purple", (0x80, 0x00, 0x80)),
    ("teal", (0x00, 0x80, 0x80)),
    ("grey", (0x80, 0x80, 0x80)),
    ("silver", (0xC0, 0xC0, 0xC0)),
    ("red", (0xFF, 0x00, 0x00)),
    ("lime", (0x00, 0xFF, 0x00)),
    ("yellow", (0xFF, 0xFF, 0x00)),
    ("blue", (0x00, 0x00, 0xFF)),
    ("fuchsia", (0xFF, 0x00, 0xFF)),
    ("aqua", (0x00, 0xFF, 0xFF)),
    ("white", (0xFF, 0xFF, 0xFF)),
)
PALETTE_INDEX = {name: i for i, (name, _) in enumerate(PALETTE)}
BLACK = 0
WHITE = 15

TRANSPARENT = "transparent"
OPAQUE = "opaque"
KINDS = ("image", "mask", "icon", "animation")


class SourceError(Exception):
    """A problem in a source, reported as "file:line: message"."""

    def __init__(self, path, line, message):
        super().__init__(f"{path}:{line}: {message}" if line else f"{path}: {message}")


class Grid:
    def __init__(self, width, height, line):
        self.width = width
        self.height = height
        self.line = line  # line of the "size" statement
        self.rows = []  # strings of grid characters, top row first
        self.row_lines = []  # line number of each row


class Picture:
    def __init__(self, path):
        self.path = path
        self.name = os.path.splitext(os.path.basename(path))[0]
        self.kind = None
        self.mask = None  # name of the mask source, images only
        self.mask_line = 0
        self.colours = {}  # grid character -> colour value
        self.colour_lines = {}  # grid character -> line of its "colour" statement
        self.grids = []
        self.frame_size = None  # animations only: (width, height) of every frame
        self.rate = None  # animations only: milliseconds per frame
        self.rate_line = 0

    def output_name(self):
        return self.name + {"icon": ".ico", "animation": ".avi"}.get(self.kind, ".bmp")

    def grid(self, width, height):
        for g in self.grids:
            if (g.width, g.height) == (width, height):
                return g
        return None


def parse_colour(value):
    """Returns the colour a source names: a palette name, a special value or
    an (r, g, b) tuple; None when it names nothing."""
    if value in PALETTE_INDEX or value in (TRANSPARENT, OPAQUE):
        return value
    if len(value) == 7 and value[0] == "#":
        try:
            n = int(value[1:], 16)
        except ValueError:
            return None
        return ((n >> 16) & 0xFF, (n >> 8) & 0xFF, n & 0xFF)
    return None


def parse(path):
    """Reads one source; checks its syntax and its grids' sizes."""
    pic = Picture(path)
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise SourceError(path, 0, f"cannot read: {e.strerror}")
    try:
        text = data.decode("ascii")
    except UnicodeDecodeError:
        raise SourceError(path, 0, "not plain ASCII text")

    grid = None
    for number, line in enumerate(text.splitlines(), 1):
        if grid is not None and len(grid.rows) < grid.height:
            row = line.rstrip("\r")
            if row.startswith("#") or not row.strip():
                raise SourceError(path, number, f"grid row {len(grid.rows) + 1} of {grid.height} expected")
            if len(row) != grid.width:
                raise SourceError(path, number, f"row is {len(row)} characters wide, the grid is {grid.width}")
            for column, ch in enumerate(row, 1):
                if ch not in pic.colours:
                    raise SourceError(path, number, f"column {column}: '{ch}' is not a declared colour character")
            grid.rows.append(row)
            grid.row_lines.append(number)
            continue

        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        keyword, args = words[0], words[1:]
        if keyword != "kind" and pic.kind is None:
            raise SourceError(path, number, "the first statement must be 'kind'")
        if keyword == "kind":
            if pic.kind is not None:
                raise SourceError(path, number, "'kind' given twice")
            if len(args) != 1 or args[0] not in KINDS:
                raise SourceError(path, number, "expected 'kind image', 'kind mask', 'kind icon' or 'kind animation'")
            pic.kind = args[0]
        elif keyword == "mask":
            if pic.kind != "image":
                raise SourceError(path, number, "only images name a mask")
            if pic.mask is not None:
                raise SourceError(path, number, "'mask' given twice")
            if len(args) != 1:
                raise SourceError(path, number, "expected 'mask <name>'")
            pic.mask, pic.mask_line = args[0], number
        elif keyword == "colour":
            if pic.grids:
                raise SourceError(path, number, "colours must be declared before the first grid")
            if len(args) != 2 or len(args[0]) != 1:
                raise SourceError(path, number, "expected 'colour <character> <colour>'")
            ch, value = args[0], parse_colour(args[1])
            if ch == "#" or not (0x21 <= ord(ch) <= 0x7E):
                raise SourceError(path, number, f"'{ch}' cannot be a grid character")
            if ch in pic.colours:
                raise SourceError(path, number, f"'{ch}' declared twice")
            if value is None:
                raise SourceError(path, number, f"unknown colour '{args[1]}'")
            if pic.kind == "mask" and value not in (OPAQUE, TRANSPARENT):
                raise SourceError(path, number, "a mask's colours are 'opaque' and 'transparent'")
            if pic.kind != "mask" and value == OPAQUE:
                raise SourceError(path, number, "'opaque' is for masks only")
            if pic.kind == "image" and isinstance(value, tuple):
                raise SourceError(path, number, "bitmaps use the standard palette: give a colour name")
            if pic.kind == "animation" and value == TRANSPARENT:
                raise SourceError(path, number, "an animation's top-left pixel is its transparent colour: "
                                  "give it a colour")
            pic.colours[ch] = value
            pic.colour_lines[ch] = number
        elif keyword == "size" and pic.kind == "animation":
            try:
                width, height = (int(a) for a in args)
            except ValueError:
                raise SourceError(path, number, "expected 'size <width> <height>'")
            if (width, height) != ANIMATION_SIZE:
                raise SourceError(path, number, f"{width} x {height}: animations are "
                                  f"{ANIMATION_SIZE[0]} x {ANIMATION_SIZE[1]}")
            if pic.frame_size is not None:
                raise SourceError(path, number, "'size' given twice")
            pic.frame_size = (width, height)
        elif keyword == "frame":
            if pic.kind != "animation":
                raise SourceError(path, number, "only animations have frames")
            if pic.frame_size is None:
                raise SourceError(path, number, "'size' must come before the first frame")
            if args != [str(len(pic.grids))]:
                raise SourceError(path, number, f"expected 'frame {len(pic.grids)}': frames are numbered "
                                  "from 0 in order")
            grid = Grid(pic.frame_size[0], pic.frame_size[1], number)
            pic.grids.append(grid)
        elif keyword == "rate":
            if pic.kind != "animation":
                raise SourceError(path, number, "only animations have a rate")
            if pic.rate is not None:
                raise SourceError(path, number, "'rate' given twice")
            if len(args) != 1 or not args[0].isdigit() or not 1 <= int(args[0]) <= 60000:
                raise SourceError(path, number, "expected 'rate <milliseconds per frame>', 1 to 60000")
            pic.rate, pic.rate_line = int(args[0]), number
        elif keyword == "size":
            try:
                width, height = (int(a) for a in args)
            except ValueError:
                raise SourceError(path, number, "expected 'size <width> <height>'")
            expected = ICON_SIZES if pic.kind == "icon" else (BITMAP_SIZE,)
            if (width, height) not in expected:
                sizes = " or ".join(f"{w} x {h}" for w, h in expected)
                raise SourceError(path, number, f"{width} x {height}: {pic.kind}s are {sizes}")
            if pic.grid(width, height):
                raise SourceError(path, number, f"a second {width} x {height} grid")
            if pic.kind != "icon" and pic.grids:
                raise SourceError(path, number, f"a {pic.kind} has one grid")
            grid = Grid(width, height, number)
            pic.grids.append(grid)
        else:
            raise SourceError(path, number, f"unknown statement '{keyword}'")

    last = len(text.splitlines())
    if pic.kind is None:
        raise SourceError(path, 0, "no 'kind' statement")
    if grid is not None and len(grid.rows) < grid.height:
        raise SourceError(path, last, f"the grid ends after {len(grid.rows)} of {grid.height} rows")
    if pic.kind == "image" and pic.mask is None:
        raise SourceError(path, 0, "an image must name its mask ('mask <name>')")
    if pic.kind == "icon":
        for w, h in ICON_SIZES:
            if not pic.grid(w, h):
                raise SourceError(path, 0, f"the icon has no {w} x {h} grid")
    elif pic.kind == "animation":
        if pic.rate is None:
            raise SourceError(path, 0, "an animation needs its 'rate' (milliseconds per frame)")
        if not pic.grids:
            raise SourceError(path, 0, "no frame ('frame 0' followed by its rows)")
        check_background(pic)
    elif not pic.grids:
        raise SourceError(path, 0, "no grid ('size 12 12' followed by its rows)")
    return pic


def rgb(value):
    """The (r, g, b) of a palette name or of an #rrggbb colour."""
    return PALETTE[PALETTE_INDEX[value]][1] if value in PALETTE_INDEX else value


def check_background(pic):
    """The animation control draws a frame transparently by leaving out every
    pixel of the colour the first frame it shows has in its top-left corner.
    That pixel must be the same in every frame, and no other character may
    have its colour, or that character would vanish as well."""
    first = pic.grids[0]
    background = first.rows[0][0]
    for n, grid in enumerate(pic.grids[1:], 1):
        if grid.rows[0][0] != background:
            raise SourceError(pic.path, grid.row_lines[0], f"column 1: frame {n} starts with "
                              f"'{grid.rows[0][0]}', frame 0 with the background '{background}'")
    for ch, value in pic.colours.items():
        if ch != background and rgb(value) == rgb(pic.colours[background]):
            raise SourceError(pic.path, pic.colour_lines[ch], f"'{ch}' has the colour of the background "
                              f"'{background}' and would be transparent too")
    if len({rgb(v) for v in pic.colours.values()}) > 256:
        raise SourceError(pic.path, first.line, "more than 256 colours")


def is_clear(pic, ch):
    return pic.colours[ch] == TRANSPARENT


def check_pair(image, mask):
    """The image must be transparent exactly where its mask is clear: black
    elsewhere in the image would show as a black pixel, and anything but black
    where the mask is clear would be XORed into the background."""
    if mask.kind != "mask":
        raise SourceError(image.path, image.mask_line, f"{mask.path} is not a mask")
    ig, mg = image.grids[0], mask.grids[0]
    for y in range(ig.height):
        for x in range(ig.width):
            ic, mc = is_clear(image, ig.rows[y][x]), is_clear(mask, mg.rows[y][x])
            if ic != mc:
                where = f"column {x + 1}: "
                if mc:
                    where += f"'{ig.rows[y][x]}' is drawn where {mask.name} is clear (line {mg.row_lines[y]})"
                else:
                    where += f"transparent where {mask.name} is opaque (line {mg.row_lines[y]})"
                raise SourceError(image.path, ig.row_lines[y], where)


def load(paths):
    """Parses the sources and the masks their images name, and checks every
    image against its mask. Returns the pictures of the given paths."""
    pictures = [parse(p) for p in paths]
    by_path = {os.path.abspath(p.path): p for p in pictures}
    for pic in pictures:
        if pic.kind != "image":
            continue
        mask_path = os.path.join(os.path.dirname(pic.path), pic.mask + ".txt")
        mask = by_path.get(os.path.abspath(mask_path))
        if mask is None:
            if not os.path.exists(mask_path):
                raise SourceError(pic.path, pic.mask_line, f"the mask {mask_path} does not exist")
            mask = by_path[os.path.abspath(mask_path)] = parse(mask_path)
        check_pair(pic, mask)
    return pictures


# --- Writing -----------------------------------------------------------------

def bitmap_indices(pic):
    """Palette indices of a 12 x 12 image or mask, top row first."""
    grid = pic.grids[0]
    out = []
    for row in grid.rows:
        indices = []
        for ch in row:
            value = pic.colours[ch]
            if value == TRANSPARENT:
                indices.append(WHITE if pic.kind == "mask" else BLACK)
            elif value == OPAQUE:
                indices.append(BLACK)
            else:
                indices.append(PALETTE_INDEX[value])
        out.append(indices)
    return out


def bmp_bytes(pic):
    rows = bitmap_indices(pic)
    width, height = len(rows[0]), len(rows)
    stride = (width * 4 + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(stride)
        for x, index in enumerate(row):
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += line
    palette = b"".join(bytes((b, g, r, 0)) for _, (r, g, b) in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def icon_image_bytes(pic, grid):
    """One icon image: BITMAPINFOHEADER, 256-entry palette, 8-bit colour rows
    and the 1-bit AND mask, both bottom-up."""
    colours = []
    for ch in sorted(pic.colours):
        value = pic.colours[ch]
        rgb = PALETTE[PALETTE_INDEX[value]][1] if value in PALETTE_INDEX else value
        if value != TRANSPARENT and rgb not in colours:
            colours.append(rgb)
    if (0, 0, 0) not in colours:
        colours.insert(0, (0, 0, 0))
    if len(colours) > 256:
        raise SourceError(pic.path, grid.line, "more than 256 colours")
    index = {}
    for ch, value in pic.colours.items():
        if value == TRANSPARENT:
            index[ch] = colours.index((0, 0, 0))
        else:
            rgb = PALETTE[PALETTE_INDEX[value]][1] if value in PALETTE_INDEX else value
            index[ch] = colours.index(rgb)

    w, h = grid.width, grid.height
    stride = (w * 8 + 31) // 32 * 4
    mask_stride = (w + 31) // 32 * 4
    xor, andmask = bytearray(), bytearray()
    for row in reversed(grid.rows):
        line = bytearray(stride)
        bits = bytearray(mask_stride)
        for x, ch in enumerate(row):
            line[x] = index[ch]
            if is_clear(pic, ch):
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        andmask += bits
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    palette += bytes(4 * (256 - len(colours)))
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 8, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return info + palette + bytes(xor) + bytes(andmask)


def ico_bytes(pic):
    images = [(g, icon_image_bytes(pic, g)) for g in (pic.grid(w, h) for w, h in ICON_SIZES)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for grid, data in images:
        out += struct.pack("<BBBBHHII", grid.width, grid.height, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def riff_chunk(fourcc, data):
    """A RIFF chunk: its code, its size and its data, padded to an even size."""
    return fourcc + struct.pack("<I", len(data)) + data + bytes(len(data) % 2)


def riff_list(kind, *chunks):
    return riff_chunk(b"LIST", kind + b"".join(chunks))


AVIF_HASINDEX = 0x10
AVIIF_KEYFRAME = 0x10


def avi_bytes(pic):
    """An uncompressed AVI: one video stream of 8-bit frames ('DIB ' handler,
    BI_RGB) sharing one 256-entry palette, every frame a key frame, with an
    'idx1' index.  The palette holds the source's colours in the order they
    are declared, then black."""
    colours = []
    for value in pic.colours.values():
        if rgb(value) not in colours:
            colours.append(rgb(value))
    index = {ch: colours.index(rgb(value)) for ch, value in pic.colours.items()}
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours) + bytes(4 * (256 - len(colours)))

    w, h = pic.frame_size
    stride = (w + 3) // 4 * 4
    frames = []
    for grid in pic.grids:
        data = bytearray()
        for row in reversed(grid.rows):  # bottom-up
            data += bytes(index[ch] for ch in row) + bytes(stride - w)
        frames.append(bytes(data))
    frame_size = stride * h
    count = len(frames)

    # Frames per second as the stream's rate / scale: 1000 / milliseconds.
    common = math.gcd(pic.rate, 1000)
    scale, rate = pic.rate // common, 1000 // common
    usec = pic.rate * 1000
    avih = struct.pack("<14I", usec, -(-frame_size * 1000000 // usec), 0, AVIF_HASINDEX, count, 0, 1,
                       frame_size, w, h, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIII4h", b"vids", b"DIB ", 0, 0, 0, 0, scale, rate, 0, count,
                       frame_size, 0xFFFFFFFF, 0, 0, 0, w, h)
    strf = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, frame_size, 0, 0, 256, 0) + palette
    hdrl = riff_list(b"hdrl", riff_chunk(b"avih", avih),
                     riff_list(b"strl", riff_chunk(b"strh", strh), riff_chunk(b"strf", strf)))
    movi = riff_list(b"movi", *(riff_chunk(b"00db", f) for f in frames))
    # Index offsets count from the 'movi' code, so the first frame's is 4.
    idx1 = b""
    offset = 4
    for f in frames:
        idx1 += struct.pack("<4sIII", b"00db", AVIIF_KEYFRAME, offset, len(f))
        offset += 8 + len(f) + len(f) % 2
    return riff_chunk(b"RIFF", b"AVI " + hdrl + movi + riff_chunk(b"idx1", idx1))


def write_file(path, data):
    """Writes through a temporary file, so that a failed run leaves no
    half-written picture behind."""
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def build(out_dir, paths):
    pictures = load(paths)
    os.makedirs(out_dir, exist_ok=True)
    for pic in pictures:
        writer = {"icon": ico_bytes, "animation": avi_bytes}.get(pic.kind, bmp_bytes)
        data = writer(pic)
        write_file(os.path.join(out_dir, pic.output_name()), data)


# --- Previews ----------------------------------------------------------------

# The combo box items the pictures make up: weather items (icon ids at x
# offsets 0, 12, 24) and mood items. Ids are image ids; each image's mask
# comes from its source.
SUN, CLOUD, UMBRELLA, SNOWMAN, SLASH, ARROW = 131, 133, 135, 137, 146, 147


def weather_items():
    items = [[SUN], [CLOUD], [UMBRELLA], [SNOWMAN]]
    pairs = [(SUN, CLOUD), (SUN, UMBRELLA), (CLOUD, SUN), (CLOUD, UMBRELLA), (UMBRELLA, SUN), (UMBRELLA, CLOUD)]
    for connector in (SLASH, ARROW):
        items += [[a, connector, b] for a, b in pairs]
    for connector in (SLASH, ARROW):
        items += [[SNOWMAN, connector, b] for b in (SUN, CLOUD, UMBRELLA)]
        items += [[a, connector, SNOWMAN] for a in (SUN, CLOUD, UMBRELLA)]
    return items


MOOD_ITEMS = [[141], [142], [144], [143]]

# A 15-pixel high item, its icons 1 pixel from the left and 1 from the top.
ITEM_WIDTH, ITEM_HEIGHT, ICON_LEFT, ICON_TOP = 40, 15, 1, 1
BACKGROUNDS = ((0xFF, 0xFF, 0xFF), (0x0A, 0x24, 0x6A), (0x33, 0x99, 0xFF))

# 3 x 5 digits for numbering the items.
DIGITS = ["111101101101111", "010110010010111", "111001111100111", "111001111001111", "101101111001001",
          "111100111001111", "111100111101111", "111001001001001", "111101111101111", "111101111001111"]


class Canvas:
    def __init__(self, width, height, colour=(0xFF, 0xFF, 0xFF)):
        self.width, self.height = width, height
        self.pixels = [[colour] * width for _ in range(height)]

    def fill(self, x, y, w, h, colour):
        for yy in range(max(y, 0), min(y + h, self.height)):
            for xx in range(max(x, 0), min(x + w, self.width)):
                self.pixels[yy][xx] = colour

    def rop(self, x, y, rgb_rows, op):
        for dy, row in enumerate(rgb_rows):
            for dx, src in enumerate(row):
                dst = self.pixels[y + dy][x + dx]
                self.pixels[y + dy][x + dx] = tuple(op(d, s) for d, s in zip(dst, src))

    def blit(self, x, y, rgb_rows):
        self.rop(x, y, rgb_rows, lambda d, s: s)

    def number(self, x, y, n, colour=(0, 0, 0)):
        for i, ch in enumerate(str(n)):
            bits = DIGITS[int(ch)]
            for k, bit in enumerate(bits):
                if bit == "1":
                    self.fill(x + i * 4 + k % 3, y + k // 3, 1, 1, colour)

    def paste(self, x, y, other, scale=1):
        for yy in range(other.height * scale):
            for xx in range(other.width * scale):
                self.pixels[y + yy][x + xx] = other.pixels[yy // scale][xx // scale]

    def png(self):
        raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in self.pixels)

        def chunk(tag, body):
            return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body))
        ihdr = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def rgb_rows(pic):
    return [[PALETTE[i][1] for i in row] for row in bitmap_indices(pic)]


def draw_icon(canvas, x, y, image, mask):
    """Draws an icon as the combo boxes do: the mask blitted SRCAND, then the
    image SRCINVERT."""
    canvas.rop(x, y, rgb_rows(mask), lambda d, s: d & s)
    canvas.rop(x, y, rgb_rows(image), lambda d, s: d ^ s)


def draw_item(canvas, x, y, ids, bitmaps, masks, background):
    canvas.fill(x, y, ITEM_WIDTH, ITEM_HEIGHT, background)
    for i, pid in enumerate(ids):
        draw_icon(canvas, x + ICON_LEFT + 12 * i, y + ICON_TOP, bitmaps[pid], masks[pid])


def items_canvas(items, bitmaps, masks, scale):
    """One row per item: its number, then the item on each background."""
    w, h = ITEM_WIDTH * scale, ITEM_HEIGHT * scale
    canvas = Canvas(12 + (w + 4) * len(BACKGROUNDS), 4 + (h + 2) * len(items), (0xE0, 0xE0, 0xE0))
    for n, ids in enumerate(items):
        y = 2 + n * (h + 2)
        canvas.number(1, y + (h - 5) // 2, n)
        for b, background in enumerate(BACKGROUNDS):
            item = Canvas(ITEM_WIDTH, ITEM_HEIGHT)
            draw_item(item, 0, 0, ids, bitmaps, masks, background)
            canvas.paste(12 + b * (w + 4), y, item, scale)
    return canvas


# What the search window's background may be: the dialog face of current
# Windows, and white.
ANIMATION_GROUNDS = ((0xF0, 0xF0, 0xF0), (0xFF, 0xFF, 0xFF))


def animation_sheet(pic):
    """The frames side by side, numbered: 4x as stored, 4x drawn transparently
    on each of ANIMATION_GROUNDS as the control does it (leaving out the
    colour of the top-left pixel), then 1x on each ground."""
    w, h = pic.frame_size
    count = len(pic.grids)
    background = rgb(pic.colours[pic.grids[0].rows[0][0]])
    x4 = 4 * w + 8
    rows = [(4, None)] + [(4, g) for g in ANIMATION_GROUNDS] + [(1, g) for g in ANIMATION_GROUNDS]
    height = 8 + sum(scale * h + 8 for scale, _ in rows) + 8
    sheet = Canvas(8 + count * x4, height, (0xE0, 0xE0, 0xE0))
    for n, grid in enumerate(pic.grids):
        sheet.number(8 + n * x4, 2, n)
        y = 8
        for scale, ground in rows:
            frame = Canvas(w, h)
            for yy, row in enumerate(grid.rows):
                for xx, ch in enumerate(row):
                    colour = rgb(pic.colours[ch])
                    frame.pixels[yy][xx] = ground if ground and colour == background else colour
            x = 8 + n * x4 if scale == 4 else 8 + n * (w + 8)
            sheet.paste(x, y, frame, scale)
            y += scale * h + 8
    return sheet


def preview(out_dir, source_dir):
    names = sorted(n for n in os.listdir(source_dir) if n.endswith(".txt"))
    pictures = load([os.path.join(source_dir, n) for n in names])
    bitmaps = {}
    for p in pictures:
        if p.kind != "icon" and p.name.startswith("bmp") and p.name[3:].isdigit():
            bitmaps[int(p.name[3:])] = p
    masks = {pid: bitmaps[int(p.mask[3:])] for pid, p in bitmaps.items() if p.kind == "image"}
    os.makedirs(out_dir, exist_ok=True)
    written = []

    # Every image enlarged 8 times: the image, its mask, and the drawn icon on
    # each background.
    images = sorted(pid for pid, p in bitmaps.items() if p.kind == "image")
    cell = 12 * 8
    sheet = Canvas(30 + (cell + 8) * (2 + len(BACKGROUNDS)), 8 + (cell + 8) * len(images), (0xE0, 0xE0, 0xE0))
    for n, pid in enumerate(images):
        y = 8 + n * (cell + 8)
        sheet.number(2, y, pid)
        image = bitmaps[pid]
        for col, c in enumerate([None, None] + list(BACKGROUNDS)):
            one = Canvas(12, 12)
            if col == 0:
                one.blit(0, 0, rgb_rows(image))
            elif col == 1:
                one.blit(0, 0, rgb_rows(masks[pid]))
            else:
                one.fill(0, 0, 12, 12, c)
                draw_icon(one, 0, 0, image, masks[pid])
            sheet.paste(20 + col * (cell + 8), y, one, 8)
    written.append(("icons_x8.png", sheet))

    written.append(("weather_x1.png", items_canvas(weather_items(), bitmaps, masks, 1)))
    written.append(("weather_x4.png", items_canvas(weather_items(), bitmaps, masks, 4)))
    written.append(("mood_x1.png", items_canvas(MOOD_ITEMS, bitmaps, masks, 1)))
    written.append(("mood_x4.png", items_canvas(MOOD_ITEMS, bitmaps, masks, 4)))

    # The program icon: each size at 1x and 8x on white and on grey, as the
    # AND mask and colour image draw it.
    for p in pictures:
        if p.kind != "icon":
            continue
        grounds = ((0xFF, 0xFF, 0xFF), (0x80, 0x80, 0x80), (0x3A, 0x6E, 0xA5))
        sheet = Canvas(8 + 3 * (32 * 8 + 8) + 3 * 40, 8 + 2 * (32 * 8 + 8), (0xE0, 0xE0, 0xE0))
        for r, (w, h) in enumerate(ICON_SIZES):
            grid = p.grid(w, h)
            for c, ground in enumerate(grounds):
                one = Canvas(w, h, ground)
                for yy, row in enumerate(grid.rows):
                    for xx, ch in enumerate(row):
                        value = p.colours[ch]
                        if value == TRANSPARENT:
                            continue
                        one.pixels[yy][xx] = PALETTE[PALETTE_INDEX[value]][1] if value in PALETTE_INDEX else value
                y = 8 + r * (32 * 8 + 8)
                sheet.paste(8 + c * (32 * 8 + 8), y, one, 8 * 32 // w)
                sheet.paste(8 + 3 * (32 * 8 + 8) + c * 40, y, one, 1)
        written.append((p.name + "_icon.png", sheet))

    for p in pictures:
        if p.kind == "animation":
            written.append((p.name + "_frames.png", animation_sheet(p)))

    for name, canvas in written:
        path = os.path.join(out_dir, name)
        write_file(path, canvas.png())
        print(path)


def main(argv):
    try:
        if len(argv) >= 3 and argv[1] == "build":
            build(argv[2], argv[3:])
        elif len(argv) >= 2 and argv[1] == "check":
            load(argv[2:])
        elif len(argv) == 4 and argv[1] == "preview":
            preview(argv[2], argv[3])
        else:
            sys.stderr.write(__doc__[__doc__.index("Usage:"):])
            return 2
    except SourceError as e:
        sys.stderr.write(f"picgen: {e}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
