#!/usr/bin/env python3
"""Writes the program's icons from the badge of make_image2.py.

icons/ICON1.ico is the window icon: one 256 x 256 image at 8 bits per pixel.
icons/kalvane.ico is the file icon: 32 x 32 at 2 colours, 32 x 32 at 16 colours and 16 x 16 at 16 colours.
kalvane.png is the 256 x 256 icon for the desktop's icon theme.
"""
import pathlib
import struct
import sys
import zlib

sys.dont_write_bytecode = True  # importing the badge must not leave a cache folder in the source tree
import make_image2  # noqa: E402

HERE = pathlib.Path(__file__).parent
OUTSIDE = -1

TWO_COLOURS = [(0, 0, 0), (255, 255, 255)]
SIXTEEN_COLOURS = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
                   (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
                   (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def _packed_row(values, bits):
    """One bottom-up DIB row: values packed most significant bits first, padded to four bytes."""
    per_byte = 8 // bits
    data = bytearray()
    for start in range(0, len(values), per_byte):
        byte = 0
        for offset, value in enumerate(values[start:start + per_byte]):
            byte |= value << (8 - bits * (offset + 1))
        data.append(byte)
    return bytes(data) + b"\0" * (-len(data) % 4)


def _icon_image(rows, transparent, colours, bits):
    """A DIB as an icon stores it: doubled height, colour rows, then the AND mask (1 = transparent)."""
    size = len(rows)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    table += b"\0" * (4 * (2 ** bits - len(colours)))
    xor = b"".join(_packed_row(row, bits) for row in reversed(rows))
    mask = b"".join(_packed_row([int(t) for t in row], 1) for row in reversed(transparent))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + table + xor + mask


def ico_bytes(images):
    """images: (rows of colour indices, rows of transparency flags, colours, bits per pixel) for each icon."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, blobs = b"", b""
    for rows, transparent, colours, bits in images:
        blob = _icon_image(rows, transparent, colours, bits)
        size = len(rows) % 256  # 0 stands for 256
        colour_count = len(colours) if bits < 8 else 0
        where = offset + len(blobs)
        entries += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(blob), where)
        blobs += blob
    return directory + entries + blobs


def _nearest(colour, colours):
    return min(range(len(colours)), key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, colours[i])))


def shrink(badge, colours, size, target):
    """Averages the badge over square cells and maps each cell to the nearest target colour.

    A cell is transparent when less than half of it lies on the badge.
    """
    cell = len(badge) // size
    rows, transparent = [], []
    for cy in range(size):
        row, clear = [], []
        for cx in range(size):
            inside = [colours[badge[y][x]] for y in range(cy * cell, (cy + 1) * cell)
                      for x in range(cx * cell, (cx + 1) * cell) if badge[y][x] != OUTSIDE]
            if 2 * len(inside) < cell * cell:
                row.append(0)
                clear.append(True)
            else:
                mean = tuple(sum(channel) / len(inside) for channel in zip(*inside))
                row.append(_nearest(mean, target))
                clear.append(False)
        rows.append(row)
        transparent.append(clear)
    return rows, transparent


def png_bytes(badge, colours):
    """An 8-bit RGBA PNG whose corners around the badge are fully transparent."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + b"".join(bytes(colours[i]) + b"\xff" if i != OUTSIDE else b"\0\0\0\0" for i in row)
                   for row in badge)
    header = struct.pack(">IIBBBBB", len(badge[0]), len(badge), 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) \
        + chunk(b"IEND", b"")


if __name__ == "__main__":
    colours = make_image2.palette()
    badge = make_image2.badge(OUTSIDE)
    window_rows = [[make_image2.BLACK if i == OUTSIDE else i for i in row] for row in badge]
    window_mask = [[i == OUTSIDE for i in row] for row in badge]
    (HERE / "icons").mkdir(exist_ok=True)
    (HERE / "icons" / "ICON1.ico").write_bytes(ico_bytes([(window_rows, window_mask, colours, 8)]))
    (HERE / "icons" / "kalvane.ico").write_bytes(ico_bytes([
        (*shrink(badge, colours, 32, TWO_COLOURS), TWO_COLOURS, 1),
        (*shrink(badge, colours, 32, SIXTEEN_COLOURS), SIXTEEN_COLOURS, 4),
        (*shrink(badge, colours, 16, SIXTEEN_COLOURS), SIXTEEN_COLOURS, 4),
    ]))
    (HERE / "kalvane.png").write_bytes(png_bytes(badge, colours))
