#!/usr/bin/python3
"""Generates MORVANTE's cursors, icons and bitmaps.

Writes resources/art/* and resources/artwork.rc, and (with --sheet) a contact
sheet PNG that shows every image enlarged on light and dark backgrounds.

    /usr/bin/python3 resources/tools/make_artwork.py [--sheet build/art/sheet.png]

The output is deterministic, so running it again on an unchanged script leaves
the committed files byte for byte the same. Everything is drawn at 1x, pixel by
pixel: these images are seen at their real size, where smoothing only blurs.
Only the application icon's rounded outline is supersampled. The tool-button
strip is drawn again at 1.5x and 2x for scaled displays: faces and outlined
shapes at the size itself, the pixel-art pictures by nearest neighbour, so
that every edge stays a hard edge.
"""

import argparse
import io
import math
import os
import struct
import sys

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.dirname(HERE)
ART = os.path.join(RESOURCES, "art")

# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------


def bitmap_info_header(width, height, bit_count, image_size, colours_used=0):
    # BITMAPINFOHEADER: positive height = bottom-up rows, BI_RGB.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, image_size,
                       0, 0, colours_used, 0)


def row_stride(width, bit_count):
    return ((width * bit_count + 31) // 32) * 4


def pack_bits(row):
    """One row of 0/1 values to bytes, leftmost pixel in the high bit, padded to 4 bytes."""
    out = bytearray(row_stride(len(row), 1))
    for x, bit in enumerate(row):
        if bit:
            out[x >> 3] |= 0x80 >> (x & 7)
    return bytes(out)


def bmp_file(info_and_bits, palette_size):
    # BITMAPFILEHEADER in front of a packed DIB.
    offset = 14 + 40 + palette_size
    return struct.pack("<2sIHHI", b"BM", 14 + len(info_and_bits), 0, 0, offset) + info_and_bits


def bmp_24(image):
    """24-bit BI_RGB bottom-up BMP from an RGB image."""
    w, h = image.size
    stride = row_stride(w, 24)
    px = image.load()
    bits = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y][:3]
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        bits += row
    return bmp_file(bitmap_info_header(w, h, 24, len(bits)) + bits, 0)


def bmp_1(rows):
    """Monochrome BMP from rows of 0/1 (1 = white). The palette must be exactly
    black then white: only then does the loader make a monochrome bitmap, whose
    pattern brush paints 0 bits in the DC's text colour and 1 bits in its
    background colour."""
    h, w = len(rows), len(rows[0])
    bits = b"".join(pack_bits(r) for r in reversed(rows))
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return bmp_file(bitmap_info_header(w, h, 1, len(bits), 2) + palette + bits, len(palette))


TRANSPARENT, BLACK, WHITE = ".", "#", "o"


def cur_file(grid, hotspot):
    """Classic 32 x 32 monochrome cursor from a grid of '.', '#', 'o'.

    A cursor pixel is screen = (screen AND and-bit) XOR xor-bit: transparent is
    AND 1 / XOR 0, black AND 0 / XOR 0, white AND 0 / XOR 1 (palette index 1)."""
    size = len(grid)
    assert size == 32 and all(len(r) == 32 for r in grid)
    xor_rows = [[1 if c == WHITE else 0 for c in r] for r in grid]
    and_rows = [[1 if c == TRANSPARENT else 0 for c in r] for r in grid]
    xor_bits = b"".join(pack_bits(r) for r in reversed(xor_rows))
    and_bits = b"".join(pack_bits(r) for r in reversed(and_rows))
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    # The DIB height covers both masks, XOR first.
    image = bitmap_info_header(size, size * 2, 1, len(xor_bits) + len(and_bits))
    image += palette + xor_bits + and_bits
    # ICONDIR type 2 (cursor); the entry's planes/bit-count words hold the hot spot.
    head = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(image),
                        6 + 16)
    return head + entry + image


def ico_file(images):
    """Icon file from RGBA images: 32-bit DIB entries with an AND mask taken
    from alpha, and a PNG entry for 256 x 256."""
    blobs = []
    for im in images:
        w, h = im.size
        if w >= 256:
            buf = io.BytesIO()
            im.save(buf, "PNG", optimize=True)
            blobs.append(buf.getvalue())
            continue
        px = im.load()
        colour = bytearray()
        mask_rows = []
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                # Fully transparent pixels are black, so a display that draws
                # the icon through its masks (fewer colours) leaves the
                # background alone there.
                colour += bytes((b, g, r, a)) if a else bytes(4)
            mask_rows.append([1 if px[x, y][3] == 0 else 0 for x in range(w)])
        mask = b"".join(pack_bits(r) for r in mask_rows)
        blobs.append(bitmap_info_header(w, h * 2, 32, len(colour) + len(mask)) + colour + mask)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for im, blob in zip(images, blobs):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


# ---------------------------------------------------------------------------
# Cursors
# ---------------------------------------------------------------------------


def empty_grid():
    return [[TRANSPARENT] * 32 for _ in range(32)]


