#!/usr/bin/env python3
"""Draws the program's badge (a serial connector under a square wave and a "K") and writes image2.bmp.

The badge is drawn in palette indices so that the same picture serves the 8-bit icon too (make_icons.py).
"""
import math
import pathlib
import struct

SIZE = 256
PIXELS_PER_METRE = 3780  # 96 dots per inch

# Palette ranges: a navy-to-teal field, an orange-to-yellow wave, silver metal, then greys ending in white.
FIELD, FIELD_COUNT = 0, 128
WAVE, WAVE_COUNT = 128, 64
METAL, METAL_COUNT = 192, 48
BLACK, WHITE = 240, 255


def _blend(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def palette():
    colours = [_blend((8, 22, 64), (24, 150, 168), i / (FIELD_COUNT - 1)) for i in range(FIELD_COUNT)]
    colours += [_blend((240, 96, 0), (255, 226, 72), i / (WAVE_COUNT - 1)) for i in range(WAVE_COUNT)]
    colours += [_blend((84, 90, 102), (240, 242, 246), i / (METAL_COUNT - 1)) for i in range(METAL_COUNT)]
    colours += [_blend((0, 0, 0), (255, 255, 255), i / 15) for i in range(16)]
    return colours


def _ramp(first, count, t):
    return first + min(count - 1, max(0, int(t * count)))


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def _inside_rounded_square(x, y, low, high, radius):
    cx = min(max(x, low + radius), high - radius)
    cy = min(max(y, low + radius), high - radius)
    return math.hypot(x - cx, y - cy) <= radius


def _letter_k(x, y):
    return (92 <= x <= 108 and 28 <= y <= 104) or _segment_distance(x, y, 106, 70, 160, 30) <= 8 \
        or _segment_distance(x, y, 114, 62, 162, 102) <= 8


def _square_wave(x, y):
    if not 28 <= x <= 228:
        return False
    phase = (x - 28) % 50
    level = 124 if phase < 25 else 146
    on_edge = min(phase, abs(phase - 25), 50 - phase) <= 2 and 124 <= y <= 146
    return abs(y - level) <= 2 or on_edge


def _connector_shell(x, y):
    if not 160 <= y <= 216:
        return False
    inset = 16 * (y - 160) / 56
    return 52 + inset <= x <= 204 - inset


def _pin(x, y):
    centres = [(84 + 22 * i, 178) for i in range(5)] + [(95 + 22 * i, 200) for i in range(4)]
    return min(math.hypot(x - cx, y - cy) for cx, cy in centres)


def badge(outside):
    """Rows of palette indices, top row first; outside is the index for the corners around the badge."""
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if not _inside_rounded_square(x, y, 6, SIZE - 7, 44):
                index = outside
            elif not _inside_rounded_square(x, y, 14, SIZE - 15, 36):
                index = _ramp(METAL, METAL_COUNT, 1 - (x + y) / (2 * SIZE))
            elif _letter_k(x, y):
                index = _ramp(METAL, METAL_COUNT, 1 - (y - 28) / 300)
            elif _square_wave(x, y):
                index = _ramp(WAVE, WAVE_COUNT, (x - 28) / 200)
            elif _connector_shell(x, y):
                distance = _pin(x, y)
                if distance <= 4:
                    index = BLACK + 3
                elif distance <= 6:
                    index = BLACK + 1
                else:
                    index = _ramp(METAL, METAL_COUNT, 0.9 - (y - 160) / 80)
            else:
                index = _ramp(FIELD, FIELD_COUNT, 0.7 * y / SIZE + 0.3 * x / SIZE)
            row.append(index)
        rows.append(row)
    return rows


def bmp_bytes(rows, colours):
    """An uncompressed 8-bit BMP; its rows are stored bottom-up and are already a multiple of four bytes."""
    height, width = len(rows), len(rows[0])
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    pixels = b"".join(bytes(row) for row in reversed(rows))
    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), PIXELS_PER_METRE,
                              PIXELS_PER_METRE, len(colours), 0)
    return file_header + info_header + table + pixels


if __name__ == "__main__":
    target = pathlib.Path(__file__).with_name("image2.bmp")
    target.write_bytes(bmp_bytes(badge(WHITE), palette()))
