#!/usr/bin/env python3
"""Draws the default controller icon: a 256 by 256, 8-bit RGBA PNG of a small MIDI
controller (knobs, pads, two faders and a keyboard on a dark body).

Every shape is a signed-distance function; a pixel's coverage is taken from its
distance to the shape's edge, which gives clean anti-aliased edges without
supersampling. The PNG is written with zlib alone.

Usage: tools/draw_default_icon.py [output.png]
(default: src/resources/images/default_icon.png beside this tool's repository)
"""

import math
import os
import struct
import sys
import zlib

SIZE = 256


def hex_colour(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


class Canvas:
    def __init__(self, size):
        self.size = size
        # straight (not premultiplied) colour and alpha, floats 0..1
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0:
            return
        p = self.pixels[y * self.size + x]
        out_a = alpha + p[3] * (1.0 - alpha)
        if out_a <= 0.0:
            return
        for i in range(3):
            p[i] = (colour[i] * alpha + p[i] * p[3] * (1.0 - alpha)) / out_a
        p[3] = out_a

    def fill(self, distance, bounds, colour, alpha=1.0, softness=1.0):
        """Fills the shape whose signed distance (negative inside) is given by distance(x, y).

        colour is an RGB tuple or a function of (x, y) giving one."""
        x0, y0, x1, y1 = (int(math.floor(bounds[0])) - 2, int(math.floor(bounds[1])) - 2,
                          int(math.ceil(bounds[2])) + 2, int(math.ceil(bounds[3])) + 2)
        for y in range(max(0, y0), min(self.size, y1)):
            for x in range(max(0, x0), min(self.size, x1)):
                cx, cy = x + 0.5, y + 0.5
                d = distance(cx, cy)
                coverage = min(1.0, max(0.0, 0.5 - d / softness))
                if coverage > 0.0:
                    c = colour(cx, cy) if callable(colour) else colour
                    self.blend(x, y, c, coverage * alpha)

    def to_png(self):
        raw = bytearray()
        for y in range(self.size):
            raw.append(0)  # filter type: none
            for x in range(self.size):
                p = self.pixels[y * self.size + x]
                raw.extend(int(round(max(0.0, min(1.0, v)) * 255)) for v in p)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xffffffff)

        header = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def rounded_rect(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return distance, (x0, y0, x1, y1)


def circle(cx, cy, r):
    return (lambda x, y: math.hypot(x - cx, y - cy) - r), (cx - r, cy - r, cx + r, cy + r)


def segment(ax, ay, bx, by, width):
    def distance(x, y):
        px, py, dx, dy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - dx * t, py - dy * t) - width / 2.0

    pad = width
    return distance, (min(ax, bx) - pad, min(ay, by) - pad, max(ax, bx) + pad, max(ay, by) + pad)


def vertical_gradient(top, bottom, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))

    return colour


