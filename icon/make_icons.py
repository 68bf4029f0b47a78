#!/usr/bin/env python3
"""Makes every file of the game's icon from the pixel grid in icon.txt.

    make_icons.py          writes the files into this folder
    make_icons.py --check  only compares them with what it would write; exit status 1 if any differ

The picture is scaled by whole numbers only, so each pixel of the grid stays a sharp square.
Only Python's standard library is used, and the same grid always gives the same bytes.
"""

import struct
import sys
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE = HERE / "icon.txt"
NAME = "rpg"
PNG_SIZES = (16, 32, 48, 64, 128, 192, 256, 512)
ICO_SIZES = (16, 32, 48, 256)
# Windows shows small icons from bitmaps best; the largest one is a PNG inside the ICO.
ICO_PNG_FROM = 256
MASKABLE_SIZE = 512
# A maskable icon may be cut to a circle of 80% of its width, so the picture keeps within it.
MASKABLE_SCALE = 20
CLEAR = "."


class Picture:
    """A grid of palette keys and the palette's RGB colours; CLEAR is a clear pixel."""

    def __init__(self, rows, palette):
        self.rows = rows
        self.palette = palette
        self.size = len(rows)

    def rgba(self, x, y):
        key = self.rows[y][x]
        if key == CLEAR:
            return (0, 0, 0, 0)
        return self.palette[key] + (255,)


def read_picture(path):
    palette = {}
    rows = []
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        if not line.strip() or line.startswith("#"):
            continue
        parts = line.split()
        if len(parts) == 2 and len(parts[0]) == 1 and parts[1].startswith("#") and len(parts[1]) == 7:
            palette[parts[0]] = tuple(int(parts[1][i : i + 2], 16) for i in (1, 3, 5))
            continue
        unknown = set(line) - set(palette) - {CLEAR}
        if unknown:
            raise SystemExit(f"{path}:{number}: no colour for {''.join(sorted(unknown))}")
        rows.append(line)
    if not rows or any(len(row) != len(rows) for row in rows):
        raise SystemExit(f"{path}: the picture must be square, every row as long as there are rows")
    return Picture(rows, palette)


def scaled_pixels(picture, size):
    """Rows of RGBA tuples, the picture scaled to size by a whole number."""
    if size % picture.size:
        raise SystemExit(f"{size} is not a whole multiple of the picture's {picture.size} pixels")
    scale = size // picture.size
    return [[picture.rgba(x // scale, y // scale) for x in range(size)] for y in range(size)]


def maskable_pixels(picture, size, scale):
    """The picture at the centre of an opaque square, its edges carried out to the square's edges."""
    filled = []
    for row in picture.rows:
        # A clear corner takes the colour beside it, so the scene goes on behind the mask.
        cells = list(row)
        for x, key in enumerate(cells):
            if key == CLEAR:
                neighbours = [cells[n] for n in (x + 1, x - 1) if 0 <= n < len(cells) and cells[n] != CLEAR]
                cells[x] = neighbours[0] if neighbours else CLEAR
        filled.append("".join(cells))
    opaque = Picture(filled, picture.palette)
    offset = (size - picture.size * scale) // 2
    last = picture.size - 1

    def cell(coordinate):
        return min(max((coordinate - offset) // scale, 0), last)

    return [[opaque.rgba(cell(x), cell(y)) for x in range(size)] for y in range(size)]


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    height = len(pixels)
    width = len(pixels[0])
    # Filter type 0 on every row, RGBA at 8 bits per channel.
    raw = b"".join(b"\0" + bytes(channel for pixel in row for channel in pixel) for row in pixels)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", header)
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def ico_bitmap(pixels):
    """A 32-bit bitmap as an ICO holds it: bottom-up BGRA, then the 1-bit mask of clear pixels."""
    size = len(pixels)
    mask_row_bytes = (size + 31) // 32 * 4
    colours = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask = b""
    for row in reversed(pixels):
        bits = bytearray(mask_row_bytes)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colours) + len(mask), 0, 0, 0, 0)
    return header + colours + mask


def ico(picture):
    images = []
    for size in ICO_SIZES:
        pixels = scaled_pixels(picture, size)
        images.append((size, png(pixels) if size >= ICO_PNG_FROM else ico_bitmap(pixels)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        # A width or height of 0 stands for 256.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


def svg(picture):
    """One rectangle per run of a colour in a row; crisp edges keep the pixels square at any size."""
    size = picture.size
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{size * 16}" height="{size * 16}" '
        f'viewBox="0 0 {size} {size}" shape-rendering="crispEdges">',
        "<title>Серый Брод</title>",
    ]
    for y, row in enumerate(picture.rows):
        x = 0
        while x < size:
            end = x
            while end < size and row[end] == row[x]:
                end += 1
            if row[x] != CLEAR:
                colour = "#%02x%02x%02x" % picture.palette[row[x]]
                lines.append(f'<rect x="{x}" y="{y}" width="{end - x}" height="1" fill="{colour}"/>')
            x = end
    lines.append("</svg>")
    return ("\n".join(lines) + "\n").encode("utf-8")


def icon_files(picture):
    files = {f"{NAME}.svg": svg(picture), f"{NAME}.ico": ico(picture)}
    for size in PNG_SIZES:
        files[f"{NAME}-{size}.png"] = png(scaled_pixels(picture, size))
    files[f"{NAME}-maskable-{MASKABLE_SIZE}.png"] = png(maskable_pixels(picture, MASKABLE_SIZE, MASKABLE_SCALE))
    return files


def main(arguments):
    if arguments not in ([], ["--check"]):
        print(__doc__, file=sys.stderr)
        return 2
    files = icon_files(read_picture(SOURCE))
    if arguments == ["--check"]:
        stale = [name for name, data in files.items() if not (HERE / name).is_file() or (HERE / name).read_bytes() != data]
        for name in stale:
            print(f"icon/{name} is not what make_icons.py makes from icon.txt; run icon/make_icons.py", file=sys.stderr)
        return 1 if stale else 0
    for name, data in files.items():
        (HERE / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