def outlined(black, box, keep_clear=()):
    """Grid with the given black pixels and a white 4-neighbour outline clipped
    to box (x0, y0, x1, y1 inclusive). The outline keeps the shape visible on
    dark screens; its 4-neighbour form leaves the corners of arrowheads round."""
    grid = empty_grid()
    for x, y in black:
        grid[y][x] = BLACK
    x0, y0, x1, y1 = box
    for x, y in black:
        for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if x0 <= nx <= x1 and y0 <= ny <= y1 and grid[ny][nx] == TRANSPARENT \
                    and (nx, ny) not in keep_clear:
                grid[ny][nx] = WHITE
    return ["".join(r) for r in grid]


def from_art(lines, dx=0, dy=0):
    grid = empty_grid()
    for y, line in enumerate(lines):
        for x, c in enumerate(line):
            if c != TRANSPARENT:
                grid[y + dy][x + dx] = c
    return ["".join(r) for r in grid]


def cursor_crosshair():
    # 17 x 17, centre (8, 8) left open so the pixel under the hot spot shows.
    black = {(i, 8) for i in range(17) if i != 8} | {(8, i) for i in range(17) if i != 8}
    return outlined(black, (0, 0, 16, 16), keep_clear={(8, 8)})


def cursor_plus():
    # 5 x 5, centre (2, 2) open.
    black = {(i, 2) for i in range(5) if i != 2} | {(2, i) for i in range(5) if i != 2}
    return outlined(black, (0, 0, 4, 4), keep_clear={(2, 2)})


def arrow_head_vertical(cx, tip_y, direction, depth=3):
    """Filled triangle pointing up (direction -1) or down (+1) with its tip at
    (cx, tip_y): rows of width 1, 3, 5, ..."""
    pts = set()
    for k in range(depth):
        y = tip_y - direction * k
        for x in range(cx - k, cx + k + 1):
            pts.add((x, y))
    return pts


def double_arrow_vertical():
    # 7 x 19 with the hot spot (3, 9) in the middle of the shaft.
    cx = 3
    black = {(cx, y) for y in range(1, 18)}
    black |= arrow_head_vertical(cx, 1, -1)
    black |= arrow_head_vertical(cx, 17, +1)
    return black


def transpose(points):
    return {(y, x) for x, y in points}


def cursor_size_ns():
    return outlined(double_arrow_vertical(), (0, 0, 31, 31))


def cursor_size_we():
    return outlined(transpose(double_arrow_vertical()), (0, 0, 31, 31))


def diagonal_double_arrow():
    """Upper-left to lower-right, 15 x 15 around (7, 7): a one-pixel shaft and
    right-angled heads whose legs run along the edges."""
    leg = 5
    black = {(k, k) for k in range(1, 14)}
    for y in range(1, 1 + leg):
        for x in range(1, 1 + leg):
            if x + y <= leg + 1:
                black.add((x, y))
                black.add((14 - x, 14 - y))
    return black


def cursor_size_nwse():
    return outlined(diagonal_double_arrow(), (0, 0, 31, 31))


def cursor_size_nesw():
    return outlined({(14 - x, y) for x, y in diagonal_double_arrow()}, (0, 0, 31, 31))


def cursor_move():
    # Four-way arrow, 17 x 17 around (8, 8).
    c = 8
    shaft = {(c, y) for y in range(1, 16)} | {(x, c) for x in range(1, 16)}
    up = arrow_head_vertical(c, 1, -1)
    down = arrow_head_vertical(c, 15, +1)
    black = shaft | up | down | transpose(up) | transpose(down)
    return outlined(black, (0, 0, 31, 31))


# Hands: black outline, white inside. Hot spots: open and closed (9, 9) in the
# palm; pointing (9, 6) at the top of the finger tip.
HAND_OPEN = [
    "........##..........",
    "....##.#oo#.##......",
    "...#oo##oo##oo#.....",
    "...#oo##oo##oo#.....",
    "...#oo##oo##oo#.##..",
    "...#oo##oo##oo##oo#.",
    "...#oo##oo##oo##oo#.",
    "...#oo##oo##oo##oo#.",
    "##.#oo##oo##oo##oo#.",
    "#o##oooooooooooooo#.",
    "#oo#oooooooooooooo#.",
    "#ooooooooooooooooo#.",
    ".#oooooooooooooooo#.",
    "..#ooooooooooooooo#.",
    "...#oooooooooooooo#.",
    "...#ooooooooooooo#..",
    "....#oooooooooooo#..",
    ".....#ooooooooooo#..",
    ".....#oooooooooo#...",
    ".....############...",
]

HAND_CLOSED = [
    "....##.##.##........",
    "...#oo#oo#oo##......",
    "...#oo#oo#oo#o#.....",
    "..##oo#oo#oo#o##....",
    ".#o#ooooooooooo#....",
    ".#oooooooooooooo#...",
    "..#ooooooooooooo#...",
    "...#oooooooooooo#...",
    "...#ooooooooooo#....",
    "....#oooooooooo#....",
    "....#ooooooooo#.....",
    "....###########.....",
]

HAND_POINT = [
    "....##..............",
    "...#oo#.............",
    "...#oo#.............",
    "...#oo#.............",
    "...#oo###...........",
    "...#oo#oo###........",
    "...#oo#oo#oo##......",
    "##.#oo#oo#oo#o#.....",
    "#oo#ooooooooo#o#....",
    "#ooooooooooooooo#...",
    ".#ooooooooooooooo#..",
    "..#oooooooooooooo#..",
    "..#oooooooooooooo#..",
    "...#ooooooooooooo#..",
    "...#oooooooooooo#...",
    "....#ooooooooooo#...",
    ".....#oooooooooo#...",
    ".....############...",
]


