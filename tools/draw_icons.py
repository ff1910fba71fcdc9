#!/usr/bin/env python3
"""Draws the main view's embedded pictures and writes them as PNG files.

    python3 tools/draw_icons.py [output folder]      (default: src/resources/images)

Pictures:
    logo.png                    40x40  white MIDI socket between two light grey angle brackets
    add_input_<state>.png       32x32  white down arrow on a blue square
    add_output_<state>.png      32x32  white up arrow on a brown square
    edit_info_<state>.png       32x32  white "i" on a red square
    share_<state>.png           32x32  white arrow leaving a tray, on a green square
    cloud_<state>.png           32x32  white cloud on a sky-blue square
    io_input.png                16x16  white down arrow on a blue square
    io_output.png               16x16  white up arrow on a brown square
    midi_arrows.png             16x16  grey arrows pointing up and down (beside the MIDI cells' menus)
    badge_note.png              16x16  white note sign on an orange square
    badge_cc.png                16x16  white letters "CC" on a blue square
    badge_pw.png                16x16  white letters "PW" on a dark red square
    mode_loop.png               16x16  grey clock face with white hands
    mode_first_half.png         16x16  grey disc without its upper right quarter
    mode_second_half.png        16x16  grey disc without its lower left quarter
    reorder.png                 16x16  two bent grey arrows, one up, one down

The source editor's pictures (source_editor_pictures):
    validator_<state>.png       32x32  white cloud with a green check mark on a green square
    next_error_<look>.png       16x16  triangle pointing right
    previous_error_<look>.png   16x16  triangle pointing left
<look> is "enabled" (dark) or "disabled" (grey).

<state> is "normal", "over" (darker) or "down" (lighter). Every shape is described by an
inside test in picture coordinates and rendered with 4x4 samples per pixel, so edges are
anti-aliased; only the standard library is used (zlib for the PNG data).
"""

import math
import os
import struct
import sys
import zlib

SAMPLES = 4


# ----------------------------------------------------------------------------- PNG writing
def write_png(path, width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b, a) tuples with 0..255 components."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter: none
        for r, g, b, a in row:
            raw.extend((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xffffffff)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# ----------------------------------------------------------------------------- shapes
def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_outer, r_inner):
    return lambda x, y: r_inner * r_inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r_outer * r_outer


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def thick_line(xa, ya, xb, yb, half_width):
    dx, dy = xb - xa, yb - ya
    length_sq = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length_sq))
        px, py = xa + t * dx, ya + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width
    return inside


def arc(cx, cy, r_outer, r_inner, gap_from, gap_to):
    """A ring without the angles gap_from..gap_to (degrees, counter-clockwise from +x, y pointing up)."""
    band = ring(cx, cy, r_outer, r_inner)

    def inside(x, y):
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return band(x, y) and not (gap_from <= angle <= gap_to or gap_from <= angle - 360 <= gap_to)
    return inside


def ellipse(cx, cy, rx, ry, degrees):
    """An ellipse turned counter-clockwise by degrees."""
    a = math.radians(degrees)
    cos_a, sin_a = math.cos(a), math.sin(a)

    def inside(x, y):
        dx, dy = x - cx, cy - y
        u = dx * cos_a + dy * sin_a
        v = -dx * sin_a + dy * cos_a
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def difference(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


# ----------------------------------------------------------------------------- rendering
def render(size, layers):
    """layers: list of (shape, (r, g, b, a)) painted in order over a transparent background."""
    pixels = []
    step = 1.0 / SAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) * step
                    y = py + (sy + 0.5) * step
                    c = [0.0, 0.0, 0.0, 0.0]
                    for shape, (r, g, b, a) in layers:
                        if shape(x, y):
                            alpha = a / 255.0
                            c = [r / 255.0 * alpha + c[0] * (1 - alpha),
                                 g / 255.0 * alpha + c[1] * (1 - alpha),
                                 b / 255.0 * alpha + c[2] * (1 - alpha),
                                 alpha + c[3] * (1 - alpha)]
                    for i in range(4):
                        acc[i] += c[i]
            n = SAMPLES * SAMPLES
            a = acc[3] / n
            if a <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(min(1.0, acc[i] / n / a) * 255)) for i in range(3))
                           + (int(round(a * 255)),))
        pixels.append(row)
    return pixels