def draw():
    canvas = Canvas(SIZE)
    body = (14, 40, 242, 226)

    # soft shadow under the body
    shape, bounds = rounded_rect(body[0] + 2, body[1] + 6, body[2] + 2, body[3] + 6, 22)
    canvas.fill(shape, (bounds[0] - 6, bounds[1] - 6, bounds[2] + 6, bounds[3] + 6),
                (0.0, 0.0, 0.0), alpha=0.35, softness=8.0)

    # body: a light rim, then the dark face
    shape, bounds = rounded_rect(*body, 20)
    canvas.fill(shape, bounds, hex_colour("#5b626d"))
    shape, bounds = rounded_rect(body[0] + 2, body[1] + 2, body[2] - 2, body[3] - 2, 18)
    canvas.fill(shape, bounds, vertical_gradient(hex_colour("#3e444d"), hex_colour("#23272d"), body[1], body[3]))

    knob_face = hex_colour("#e9ebee")
    knob_ring = hex_colour("#9aa1ab")
    accent = hex_colour("#ff8a3d")
    teal = hex_colour("#35b7ad")
    slot = hex_colour("#121418")

    # status light and a row of five knobs, pointers at different angles
    shape, bounds = circle(30, 56, 3.5)
    canvas.fill(shape, bounds, teal)

    for i, angle in enumerate((-120, -60, 0, 45, 120)):
        cx, cy = 44 + i * 42, 78
        shape, bounds = circle(cx, cy + 1.5, 15)
        canvas.fill(shape, bounds, (0.0, 0.0, 0.0), alpha=0.45, softness=2.0)
        shape, bounds = circle(cx, cy, 14)
        canvas.fill(shape, bounds, knob_ring)
        shape, bounds = circle(cx, cy, 12)
        canvas.fill(shape, bounds, vertical_gradient(knob_face, hex_colour("#c4c9d0"), cy - 12, cy + 12))
        rad = math.radians(angle - 90)
        shape, bounds = segment(cx + math.cos(rad) * 3, cy + math.sin(rad) * 3,
                                cx + math.cos(rad) * 10, cy + math.sin(rad) * 10, 3.2)
        canvas.fill(shape, bounds, accent)

    # four pads, two lit
    for i in range(4):
        x0, y0 = 28 + i * 40, 104
        shape, bounds = rounded_rect(x0, y0 + 1.5, x0 + 32, y0 + 33.5, 6)
        canvas.fill(shape, bounds, (0.0, 0.0, 0.0), alpha=0.45, softness=2.0)
        lit = i in (1, 2)
        top, bottom = (accent, hex_colour("#e5702a")) if lit else (hex_colour("#59616c"), hex_colour("#474e57"))
        if i == 2:
            top, bottom = teal, hex_colour("#2a948c")
        shape, bounds = rounded_rect(x0, y0, x0 + 32, y0 + 32, 6)
        canvas.fill(shape, bounds, vertical_gradient(top, bottom, y0, y0 + 32))

    # two faders with their slots and caps
    for i, level in enumerate((0.35, 0.7)):
        cx, top, bottom = 200 + i * 22, 100, 140
        shape, bounds = rounded_rect(cx - 2.5, top, cx + 2.5, bottom, 2.5)
        canvas.fill(shape, bounds, slot)
        cy = bottom - (bottom - top) * level
        shape, bounds = rounded_rect(cx - 8, cy - 5, cx + 8, cy + 5, 2.5)
        canvas.fill(shape, bounds, vertical_gradient(knob_face, hex_colour("#b9bfc7"), cy - 5, cy + 5))
        shape, bounds = segment(cx - 5, cy, cx + 5, cy, 1.5)
        canvas.fill(shape, bounds, hex_colour("#50565f"))

    # keyboard: ten white keys and seven black ones
    keys_x0, keys_x1, keys_y0, keys_y1 = 28, 228, 150, 212
    shape, bounds = rounded_rect(keys_x0 - 2, keys_y0 - 2, keys_x1 + 2, keys_y1 + 2, 4)
    canvas.fill(shape, bounds, slot)
    white_width = (keys_x1 - keys_x0) / 10.0
    for i in range(10):
        x0 = keys_x0 + i * white_width
        shape, bounds = rounded_rect(x0 + 0.75, keys_y0, x0 + white_width - 0.75, keys_y1, 2.5)
        canvas.fill(shape, bounds, vertical_gradient(hex_colour("#ffffff"), hex_colour("#dcdfe3"), keys_y0, keys_y1))
    for i in (0, 1, 3, 4, 5, 7, 8):
        cx = keys_x0 + (i + 1) * white_width
        shape, bounds = rounded_rect(cx - 6, keys_y0, cx + 6, keys_y0 + 37, 2.5)
        canvas.fill(shape, bounds, vertical_gradient(hex_colour("#2b2f35"), hex_colour("#0f1114"), keys_y0, keys_y0 + 37))

    return canvas.to_png()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "resources", "images", "default_icon.png")
    with open(target, "wb") as out:
        out.write(draw())


if __name__ == "__main__":
    main()
