#!/usr/bin/env python3
"""Writes the program's icons from the badge of make_image2.py.

icons/ICON1.ico is the window icon: one 256 x 256 image at 8 bits per pixel.
icons/kalvane.ico is the file icon: 32 x 32 at 2 colours, 32 x 32 at 16 colours and 16 x 16 at 16 colours.
hicolor/<n>x<n>.png are the desktop theme's icons at 16 to 256 px, each drawn at its own size.
"""
import math
import pathlib
import struct
import sys
import zlib

sys.dont_write_bytecode = True  # importing the badge must not leave a cache folder in the source tree
import make_image2  # noqa: E402

HERE = pathlib.Path(__file__).parent
OUTSIDE = -1
THEME_SIZES = (16, 24, 32, 48, 64, 128, 256)

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


def _png(size, rows):
    """A square 8-bit RGBA PNG from rows of RGBA bytes."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + row for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) \
        + chunk(b"IEND", b"")


def _snap(v, s):
    """A design coordinate (0..256) moved to the nearest pixel boundary at scale s."""
    return int(v * s + 0.5)


def theme_png(size):
    """The badge drawn afresh at one size for the desktop's icon theme, as RGBA PNG bytes.

    Straight strokes are fitted to the pixel grid and kept at least one pixel wide, the wave keeps a clear pixel
    between its levels and at least two pixels per half period, and below 48 px the connector's pins are left
    out: small sizes stay crisp instead of being a blur of the large picture. Edges are smoothed by sampling
    each pixel on a grid.
    """
    colours = make_image2.palette()
    s = size / 256
    border = max(1, _snap(8, s))
    stem_x0, stem_y0 = _snap(92, s), _snap(28, s)
    stem_x1, stem_y1 = stem_x0 + max(1, _snap(16, s)), max(_snap(104, s), stem_y0 + 4)
    diagonal = max(0.6, 8 * s)
    line = max(1, _snap(4, s))
    wave_x0, wave_x1 = _snap(28, s), _snap(228, s)
    high = _snap(124, s) - line // 2
    low = max(_snap(146, s) - line // 2, high + line + 1)
    half_period = max(2, _snap(25, s))
    shell_y0 = max(_snap(160, s), low + line + 1)
    shell_y1 = max(_snap(216, s), shell_y0 + 2)
    pins = size >= 48

    def in_rounded(x, y, lo, hi, radius):
        cx, cy = min(max(x, lo + radius), hi - radius), min(max(y, lo + radius), hi - radius)
        return math.hypot(x - cx, y - cy) <= radius

    def in_wave(x, y):
        if not wave_x0 <= x < wave_x1:
            return False
        phase = int(x - wave_x0) % (2 * half_period)
        level = high if phase < half_period else low
        if level <= y < level + line:
            return True
        edge = phase in range(0, line) or phase in range(half_period, half_period + line)
        return edge and high <= y < low + line

    def index(x, y):
        if not in_rounded(x, y, _snap(6, s), _snap(250, s), 44 * s):
            return OUTSIDE
        t = x / size, y / size
        if not in_rounded(x, y, _snap(6, s) + border, _snap(250, s) - border, 36 * s):
            return make_image2._ramp(make_image2.METAL, make_image2.METAL_COUNT, 1 - (t[0] + t[1]) / 2)
        # The arms run between pixel centres, so that a one-pixel arm is a clean staircase.
        joint = stem_x1 - 0.5, (stem_y0 + stem_y1) // 2 - 0.5
        k = (stem_x0 <= x < stem_x1 and stem_y0 <= y < stem_y1) \
            or make_image2._segment_distance(x, y, *joint, _snap(160, s) - 0.5, stem_y0 + 0.5) <= diagonal \
            or make_image2._segment_distance(x, y, *joint, _snap(162, s) - 0.5, stem_y1 - 0.5) <= diagonal
        if k:
            return make_image2._ramp(make_image2.METAL, make_image2.METAL_COUNT, 1 - (y / s - 28) / 300)
        if in_wave(x, y):
            return make_image2._ramp(make_image2.WAVE, make_image2.WAVE_COUNT, (x / s - 28) / 200)
        if shell_y0 <= y < shell_y1:
            inset = 16 * s * (y - shell_y0) / (shell_y1 - shell_y0)
            if _snap(52, s) + inset <= x < _snap(204, s) - inset:
                if pins:
                    distance = make_image2._pin(x / s, y / s)
                    if distance <= 4:
                        return make_image2.BLACK + 3
                    if distance <= 6:
                        return make_image2.BLACK + 1
                return make_image2._ramp(make_image2.METAL, make_image2.METAL_COUNT,
                                         0.9 - (y - shell_y0) / (shell_y1 - shell_y0) / 1.4)
        return make_image2._ramp(make_image2.FIELD, make_image2.FIELD_COUNT, 0.7 * t[1] + 0.3 * t[0])

    grid = 4 if size <= 64 else 2
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            samples = [index(x + (i + 0.5) / grid, y + (j + 0.5) / grid) for j in range(grid) for i in range(grid)]
            inside = [colours[i] for i in samples if i != OUTSIDE]
            if not inside:
                row += b"\0\0\0\0"
                continue
            row += bytes(round(sum(c[k] for c in inside) / len(inside)) for k in range(3))
            row.append(round(255 * len(inside) / len(samples)))
        rows.append(bytes(row))
    return _png(size, rows)


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
    (HERE / "hicolor").mkdir(exist_ok=True)
    for size in THEME_SIZES:
        (HERE / "hicolor" / f"{size}x{size}.png").write_bytes(theme_png(size))
