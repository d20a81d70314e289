#!/usr/bin/python3
"""Draws the editor's window icon and the strip of tree images.

Run by hand after changing a picture; the two results are committed:
  src/editor/resources/ap_icon.ico     16, 32, 48 and 64 px, 32-bit with alpha
  src/editor/resources/tree_icons.bmp  612x17, 24-bit, 36 cells of 17x17

Every letter and digit is drawn from the pixel patterns below rather than
from a font, so that the cells stay sharp at 17x17 and come out the same on
any machine. Needs Pillow from Debian (python3-pil), which is installed with
apt-get when it is missing and the script runs as root.
"""

import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "..", "src", "editor", "resources")
SYSTEM_PYTHON = "/usr/bin/python3"


def install_pillow():
    if os.geteuid() != 0:
        sys.exit("draw-images: please install the Debian package python3-pil")
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(["apt-get", "update", "-qq"], check=True, env=env)
    subprocess.run(["apt-get", "install", "-y", "-qq", "python3-pil"], check=True, env=env)


try:
    from PIL import Image, ImageDraw
except ImportError:
    # Debian's Pillow belongs to the system interpreter, which may not be
    # the one that runs this script.
    if os.path.realpath(sys.executable) != os.path.realpath(SYSTEM_PYTHON):
        os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON] + sys.argv)
    install_pillow()
    from PIL import Image, ImageDraw

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
RED = (210, 0, 0)

CELL = 17
CELLS = 36

# 3x5 hex digits, one string per row, '#' = ink.
DIGITS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"],
    "3": ["###", "..#", ".##", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
    "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"],
    "7": ["###", "..#", "..#", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"],
    "9": ["###", "#.#", "###", "..#", "###"],
    "A": [".#.", "#.#", "###", "#.#", "#.#"],
    "B": ["##.", "#.#", "##.", "#.#", "##."],
    "C": [".##", "#..", "#..", "#..", ".##"],
    "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "E": ["###", "#..", "##.", "#..", "###"],
    "F": ["###", "#..", "##.", "#..", "#.."],
    # The "x" of the code, a lower-case letter on the digits' base line.
    "x": ["...", "...", "#.#", ".#.", "#.#"],
}

# Bold capitals, 11 rows high, stems two pixels wide.
CAPITALS = {
    "I": ["######",
          "######",
          "..##..",
          "..##..",
          "..##..",
          "..##..",
          "..##..",
          "..##..",
          "..##..",
          "######",
          "######"],
    "F": ["#######",
          "#######",
          "##.....",
          "##.....",
          "##.....",
          "######.",
          "######.",
          "##.....",
          "##.....",
          "##.....",
          "##....."],
    "S": ["..####..",
          ".######.",
          "##....##",
          "##......",
          ".#####..",
          "..#####.",
          "......##",
          "......##",
          "##....##",
          ".######.",
          "..####.."],
    "N": ["##....##",
          "###...##",
          "###...##",
          "####..##",
          "##.##.##",
          "##.##.##",
          "##..####",
          "##...###",
          "##...###",
          "##....##",
          "##....##"],
    "U": ["##....##",
          "##....##",
          "##....##",
          "##....##",
          "##....##",
          "##....##",
          "##....##",
          "##....##",
          "###..###",
          ".######.",
          "..####.."],
}

# The signed-integer mark: a minus above a plus.
MINUS_PLUS = ["#####",
              ".....",
              "..#..",
              "#####",
              "..#.."]

# An italic f for the function cell.
ITALIC_F = ["....###",
            "...##..",
            "...##..",
            ".######",
            "..##...",
            "..##...",
            "..##...",
            ".##....",
            ".##....",
            ".##....",
            "##.....",
            "#......"]

# Type codes whose cell shows a letter and its code; every code without a
# picture of its own gets U (unknown).
LETTERS = {}
for code in (5, 0x12, 0x20, 0x23):
    LETTERS[code] = ("S", RED)
