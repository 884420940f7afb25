#!/usr/bin/env python3
"""Draws the programs' icons and synthesises the alert sound.

Everything here is made from first principles (no image or audio libraries) so the build
needs nothing beyond Python. Output: <out>/icon<N>.ico for every icon resource number and
<out>/alert.wav for the wave resource.
"""
import math
import os
import struct
import sys

# (resource number, body colour, mark colour, mark): the tray must tell at a glance whether
# the monitor is idle, patrolling the first or second half, or about to ask.
ICONS = {
    101: ((0x1f, 0x5f, 0xb0), (0xff, 0xff, 0xff), "k"),      # normal: blue shield
    157: ((0x1f, 0x8f, 0x3f), (0xff, 0xff, 0xff), "1"),      # first half: green, one bar
    158: ((0x0f, 0x7f, 0x8f), (0xff, 0xff, 0xff), "2"),      # second half: teal, two bars
    161: ((0xd0, 0x30, 0x20), (0xff, 0xee, 0x30), "!"),      # about to ask: red with "!"
    115: ((0x80, 0x80, 0x80), (0xff, 0xff, 0xff), "?"),      # unknown program
    170: ((0x1f, 0x5f, 0xb0), (0xff, 0xff, 0xff), "r"),      # tab icons of the explorer
    200: ((0x7f, 0x4f, 0xb0), (0xff, 0xff, 0xff), "d"),
    212: ((0x9f, 0x6f, 0x1f), (0xff, 0xff, 0xff), "x"),
    180: ((0x2f, 0x7f, 0xcf), (0xff, 0xff, 0xff), "e"),
    182: ((0x5f, 0x5f, 0x5f), (0xff, 0xff, 0xff), "t"),
    173: ((0x3f, 0x6f, 0x3f), (0xff, 0xff, 0xff), "s"),
    176: ((0x1f, 0x8f, 0x3f), (0xff, 0xff, 0xff), "a"),
    183: ((0xa0, 0x70, 0x40), (0xff, 0xff, 0xff), "c"),
    179: ((0x4f, 0x4f, 0xaf), (0xff, 0xff, 0xff), "f"),
    198: ((0x6f, 0x6f, 0x6f), (0xff, 0xff, 0xff), "h"),
    175: ((0xcf, 0x6f, 0x1f), (0xff, 0xff, 0xff), "n"),
    167: ((0x8f, 0x1f, 0x5f), (0xff, 0xff, 0xff), "l"),
    181: ((0x50, 0x50, 0x50), (0xff, 0xff, 0xff), "o"),
    # the pages' monitor image buttons: the category is patrolled (green) or not (grey)
    3201: ((0x1f, 0x8f, 0x3f), (0xff, 0xff, 0xff), "m"),
    3202: ((0x9a, 0x9a, 0x9a), (0xe8, 0xe8, 0xe8), "m"),
}

# 5x7 glyphs for the marks, rows top to bottom, '#' set.
GLYPHS = {
    "k": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "!": ["..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."],
    "?": [".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."],
    "r": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "d": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "x": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "e": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "t": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "s": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "a": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "c": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "f": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "h": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "n": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "l": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "o": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "m": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
}


def inside_shield(x, y, size):
    """A shield: straight top, rounded point at the bottom."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    if v < 0.06 or u < 0.08 or u > 0.92:
        return False
    if v < 0.55:
        return True
    # Lower half narrows to a point.
    half = 0.42 * math.sqrt(max(0.0, 1.0 - ((v - 0.55) / 0.42) ** 2))
    return abs(u - 0.5) <= half


def draw(size, body, mark, glyph):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if inside_shield(x, y, size):
                edge = not (inside_shield(x - 1, y, size) and inside_shield(x + 1, y, size)
                            and inside_shield(x, y - 1, size) and inside_shield(x, y + 1, size))
                shade = 0.55 if edge else (1.0 - 0.25 * y / size)
                px[y][x] = (int(body[0] * shade), int(body[1] * shade), int(body[2] * shade), 255)
    rows = GLYPHS[glyph]
    scale = max(1, size // 12)
    gw, gh = 5 * scale, 7 * scale
    ox, oy = (size - gw) // 2, (size - gh) // 2 - size // 16
    for gy, row in enumerate(rows):
        for gx, ch in enumerate(row):
            if ch == "#":
                for dy in range(scale):
                    for dx in range(scale):
                        px[oy + gy * scale + dy][ox + gx * scale + dx] = (mark[0], mark[1], mark[2], 255)
    return px


def ico_image(px):
    size = len(px)
    xor = bytearray()
    for y in reversed(range(size)):  # bottom-up DIB
        for x in range(size):
            r, g, b, a = px[y][x]
            xor += bytes((b, g, r, a))
    row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        bits = bytearray(row_bytes)
        for x in range(size):
            if px[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_ico(path, body, mark, glyph):
    images = [ico_image(draw(s, body, mark, glyph)) for s in (16, 32, 48)]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip((16, 32, 48), images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_alert_wav(path):
    """A short rising two-tone chime with soft attack and decay (0.45 s, 22.05 kHz)."""
    rate = 22050
    samples = []
    for freq, dur in ((880.0, 0.18), (1318.5, 0.27)):
        n = int(rate * dur)
        for i in range(n):
            t = i / rate
            env = min(1.0, i / (0.01 * rate)) * math.exp(-4.0 * t)
            v = env * (0.7 * math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(4 * math.pi * freq * t))
            samples.append(int(max(-1.0, min(1.0, v)) * 20000))
    data = struct.pack("<%dh" % len(samples), *samples)
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as f:
        f.write(header + data)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for number, (body, mark, glyph) in ICONS.items():
        write_ico(os.path.join(out, "icon%d.ico" % number), body, mark, glyph)
    write_alert_wav(os.path.join(out, "alert.wav"))


if __name__ == "__main__":
    main()