def shade(colour, factor):
    """factor < 1 darkens, > 1 lightens towards white."""
    r, g, b = colour
    if factor < 1:
        return (int(r * factor), int(g * factor), int(b * factor))
    t = factor - 1
    return (int(r + (255 - r) * t), int(g + (255 - g) * t), int(b + (255 - b) * t))


WHITE = (255, 255, 255, 255)
STATES = {"normal": 1.0, "over": 0.78, "down": 1.3}

BLUE = (40, 110, 200)
BROWN = (150, 95, 50)
RED = (200, 45, 40)
GREEN = (60, 150, 75)
SKY = (70, 150, 215)


def square(size, colour):
    inset = size / 16.0
    return (rounded_rect(inset, inset, size - inset, size - inset, size * 0.18), colour + (255,))


def down_arrow(size):
    s = size / 32.0
    return union(rect(12.5 * s, 6 * s, 19.5 * s, 16.5 * s),
                 polygon([(6.5 * s, 15.5 * s), (25.5 * s, 15.5 * s), (16 * s, 26.5 * s)]))


def up_arrow(size):
    s = size / 32.0
    return union(rect(12.5 * s, 15.5 * s, 19.5 * s, 26 * s),
                 polygon([(6.5 * s, 16.5 * s), (25.5 * s, 16.5 * s), (16 * s, 5.5 * s)]))


def info_glyph():
    return union(circle(16, 9, 2.6), rect(13.8, 13, 18.2, 24), rect(11.5, 13, 18.2, 15),
                 rect(11.5, 22.5, 20.5, 25))


def share_glyph():
    tray = difference(rect(8, 14, 24, 26), rect(10.5, 14, 21.5, 23.5))
    arrow = union(rect(14.8, 9, 17.2, 20), polygon([(11, 10.5), (21, 10.5), (16, 4.5)]))
    return union(tray, arrow)


def cloud_glyph():
    return union(circle(12, 18, 5), circle(18, 14.5, 6.5), circle(23, 19, 4),
                 rect(12, 17, 23, 23))


ORANGE = (235, 135, 25)
DARK_RED = (150, 25, 30)
GREY = (120, 120, 120, 255)


def midi_arrows():
    return union(polygon([(4.5, 7), (11.5, 7), (8, 2.5)]), polygon([(4.5, 9), (11.5, 9), (8, 13.5)]))


def note_glyph():
    head = ellipse(6.6, 11.2, 2.4, 1.7, 20)
    stem = rect(8.2, 3.4, 9.4, 11)
    flag = union(thick_line(8.9, 3.9, 11.9, 6.4, 0.75), thick_line(11.9, 6.4, 11.4, 8.6, 0.65))
    return union(head, stem, flag)


def letter_c(cx):
    return arc(cx, 8, 3.25, 1.85, -45, 45)


def cc_glyph():
    return union(letter_c(4.6), letter_c(11.4))


def pw_glyph():
    stem = rect(2.4, 4.3, 3.8, 11.7)
    bowl = union(difference(ring(5.3, 6.45, 2.15, 0.85), rect(0, 0, 5.3, 16)),
                 rect(2.4, 4.3, 5.3, 5.6), rect(2.4, 7.3, 5.3, 8.6))
    w = union(thick_line(8.5, 4.6, 9.85, 11.3, 0.72), thick_line(9.85, 11.3, 11.15, 6.4, 0.72),
              thick_line(11.15, 6.4, 12.45, 11.3, 0.72), thick_line(12.45, 11.3, 13.8, 4.6, 0.72))
    return union(stem, bowl, w)


def disc():
    return circle(8, 8, 6.6)


def clock_face():
    hands = union(thick_line(8, 8, 8, 3.4, 0.6), thick_line(8, 8, 11.0, 9.7, 0.6))
    return [(disc(), GREY), (hands, WHITE)]