for code in (0x10, 0x11, 0x13):
    LETTERS[code] = ("N", BLACK)
for code in (0x21, 0x22):
    LETTERS[code] = ("F", BLACK)


def put_pattern(img, x, y, rows, colour):
    for dy, row in enumerate(rows):
        for dx, ch in enumerate(row):
            if ch == "#":
                img.putpixel((x + dx, y + dy), colour)


def put_code(img, x0, code):
    """Writes "x<hex>" flush with the cell's lower right corner, one pixel in."""
    text = "x%X" % code
    width = 4 * len(text) - 1
    x = x0 + CELL - 1 - width
    y = CELL - 1 - 5
    for ch in text:
        put_pattern(img, x, y, DIGITS[ch], BLACK)
        x += 4


def draw_integer(img, x0):
    put_pattern(img, x0 + 1, 6, MINUS_PLUS, BLACK)
    put_pattern(img, x0 + 8, 3, CAPITALS["I"], RED)


def draw_float(img, x0):
    put_pattern(img, x0 + 5, 3, CAPITALS["F"], RED)


def draw_function(img, x0):
    put_pattern(img, x0, 2, ITALIC_F, BLACK)
    # tall brackets and a low x, so that "(x)" does not close up into a box
    put_pattern(img, x0 + 8, 4, [".#"] + ["#."] * 7 + [".#"], BLACK)
    put_pattern(img, x0 + 11, 8, DIGITS["x"][2:], BLACK)
    put_pattern(img, x0 + 15, 4, ["#."] + [".#"] * 7 + ["#."], BLACK)


def draw_coded(img, x0, code):
    # The letter's right edge stays left of the first digit, so the two
    # only share rows where the small x sits below the letter.
    letter, colour = LETTERS.get(code, ("U", BLACK))
    put_pattern(img, x0 + 1, 1, CAPITALS[letter], colour)
    put_code(img, x0, code)


def draw_tree_strip():
    img = Image.new("RGB", (CELL * CELLS, CELL), WHITE)
    for code in range(CELLS):
        x0 = code * CELL
        if code == 0:
            draw_integer(img, x0)
        elif code == 1:
            draw_float(img, x0)
        elif code == 2:
            draw_function(img, x0)
        else:
            draw_coded(img, x0, code)
    return img


# --- the window icon: a small data tree beside a key ---

ICON_COLOURS = {
    ".": (0, 0, 0, 0),
    "D": (25, 55, 130, 255),     # edge of the tree's boxes
    "B": (40, 100, 200, 255),    # the root
    "W": (235, 242, 255, 255),   # the children
    "L": (64, 64, 64, 255),      # tree lines
    "K": (110, 72, 0, 255),      # edge of the key
    "G": (236, 184, 32, 255),    # the key
}

# Sixteen pixels are too few to scale a drawing down to: drawn by hand.
ICON_16 = ["DDDDDDDD..KKKK..",
           "DBBBBBBD.KGGGGK.",
           "DBBBBBBD.KGKKGK.",
           "DDDDDDDD.KGKKGK.",
           ".L.......KGGGGK.",
           ".L........KGGK..",
           ".L..DDDDD.KGGK..",
           ".LLLDWWWD.KGGK..",
           ".L..DDDDD.KGGK..",
           ".L........KGGKKK",
           ".L..DDDDD.KGGGGK",
           ".LLLDWWWD.KGGKKK",
           "....DDDDD.KGGK..",
           "..........KGGKKK",
           "..........KGGGGK",
           "..........KKKKKK"]


def draw_icon_16():
    img = Image.new("RGBA", (16, 16))
    for y, row in enumerate(ICON_16):
        for x, ch in enumerate(row):
            img.putpixel((x, y), ICON_COLOURS[ch])
    return img


