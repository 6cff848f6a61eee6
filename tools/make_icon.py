#!/usr/bin/env python3
"""Draws Tessara's icon, a patch of map under a hex grid, at 32x32 and 16x16 pixels in the
sixteen colours of the classic palette, and writes them as indexed PNG files."""
import math
import struct
import sys
import zlib

PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
GREEN, OLIVE, LIGHT_GREEN, BLUE, CYAN, RED, YELLOW = 2, 6, 10, 9, 11, 4, 14


def land(x, y, size):
    """Fields and a river winding from the top left to the bottom right."""
    u, v = x / size, y / size
    river = abs(v - (0.15 + 0.7 * u + 0.12 * math.sin(u * 7.0)))
    if river < 0.06:
        return BLUE
    if river < 0.09:
        return CYAN
    if (u - 0.75) ** 2 + (v - 0.25) ** 2 < 0.02:
        return OLIVE  # a wood
    return GREEN if size >= 32 and (x + y) % 7 == 0 else LIGHT_GREEN


def on_hex_edge(x, y, h, width):
    """True when the pixel lies on the outline of a flat-sided hex grid of width h."""
    pitch = h * math.sqrt(3) / 2
    best = None
    for row in range(-1, 4):
        for col in range(-1, 4):
            cx = col * h + (h / 2 if row % 2 else 0)
            cy = row * pitch
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if best is None or d < best[0]:
                best = (d, cx, cy)
    # Distance to the hexagon's edge: the largest of the three flat-to-centre projections.
    _, cx, cy = best
    dx, dy = x + 0.5 - cx, y + 0.5 - cy
    r = max(abs(dx), abs(dx) / 2 + abs(dy) * math.sqrt(3) / 2)
    return abs(r - h / 2) < width


def draw(size):
    h = size * (0.55 if size >= 32 else 0.9)
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            c = RED if on_hex_edge(x, y, h, 0.75 if size >= 32 else 0.5) else land(x, y, size)
            if x in (0, size - 1) or y in (0, size - 1):
                c = 0  # a dark border keeps the icon readable on any panel
            row.append(c)
        pixels.append(row)
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\x00" + bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
                   for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)  # 4-bit indexed
    palette = b"".join(bytes(c) for c in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "resources"
    for size in (32, 16):
        with open(f"{out}/tessara-{size}.png", "wb") as f:
            f.write(png(draw(size)))