def cursors():
    """(resource id, file name, grid, hot spot, role)."""
    return [
        (102, "hand_open.cur", from_art(HAND_OPEN, 0, 0), (9, 9), "move zone"),
        (103, "hand_grab.cur", from_art(HAND_CLOSED, 1, 5), (9, 9), "moving"),
        (104, "move.cur", cursor_move(), (8, 8), "four-way"),
        (105, "size_nesw.cur", cursor_size_nesw(), (7, 7), "lower-left/upper-right"),
        (106, "size_ns.cur", cursor_size_ns(), (3, 9), "top/bottom edge"),
        (107, "size_nwse.cur", cursor_size_nwse(), (7, 7), "upper-left/lower-right"),
        (108, "size_we.cur", cursor_size_we(), (9, 3), "left/right edge"),
        (110, "hand_point.cur", from_art(HAND_POINT, 5, 6), (9, 6), "tool button"),
        (115, "cross.cur", cursor_crosshair(), (8, 8), "outside"),
        (128, "plus.cur", cursor_plus(), (2, 2), "outside, corner snap"),
    ]


# ---------------------------------------------------------------------------
# Frame stripe tiles
# ---------------------------------------------------------------------------


def stripe_rows(slot):
    # Light (1) where (x + y - 2 * slot) mod 8 is 0, 1 or 2: stripes three light
    # and five dark pixels wide, rising to the right; each slot moves them two
    # pixels right, so stepping through the slots makes the ring march.
    return [[1 if (x + y - 2 * slot) % 8 < 3 else 0 for x in range(8)] for y in range(8)]


# Resource id of each slot (the view loads 114, 112, 113, 111 into slots 0-3).
STRIPE_IDS = {0: 114, 1: 112, 2: 113, 3: 111}

# ---------------------------------------------------------------------------
# Tool panel icons: 24 x 24 button faces, normal row and highlighted row
# ---------------------------------------------------------------------------


def hexrgb(s):
    s = s.lstrip("#")
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


FACE = {
    False: dict(top=hexrgb("fbfcfd"), bottom=hexrgb("dfe4ea"), border=hexrgb("7d8896"),
                bevel=hexrgb("ffffff")),
    True: dict(top=hexrgb("fff7d1"), bottom=hexrgb("ffdf80"), border=hexrgb("c28a1e"),
               bevel=hexrgb("fffbe9")),
}


def button_face(highlight, n=24, line=1):
    """An n x n face: gradient, a border `line` pixels wide and a bevel of the
    same width inside it along the top and left."""
    f = FACE[highlight]
    im = Image.new("RGB", (n, n))
    px = im.load()
    for y in range(n):
        c = mix(f["top"], f["bottom"], y / (n - 1))
        for x in range(n):
            px[x, y] = c
    for k in range(line):
        for i in range(n):
            px[i, k] = px[i, n - 1 - k] = px[k, i] = px[n - 1 - k, i] = f["border"]
    for k in range(line, 2 * line):
        for i in range(line, n - line):
            px[i, k] = f["bevel"]
        for i in range(2 * line, n - line):
            px[k, i] = mix(f["bevel"], px[k, i], 0.5)
    return im


def paste_art(im, lines, palette, ox, oy):
    px = im.load()
    for y, line in enumerate(lines):
        assert len(line) == len(lines[0]), (lines[0], line)
        for x, c in enumerate(line):
            if c == ".":
                continue
            px[ox + x, oy + y] = palette[c]


def paste_shape(im, inside, fill, outline, ox=0, oy=0, w=24, h=24, k=1):
    """Pixels where inside(x, y) holds are filled with fill(x, y); those with a
    4-neighbour outside the shape become the outline. At a scale k other than
    1 the image is k times the size: each pixel's centre is taken back to the
    1x coordinates (fractional) for inside(), the nearest 1x pixel for fill(),
    and the outline stays one pixel wide."""
    px = im.load()
    if k == 1:
        at = lambda x, y: (x, y)
    else:
        w, h = round(w * k), round(h * k)
        at = lambda x, y: ((x + 0.5) / k - 0.5, (y + 0.5) / k - 0.5)
    covered = [[inside(*at(x, y)) for x in range(-1, w + 1)] for y in range(-1, h + 1)]
    for y in range(h):
        for x in range(w):
            if not covered[y + 1][x + 1]:
                continue
            edge = not (covered[y + 1][x + 2] and covered[y + 1][x] and covered[y + 2][x + 1]
                        and covered[y][x + 1])
            u, v = at(x, y)
            u, v = int(round(u)), int(round(v))
            c = outline(u, v) if callable(outline) else outline
            px[ox + x, oy + y] = c if edge else fill(u, v)


GLYPHS = {
    "B": ["####.", "##.##", "##.##", "####.", "##.##", "##.##", "####."],
    "P": ["####.", "##.##", "##.##", "####.", "##...", "##...", "##..."],
    "J": ["...##", "...##", "...##", "...##", "##.##", "##.##", ".###."],
}