def draw_icon(size):
    """Draws the same picture as ICON_16 at a larger size.

    Drawn four times larger and scaled down; straight edges fall on whole
    pixels of the final size, so only the round bow of the key is softened.
    """
    if size == 16:
        return draw_icon_16()
    c = ICON_COLOURS
    scale = 4
    img = Image.new("RGBA", (size * scale, size * scale), c["."])
    d = ImageDraw.Draw(img)
    edge = max(1, size // 32)
    line = max(1, size // 24)

    def at(v):
        return int(round(v * size))

    def rect(x0, y0, x1, y1, colour):
        # whole pixels of the final size, end exclusive
        d.rectangle([x0 * scale, y0 * scale, x1 * scale - 1, y1 * scale - 1], fill=colour)

    def box(x0, y0, x1, y1, fill, outline):
        rect(x0, y0, x1, y1, outline)
        rect(x0 + edge, y0 + edge, x1 - edge, y1 - edge, fill)

    # The tree as a tree view draws it: a root, a trunk, children off the trunk.
    children = [(0.31, 0.47), (0.55, 0.71), (0.79, 0.95)]
    trunk = at(0.0625)
    mids = [at((t + b) / 2) for t, b in children]
    rect(trunk, at(0.25), trunk + line, mids[-1] + line, c["L"])
    for (t, b), mid in zip(children, mids):
        rect(trunk, mid, at(0.3), mid + line, c["L"])
        box(at(0.3), at(t), at(0.6), at(b), c["W"], c["D"])
    box(0, 0, at(0.5), at(0.25), c["B"], c["D"])

    # The key stands upright on the right: the bow on top, teeth to the right.
    sx0, sx1 = at(0.69), at(0.85)
    rect(sx0, at(0.3), sx1, size, c["K"])
    for t in (0.6, 0.82):
        rect(sx1 - edge, at(t), size, at(t + 0.12), c["K"])
        rect(sx1 - edge, at(t) + edge, size - edge, at(t + 0.12) - edge, c["G"])
    rect(sx0 + edge, at(0.3), sx1 - edge, size - edge, c["G"])
    cx, cy, r = 0.79, 0.22, 0.2
    d.ellipse([at(cx - r) * scale, at(cy - r) * scale, at(cx + r) * scale - 1, at(cy + r) * scale - 1],
              fill=c["G"], outline=c["K"], width=edge * scale)
    # join the shaft to the bow without the bow's outline between them
    rect(sx0 + edge, at(cy + 0.1), sx1 - edge, at(cy + r) + 1, c["G"])
    h = 0.065
    d.ellipse([at(cx - h) * scale, at(cy - h) * scale, at(cx + h) * scale - 1, at(cy + h) * scale - 1],
              fill=c["."], outline=c["K"], width=edge * scale)
    return img.resize((size, size), Image.BOX)


def write_ico(path, images):
    """Writes classic DIB icon entries (BGRA plus an AND mask), not PNG ones."""
    entries = []
    for img in images:
        w, h = img.size
        rows = []
        mask_rows = []
        mask_stride = ((w + 31) // 32) * 4
        for y in range(h - 1, -1, -1):
            row = bytearray()
            mask = bytearray(mask_stride)
            for x in range(w):
                r, g, b, a = img.getpixel((x, y))
                row += bytes((b, g, r, a))
                if a == 0:
                    mask[x // 8] |= 0x80 >> (x % 8)
            rows.append(bytes(row))
            mask_rows.append(bytes(mask))
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                             len(b"".join(rows)) + len(b"".join(mask_rows)), 0, 0, 0, 0)
        entries.append((w, h, header + b"".join(rows) + b"".join(mask_rows)))
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    strip = draw_tree_strip()
    strip.save(os.path.join(OUT_DIR, "tree_icons.bmp"), format="BMP")
    write_ico(os.path.join(OUT_DIR, "ap_icon.ico"), [draw_icon(s) for s in (16, 32, 48, 64)])


if __name__ == "__main__":
    main()