def reorder_glyph():
    up = union(rect(3.4, 5.5, 4.9, 12.6), rect(3.4, 11.1, 7.2, 12.6),
               polygon([(0.9, 6.6), (7.4, 6.6), (4.15, 2.6)]))
    down = union(rect(11.1, 3.4, 12.6, 10.5), rect(8.8, 3.4, 12.6, 4.9),
                 polygon([(8.6, 9.4), (15.1, 9.4), (11.85, 13.4)]))
    return union(up, down)


def logo():
    grey = (205, 205, 205, 255)
    left = polygon([(1, 20), (9, 8), (12, 8), (4, 20), (12, 32), (9, 32)])
    right = polygon([(39, 20), (31, 8), (28, 8), (36, 20), (28, 32), (31, 32)])
    socket = ring(20, 20, 11, 9)
    key = rect(18.5, 8.5, 21.5, 11.5)
    pins = []
    for angle in (180, 135, 90, 45, 0):  # the five pins on the lower half-circle
        a = math.radians(angle)
        pins.append(circle(20 + 5.6 * math.cos(a), 20 + 5.6 * math.sin(a), 1.35))
    return [(left, grey), (right, grey), (socket, WHITE), (key, WHITE), (union(*pins), WHITE)]


# ----------------------------------------------------------------------------- source editor
VALIDATOR_GREEN = (50, 160, 70)
ARROW_DARK = (45, 45, 45, 255)
ARROW_GREY = (170, 170, 170, 255)


def check_mark():
    return union(thick_line(13.5, 18.5, 16, 21, 1.3), thick_line(16, 21, 20.5, 15.5, 1.3))


def source_editor_pictures(save):
    for state, factor in STATES.items():
        green = shade(VALIDATOR_GREEN, factor)
        save("validator_%s.png" % state, 32,
             [square(32, green), (cloud_glyph(), WHITE), (check_mark(), green + (255,))])

    right = polygon([(4, 2.5), (13, 8), (4, 13.5)])
    left = polygon([(12, 2.5), (3, 8), (12, 13.5)])
    for look, colour in (("enabled", ARROW_DARK), ("disabled", ARROW_GREY)):
        save("next_error_%s.png" % look, 16, [(right, colour)])
        save("previous_error_%s.png" % look, 16, [(left, colour)])


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "resources", "images")
    os.makedirs(folder, exist_ok=True)

    def save(name, size, layers):
        write_png(os.path.join(folder, name), size, size, render(size, layers))

    save("logo.png", 40, logo())

    buttons = {
        "add_input": (BLUE, down_arrow(32)),
        "add_output": (BROWN, up_arrow(32)),
        "edit_info": (RED, info_glyph()),
        "share": (GREEN, share_glyph()),
        "cloud": (SKY, cloud_glyph()),
    }
    for base, (colour, glyph) in buttons.items():
        for state, factor in STATES.items():
            save("%s_%s.png" % (base, state), 32, [square(32, shade(colour, factor)), (glyph, WHITE)])

    save("io_input.png", 16, [square(16, BLUE), (down_arrow(16), WHITE)])
    save("io_output.png", 16, [square(16, BROWN), (up_arrow(16), WHITE)])

    save("midi_arrows.png", 16, [(midi_arrows(), GREY)])
    save("badge_note.png", 16, [square(16, ORANGE), (note_glyph(), WHITE)])
    save("badge_cc.png", 16, [square(16, BLUE), (cc_glyph(), WHITE)])
    save("badge_pw.png", 16, [square(16, DARK_RED), (pw_glyph(), WHITE)])
    save("mode_loop.png", 16, clock_face())
    save("mode_first_half.png", 16, [(difference(disc(), rect(8, 0, 16, 8)), GREY)])
    save("mode_second_half.png", 16, [(difference(disc(), rect(0, 8, 8, 16)), GREY)])
    save("reorder.png", 16, [(reorder_glyph(), GREY)])
    source_editor_pictures(save)


if __name__ == "__main__":
    main()