FAMILY = {
    "B": dict(body=hexrgb("3b78d8"), light=hexrgb("6c9be6"), dark=hexrgb("1d4386"),
              letter=hexrgb("1d4ea0")),
    "P": dict(body=hexrgb("2f9d5a"), light=hexrgb("5cc283"), dark=hexrgb("17582f"),
              letter=hexrgb("17763b")),
    "J": dict(body=hexrgb("e07a26"), light=hexrgb("f2a35e"), dark=hexrgb("8a4210"),
              letter=hexrgb("b4520e")),
}

DISK = [
    "KKKKKKKKKKKKKKKK..",
    "KhhKSSSSSSssSKDDK.",
    "KhDKSSSSSSssSKDDDK",
    "KhDKSSSSSSssSKDDDK",
    "KhDKSSSSSSssSKDDDK",
    "KhDKSSSSSSSSSKDDDK",
    "KhDDKKKKKKKKKDDDDK",
    "KhDDDDDDDDDDDDDDDK",
    "KhWWWWWWWWWWWWWWDK",
    "KDWWWWWWWWWWWWWWDK",
    "KDWWWWWWWWWWWWWWDK",
    "KDWWWWWWWWWWWWWWDK",
    "KDWWWWWWWWWWWWWWDK",
    "KDWWWWWWWWWWWWWWDK",
    "KDWWWWWWWWWWWWWWDK",
    "KDWWWWWWWWWWWWWWDK",
    "KDWWWWWWWWWWWWWWDK",
    "KKKKKKKKKKKKKKKKKK",
]


def draw_disk(im, letter, ox, oy):
    fam = FAMILY[letter]
    pal = dict(K=fam["dark"], D=fam["body"], h=fam["light"], S=hexrgb("dfe3e8"),
               s=hexrgb("59636e"), W=hexrgb("ffffff"))
    paste_art(im, DISK, pal, ox, oy)
    paste_art(im, GLYPHS[letter], {"#": fam["letter"]}, ox + 6, oy + 9)


def badge_box(im, x0, y0, size, fill=(255, 255, 255)):
    d = ImageDraw.Draw(im)
    d.rectangle((x0, y0, x0 + size - 1, y0 + size - 1), fill=fill, outline=hexrgb("3a4350"))


def badge_full_colour(im, x0, y0):
    # A smooth spectrum: hue across, lighter towards the top.
    badge_box(im, x0, y0, 9)
    px = im.load()
    for y in range(7):
        for x in range(7):
            h = x / 7.0
            r, g, b = hue(h)
            t = (6 - y) / 12.0
            px[x0 + 1 + x, y0 + 1 + y] = mix((r, g, b), (255, 255, 255), t)


def hue(h):
    h6 = h * 6
    i = int(h6) % 6
    f = h6 - int(h6)
    v = [(1, f, 0), (1 - f, 1, 0), (0, 1, f), (0, 1 - f, 1), (f, 0, 1), (1, 0, 1 - f)][i]
    return tuple(int(round(c * 255)) for c in v)


def badge_palette(im, x0, y0):
    # Four flat blocks: a few colours, as in an indexed palette.
    badge_box(im, x0, y0, 9, fill=hexrgb("3a4350"))
    d = ImageDraw.Draw(im)
    for (cx, cy), col in zip(((0, 0), (1, 0), (0, 1), (1, 1)),
                             ("e53935", "fdd835", "43a047", "1e88e5")):
        x = x0 + 1 + cx * 4
        y = y0 + 1 + cy * 4
        d.rectangle((x, y, x + 2, y + 2), fill=hexrgb(col))


def quality_meter(im, x0, y0, level):
    """A column of four segments beside the disk, filled from the bottom: four
    for the best JPEG quality (level 0), one for the lowest (level 3)."""
    d = ImageDraw.Draw(im)
    frame = hexrgb("3a4350")
    for k in range(4):
        top = y0 + (3 - k) * 5
        lit = k < 4 - level
        d.rectangle((x0, top, x0 + 3, top + 3), fill=hexrgb("2fa84f") if lit
                    else hexrgb("f4f6f8"), outline=frame)


CLIPBOARD = [
    "......KKKK......",
    ".....KM..MK.....",
    "..KKKKMKKMKKKK..",
    ".KBBKMMMMMMKBBK.",
    ".KBBKKKKKKKKBBK.",
    ".KBWWWWWWWWWWBK.",
    ".KBWggggggggWBK.",
    ".KBWWWWWWWWWWBK.",
    ".KBWgggggggWWBK.",
    ".KBWWWWWWWWWWBK.",
    ".KBWggggggggWBK.",
    ".KBWWWWWWWWWWBK.",
    ".KBWgggggWWWWBK.",
    ".KBWWWWWWWWWWBK.",
    ".KBWggggggggWBK.",
    ".KBWWWWWWWWWWBK.",
    ".KBBBBBBBBBBBBK.",
    ".KKKKKKKKKKKKKK.",
]
CLIPBOARD_PAL = dict(K=hexrgb("5b3b18"), B=hexrgb("c08a4a"), M=hexrgb("aab4bf"),
                     W=hexrgb("ffffff"), g=hexrgb("8f9aa8"))

