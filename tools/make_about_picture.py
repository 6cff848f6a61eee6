#!/usr/bin/env python3
"""Draws the About box's picture, a stretch of coast and country under a hex grid, and
writes it as resources/about.bmp: 588 x 273 pixels, 24 bits per pixel, uncompressed,
2834 pixels per metre.

The About box stretches the picture into a frame of 975 x 855 twips, much narrower in
proportion than the picture. So the scene is drawn on a canvas of the frame's proportions
and widened to 588 pixels when it is written: in the dialog the hexes come out regular."""
import math
import struct
import sys

WIDTH, HEIGHT = 588, 273
FRAME_WIDTH, FRAME_HEIGHT = 975, 855           # twips
CANVAS_WIDTH = HEIGHT * FRAME_WIDTH / FRAME_HEIGHT  # the scene's own width, about 311
PIXELS_PER_METRE = 2834
SAMPLES = 3                                     # per pixel and axis, to smooth the edges

SEA = (52, 96, 168)
SHALLOWS = (92, 146, 206)
SAND = (226, 208, 150)
MEADOW = (150, 196, 96)
FIELD = (186, 210, 110)
FOREST = (44, 110, 52)
HILL = (176, 146, 96)
RIVER = (60, 116, 196)
ROAD = (200, 60, 40)
TOWN = (96, 88, 84)
GRID = (128, 0, 0)   # the program's "red"

HEX = 92.0           # hex width across the flats, in canvas pixels
LINE = 5.0           # grid line width, in canvas pixels


def coast(u):
    """How far down the canvas (0 to 1) the sea begins at across-position u."""
    return 0.70 + 0.12 * math.sin(u * 4.2 + 0.6) - 0.25 * u


def terrain(u, v):
    """The map's colour at canvas position (u, v), both from 0 to 1."""
    shore = v - coast(u)
    if shore > 0.06:
        return SEA
    if shore > 0.02:
        return SHALLOWS
    if shore > -0.015:
        return SAND
    river_u = 0.62 + 0.07 * math.sin(v * 9.0) + 0.05 * v
    if abs(u - river_u) < 0.018 and v < coast(u):
        return RIVER
    road_v = 0.30 + 0.10 * math.sin(u * 5.0)
    if abs(v - road_v) < 0.014 and u > 0.18:
        return ROAD
    if (u - 0.46) ** 2 / 0.004 + (v - 0.38) ** 2 / 0.006 < 1:
        blocks = (int(u * 90) + int(v * 70)) % 3
        return TOWN if blocks else FIELD
    if (u - 0.18) ** 2 + (v - 0.22) ** 2 < 0.03 + 0.008 * math.sin(u * 40) * math.sin(v * 37):
        return FOREST
    if (u - 0.92) ** 2 + (v - 0.12) ** 2 < 0.05:
        ring = math.sqrt((u - 0.92) ** 2 + (v - 0.12) ** 2)
        return HILL if int(ring * 40) % 2 == 0 else FIELD
    return FIELD if (int(u * 12) + int(v * 9)) % 4 == 0 else MEADOW


def on_grid(x, y):
    """True when canvas point (x, y) lies on a grid line: hexes with vertical flats, rows
    0.866 hex widths apart, every other row shifted by half a hex."""
    pitch = HEX * math.sqrt(3) / 2
    row = round(y / pitch)
    best = None
    for r in (row - 1, row, row + 1):
        shift = HEX / 2 if r % 2 else 0.0
        col = round((x - shift) / HEX)
        for c in (col - 1, col, col + 1):
            cx, cy = c * HEX + shift, r * pitch
            d = math.hypot(x - cx, y - cy)
            if best is None or d < best[0]:
                best = (d, cx, cy)
    _, cx, cy = best
    dx, dy = abs(x - cx), abs(y - cy)
    reach = max(dx, dx / 2 + dy * math.sqrt(3) / 2)  # distance to the centre, in flats
    return abs(reach - HEX / 2) < LINE / 2


def colour(x, y):
    """The picture's colour at canvas point (x, y)."""
    if on_grid(x + HEX * 0.3, y + HEX * 0.2):
        return GRID
    return terrain(x / CANVAS_WIDTH, y / HEIGHT)


def draw():
    """Rows of (r, g, b) pixels, top row first."""
    rows = []
    for py in range(HEIGHT):
        row = []
        for px in range(WIDTH):
            total = [0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * CANVAS_WIDTH / WIDTH
                    y = py + (sy + 0.5) / SAMPLES
                    c = colour(x, y)
                    for i in range(3):
                        total[i] += c[i]
            row.append(tuple(round(t / SAMPLES ** 2) for t in total))
        rows.append(row)
    return rows


def bmp(rows):
    """A Windows bitmap file: file header, information header, rows bottom-up in blue,
    green, red order, each padded to four bytes."""
    stride = (WIDTH * 3 + 3) // 4 * 4
    pixels = b"".join(
        bytes(v for r, g, b in row for v in (b, g, r)).ljust(stride, b"\0")
        for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels),
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "resources/about.bmp"
    with open(out, "wb") as f:
        f.write(bmp(draw()))