FOLDER = [
    "KKKKKK..............",
    "KYYYYYK.............",
    "KYYYYYYKKKKKKKKK....",
    "KYYYYYYYYYYYYYYK....",
    "KYYYYYYYYYYYYYYK....",
    "KYYYYKKKKKKKKKKKKKKK",
    "KYYYYKffffffffffffFK",
    "KYYYKFFFFFFFFFFFFFK.",
    "KYYYKFFFFFFFFFFFFFK.",
    "KYYKFFFFFFFFFFFFFK..",
    "KYYKFFFFFFFFFFFFFK..",
    "KYKFFFFFFFFFFFFFK...",
    "KYKFFFFFFFFFFFFFK...",
    "KKKKKKKKKKKKKKKKK...",
]
FOLDER_PAL = dict(K=hexrgb("8a5d0c"), Y=hexrgb("e2aa3a"), F=hexrgb("f7d36b"),
                  f=hexrgb("fbe7a8"))

PICTURE = [
    "KKKKKKKKKKKKKKKKKK",
    "KWWWWWWWWWWWWWWWWK",
    "KWSSSSSSSSSSSSSSWK",
    "KWSSSSSSSSSSUUSSWK",
    "KWSSSSSSSSSUUUUSWK",
    "KWSSSSSSSSSUUUUSWK",
    "KWSSSSSGSSSSUUSSWK",
    "KWSSSSGGGSSSSSSSWK",
    "KWSSSGGGGGSSSSSSWK",
    "KWSSGGGGGGGSSHSSWK",
    "KWSGGGGGGGGGHHHSWK",
    "KWGGGGGGGGGGHHHHWK",
    "KWGGGGGGGGGGGGGGWK",
    "KWWWWWWWWWWWWWWWWK",
    "KKKKKKKKKKKKKKKKKK",
]
PICTURE_PAL = dict(K=hexrgb("3d4652"), W=hexrgb("ffffff"), S=hexrgb("8ecdf5"),
                   U=hexrgb("ffc928"), G=hexrgb("4caf50"), H=hexrgb("2e7d32"))

PIN = [
    "....KKKKKK....",
    "...KrRRRRRK...",
    "...KKKKKKKK...",
    "....KrRRK.....",
    "....KrRRK.....",
    "....KrRRK.....",
    "....KrRRK.....",
    "...KrRRRRK....",
    "..KrRRRRRRK...",
    ".KKKKKKKKKKK..",
    "......N.......",
    "......N.......",
    "......N.......",
    "......N.......",
    "......n.......",
]
PIN_PAL = dict(K=hexrgb("8e1b1b"), R=hexrgb("e53935"), r=hexrgb("ff8a80"),
               N=hexrgb("5f6b7a"), n=hexrgb("9aa5b1"))


def draw_pencil(im, k=1):
    # Along the diagonal from the tip (2, 21) to the end (21, 2): t runs along
    # it, c across it (c = 0 on the axis, one step per pixel diagonal).
    def tc(x, y):
        return x - y, x + y - 23

    def inside(x, y):
        t, c = tc(x, y)
        if t < -19 or t > 18:
            return False
        if t < -9:
            return abs(c) <= (t + 19) * 3 / 10 + 0.01
        return abs(c) <= 3

    def fill(x, y):
        t, c = tc(x, y)
        if t < -15:
            return hexrgb("3b3f45")                         # graphite
        if t < -9:
            return hexrgb("f2d3a2") if c < 1 else hexrgb("d9b27a")   # bare wood
        if t < 10:
            return {-2: hexrgb("ffe27a"), -1: hexrgb("ffc928"), 0: hexrgb("ffc928"),
                    1: hexrgb("f0a800"), 2: hexrgb("d48f00")}[max(-2, min(2, c))]
        if t < 13:
            return hexrgb("d6dbe1") if c < 1 else hexrgb("9aa3ad")   # ferrule
        return hexrgb("f4a0a8") if c < 1 else hexrgb("e07a86")       # eraser

    paste_shape(im, inside, fill, hexrgb("4a3b22"), k=k)


def draw_gear(im, k=1):
    teeth = 8

    def covered(px, py):
        dx, dy = px - 12, py - 12
        r = math.hypot(dx, dy)
        a = math.atan2(dy, dx) + math.pi * 0.5 / teeth   # a tooth centred on each axis
        phase = (a * teeth / (2 * math.pi)) % 1.0
        outer = 10.0 if phase < 0.5 else 7.0
        return 3.2 <= r <= outer

    def inside(x, y):
        # Majority of a 4 x 4 subsample grid: symmetric teeth without
        # single-pixel spurs.
        hits = sum(covered(x + (i + 0.5) / 4, y + (j + 0.5) / 4)
                   for i in range(4) for j in range(4))
        return hits >= 8

    def fill(x, y):
        return mix(hexrgb("d3d9e0"), hexrgb("7d8896"), (x + y) / 46.0)

    paste_shape(im, inside, fill, hexrgb("3f4955"), k=k)


def draw_cross(im, k=1):
    def inside(x, y):
        u, v = x - 11.5, y - 11.5
        return max(abs(u), abs(v)) <= 7.5 and (abs(u - v) <= 2.5 or abs(u + v) <= 2.5)

    paste_shape(im, inside, lambda x, y: hexrgb("e0443a") if x + y < 24 else hexrgb("c62f26"),
                hexrgb("7f1a14"), k=k)


def draw_minimise(im):
    # The caption-button bar: the window drops to a bar at the bottom.
    d = ImageDraw.Draw(im)
    d.rectangle((5, 14, 18, 18), fill=hexrgb("3b78d8"), outline=hexrgb("1d4386"))
    d.line((6, 15, 17, 15), fill=hexrgb("8fb5ef"))


# Icons drawn as outlined shapes, redrawn at each scale.
SHAPE_ICONS = {16: draw_pencil, 17: draw_gear, 19: draw_cross}


def tool_icon(index, highlight):
    im = button_face(highlight)
    tool_picture(im, index)
    return im


def tool_icon_scaled(index, highlight, k):
    """The icon at scale k (1.5 or 2): the face drawn at its size with lines
    floor(k) wide; a shape redrawn at the size; a pixel-art picture drawn at
    1x on a clear layer and enlarged by nearest neighbour over the face."""
    n = round(24 * k)
    im = button_face(highlight, n, int(k))
    if index in SHAPE_ICONS:
        SHAPE_ICONS[index](im, k)
        return im
    layer = Image.new("RGBA", (24, 24), (0, 0, 0, 0))
    tool_picture(layer, index)
    layer = layer.resize((n, n), Image.NEAREST)
    im.paste(layer, (0, 0), layer)
    return im


def tool_picture(im, index):
    families = {0: "B", 1: "B", 2: "B", 3: "P", 4: "P", 5: "P", 6: "J", 7: "J", 8: "J",
                9: "J", 10: "J"}
    if index in (0, 3, 6):
        draw_disk(im, families[index], 3, 3)
    elif index in (1, 4):
        draw_disk(im, families[index], 2, 2)
        badge_full_colour(im, 14, 14)
    elif index in (2, 5):
        draw_disk(im, families[index], 2, 2)
        badge_palette(im, 14, 14)
    elif 7 <= index <= 10:
        draw_disk(im, families[index], 1, 3)
        quality_meter(im, 19, 2, index - 7)
    elif index == 11:
        paste_art(im, CLIPBOARD, CLIPBOARD_PAL, 4, 3)
    elif index == 12:
        paste_art(im, CLIPBOARD, CLIPBOARD_PAL, 3, 2)
        badge_palette(im, 14, 14)
    elif index == 13:
        paste_art(im, FOLDER, FOLDER_PAL, 2, 5)
    elif index == 14:
        paste_art(im, PICTURE, PICTURE_PAL, 3, 5)
    elif index == 15:
        paste_art(im, PIN, PIN_PAL, 5, 4)
    elif index in SHAPE_ICONS:
        SHAPE_ICONS[index](im)
    elif index == 18:
        draw_minimise(im)


# Scale of each tool strip and its resource id (the 1x strip is 127).
TOOL_STRIPS = ((1, 127, "tools.bmp"), (1.5, 135, "tools150.bmp"), (2, 136, "tools200.bmp"))


def tool_strip(k=1):
    # 30 cells of 24k x 24k; the panel draws cells 0-19 only.
    n = round(24 * k)
    strip = Image.new("RGB", (30 * n, 2 * n), FACE[False]["bottom"])
    for i in range(20):
        for row in (0, 1):
            icon = tool_icon(i, row == 1) if k == 1 else tool_icon_scaled(i, row == 1, k)
            strip.paste(icon, (n * i, n * row))
    return strip


# ---------------------------------------------------------------------------
# Application icon and menu check mark
# ---------------------------------------------------------------------------


def app_icon(size):
    """A deep blue tile holding a bright selected area outlined by the
    program's own striped ring, with grab handles at its corners."""
    s = size
    ss = 8 if s < 256 else 4
    big = Image.new("L", (s * ss, s * ss), 0)
    radius = {16: 3, 32: 6, 48: 9, 256: 44}[s]
    ImageDraw.Draw(big).rounded_rectangle((0, 0, s * ss - 1, s * ss - 1), radius * ss, fill=255)
    alpha = big.resize((s, s), Image.BOX)
    im = Image.new("RGBA", (s, s))
    px = im.load()
    top, bottom = hexrgb("3f5fa8"), hexrgb("1a2752")
    for y in range(s):
        for x in range(s):
            c = mix(top, bottom, (y + x * 0.35) / (s * 1.35))
            a = alpha.getpixel((x, y))
            # Drop the faint fringe of the corner arcs: a pixel of 2 % cover
            # would only show as a stray dot on a light desktop.
            px[x, y] = c + (a if a >= 16 else 0,)
    # Selection box (inclusive pixel coordinates), ring thickness and handle size.
    box, ring, handle = {
        16: ((3, 4, 12, 11), 1, 0),
        32: ((6, 8, 25, 23), 2, 4),
        48: ((9, 12, 38, 35), 3, 5),
        256: ((48, 64, 207, 191), 12, 24),
    }[s]
    x0, y0, x1, y1 = box
    inner_top, inner_bottom = hexrgb("e8f5ff"), hexrgb("9fd2f5")
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            px[x, y] = mix(inner_top, inner_bottom, (y - y0) / max(1, y1 - y0)) + (255,)
    if s >= 32:
        draw_landscape(im, box)
    period = max(4, ring * 4)
    light = period * 3 // 8 if ring > 1 else 2
    for y in range(y0 - ring, y1 + ring + 1):
        for x in range(x0 - ring, x1 + ring + 1):
            if x0 <= x <= x1 and y0 <= y <= y1:
                continue
            on = (x + y) % period < light
            px[x, y] = ((255, 255, 255) if on else (0, 0, 0)) + (255,)
    if handle:
        d = ImageDraw.Draw(im)
        for hx, hy in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
            half = handle // 2
            d.rectangle((hx - half, hy - half, hx - half + handle - 1, hy - half + handle - 1),
                        fill=(255, 255, 255, 255), outline=(20, 30, 60, 255),
                        width=max(1, handle // 8))
    return im


def draw_landscape(im, box):
    """A sun and two hills inside the selected area (large sizes only)."""
    x0, y0, x1, y1 = box
    w, h = x1 - x0 + 1, y1 - y0 + 1
    px = im.load()
    sun = (x0 + w * 0.72, y0 + h * 0.33, h * 0.14)
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            fx, fy = (x + 0.5 - x0) / w, (y + 0.5 - y0) / h
            if math.hypot(x + 0.5 - sun[0], y + 0.5 - sun[1]) <= sun[2]:
                px[x, y] = hexrgb("ffc928") + (255,)
            hill1 = 0.55 + 0.18 * math.cos((fx - 0.25) * math.pi * 1.6)
            hill2 = 0.72 + 0.12 * math.cos((fx - 0.85) * math.pi * 1.8)
            if fy >= min(hill1, hill2):
                px[x, y] = (hexrgb("2e7d32") if hill2 < hill1 else hexrgb("4caf50")) + (255,)


def check_icon():
    """14 x 14 check mark for the menu gutter: dark, with soft edges."""
    s = 14
    ss = 8
    big = Image.new("L", (s * ss, s * ss), 0)
    d = ImageDraw.Draw(big)
    pts = [(2.5, 7.5), (5.5, 10.5), (11.5, 3.5)]
    d.line([(x * ss, y * ss) for x, y in pts], fill=255, width=int(2.2 * ss), joint="curve")
    for x, y in (pts[0], pts[2]):
        r = 1.1 * ss
        d.ellipse((x * ss - r, y * ss - r, x * ss + r, y * ss + r), fill=255)
    alpha = big.resize((s, s), Image.BOX)
    im = Image.new("RGBA", (s, s))
    colour = hexrgb("1c2430")
    for y in range(s):
        for x in range(s):
            a = alpha.getpixel((x, y))
            im.putpixel((x, y), colour + (a if a > 12 else 0,))
    return im


# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------


def write(name, data):
    path = os.path.join(ART, name)
    with open(path, "wb") as f:
        f.write(data)
    return "art/" + name


def generate():
    os.makedirs(ART, exist_ok=True)
    lines = ["// Images of the program: cursors, icons, bitmaps.",
             "// Generated by tools/make_artwork.py; edit the script, not this file.", ""]
    for rid, name, grid, hot, role in cursors():
        lines.append('%d CURSOR "%s"  // %s' % (rid, write(name, cur_file(grid, hot)), role))
    icon_sizes = (16, 32, 48, 256)
    lines.append('109 ICON "%s"' % write("app.ico", ico_file([app_icon(s) for s in icon_sizes])))
    lines.append('134 ICON "%s"' % write("check.ico", ico_file([check_icon()])))
    for slot in range(4):
        name = "stripe%d.bmp" % slot
        lines.append('%d BITMAP "%s"  // frame pattern, slot %d' %
                     (STRIPE_IDS[slot], write(name, bmp_1(stripe_rows(slot))), slot))
    for k, rid, name in TOOL_STRIPS:
        lines.append('%d BITMAP "%s"%s' % (rid, write(name, bmp_24(tool_strip(k))),
                                           "" if k == 1 else "  // tool buttons at %gx" % k))
    header = [l for l in lines if not l[:1].isdigit()]
    body = sorted((l for l in lines if l[:1].isdigit()), key=lambda l: int(l.split()[0]))
    with open(os.path.join(RESOURCES, "artwork.rc"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(header + body) + "\n")


# ---------------------------------------------------------------------------
# Contact sheet
# ---------------------------------------------------------------------------


def cursor_image(grid):
    im = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    for y, row in enumerate(grid):
        for x, c in enumerate(row):
            if c == BLACK:
                im.putpixel((x, y), (0, 0, 0, 255))
            elif c == WHITE:
                im.putpixel((x, y), (255, 255, 255, 255))
    return im


def checker(w, h, a=(200, 200, 200), b=(235, 235, 235), cell=8):
    im = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(im)
    for y in range(0, h, cell):
        for x in range(0, w, cell):
            d.rectangle((x, y, x + cell - 1, y + cell - 1),
                        fill=a if (x // cell + y // cell) % 2 else b)
    return im


def zoom(im, k):
    return im.resize((im.width * k, im.height * k), Image.NEAREST)


def sheet(path):
    out = Image.new("RGB", (1400, 1260), (246, 246, 246))
    d = ImageDraw.Draw(out)
    y = 8
    d.text((8, y), "cursors: 4x on light and dark (red = hot spot), then 1x", fill=(0, 0, 0))
    y += 16
    for i, (rid, name, grid, hot, role) in enumerate(cursors()):
        im = cursor_image(grid)
        x = 8 + i * 138
        for j, bg in enumerate(((230, 230, 230), (40, 40, 40))):
            tile = Image.new("RGB", (128, 128), bg)
            tile.paste(zoom(im, 4), (0, 0), zoom(im, 4))
            ImageDraw.Draw(tile).rectangle((hot[0] * 4, hot[1] * 4, hot[0] * 4 + 3,
                                            hot[1] * 4 + 3), outline=(255, 0, 0))
            out.paste(tile, (x, y + j * 132))
        d.text((x, y + 264), "%d %s" % (rid, role[:20]), fill=(0, 0, 0))
        bg = checker(48, 48, (90, 120, 160), (250, 250, 250), 4)
        bg.paste(im, (8, 8), im)
        out.paste(bg, (x, y + 280))
    y += 340
    d.text((8, y), "application icon 109 (4x and 1x, light and dark), 256 px; check mark 134",
           fill=(0, 0, 0))
    y += 16
    x = 8
    for s in (16, 32, 48):
        im = app_icon(s)
        for j, bg in enumerate(((250, 250, 250), (30, 30, 30))):
            tile = Image.new("RGB", (s * 4, s * 4), bg)
            tile.paste(zoom(im, 4), (0, 0), zoom(im, 4))
            out.paste(tile, (x, y + j * 196))
            small = Image.new("RGB", (s + 8, s + 8), bg)
            small.paste(im, (4, 4), im)
            out.paste(small, (x + s * 4 + 4, y + j * 196))
        x += s * 5 + 20
    big = app_icon(256)
    tile = checker(256, 256)
    tile.paste(big, (0, 0), big)
    out.paste(tile, (x, y))
    x += 270
    chk = check_icon()
    menu = Image.new("RGB", (160, 40), (255, 255, 255))
    md = ImageDraw.Draw(menu)
    md.rectangle((0, 0, 19, 39), fill=(204, 204, 204))
    md.rectangle((1, 21, 158, 38), fill=(255, 238, 170), outline=(238, 204, 153))
    menu.paste(chk, (3, 3), chk)
    menu.paste(chk, (3, 23), chk)
    md.text((26, 5), "PNG", fill=(0, 0, 0))
    md.text((26, 25), "JPEG", fill=(0, 0, 0))
    out.paste(menu, (x, y))
    out.paste(zoom(menu.crop((0, 0, 20, 40)), 8), (x, y + 48))
    y += 400
    d.text((8, y), "frame tiles, slots 0-3 (12x), and the ring they make (2x)", fill=(0, 0, 0))
    y += 16
    for slot in range(4):
        rows = stripe_rows(slot)
        tile = Image.new("RGB", (8, 8))
        for ty in range(8):
            for tx in range(8):
                tile.putpixel((tx, ty), (255, 255, 255) if rows[ty][tx] else (0, 0, 0))
        out.paste(zoom(tile, 12), (8 + slot * 104, y))
        colours = ((0, 0, 0), (255, 255, 255)) if slot % 2 == 0 else \
            ((0xFF, 0x66, 0x66), (255, 255, 255))
        out.paste(zoom(ring_demo(rows, colours), 2), (430 + slot * 140, y))
    y += 110
    d.text((8, y), "tool strip 127 cells 0-19 (2x, then 1x); the default panel, third button "
           "hovered (2x)", fill=(0, 0, 0))
    y += 16
    strip = tool_strip()
    out.paste(zoom(strip.crop((0, 0, 480, 48)), 2), (8, y))
    y += 104
    out.paste(strip.crop((0, 0, 480, 48)), (8, y))
    out.paste(panel_demo(strip), (500, y - 4))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    out.save(path)


def ring_demo(rows, colours):
    fore, back = colours
    im = Image.new("RGB", (64, 48), (120, 140, 160))
    for y in range(48):
        for x in range(64):
            inner = 6 <= x < 58 and 6 <= y < 42
            outer = 4 <= x < 60 and 4 <= y < 44
            if outer and not inner:
                im.putpixel((x, y), back if rows[y % 8][x % 8] else fore)
    return im


def panel_demo(strip):
    """The seven default buttons as the panel paints them, the third hovered."""
    shown = [0, 3, 6, 11, 13, 18, 19]
    w = 28 * len(shown) - 2 + 4
    bg = checker(w + 20, 48, (180, 196, 214), (210, 222, 236), 6)
    px0, py0 = 10, 6
    for k, i in enumerate(shown):
        bx = px0 + 28 * k
        hovered = k == 2
        # Shadow: the 24 x 24 box at (bx, y + 2) darkened 4 px right and down.
        for yy in range(py0 + 2 + 4, py0 + 2 + 4 + 24):
            for xx in range(bx + 4, bx + 4 + 24):
                r, g, b = bg.getpixel((xx, yy))
                bg.putpixel((xx, yy), (r // 2, g // 2, b // 2))
        cell = strip.crop((24 * i, 24 if hovered else 0, 24 * i + 24, 48 if hovered else 24))
        bg.paste(cell, (bx, py0 + 2) if hovered else (bx + 2, py0 + 4))
    return zoom(bg, 2)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--sheet", help="also render a contact sheet PNG to this path")
    args = ap.parse_args()
    generate()
    if args.sheet:
        sheet(args.sheet)
    return 0


if __name__ == "__main__":
    sys.exit(main())
