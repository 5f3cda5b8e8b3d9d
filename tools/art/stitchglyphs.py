#!/usr/bin/env python3
"""Draws the twelve stitch pictures of the graphic test: a front loop, a rear loop and loops moved by
one and two needles to the right (R1, R2) and to the left (L1, L2), at 14 and at 10 pixels. Every
pixel is white (transparent) or one of the four marker colours the window shades from a yarn colour:
lightest in the middle of a yarn, darkest at its edges. Writes binary PPM files.

    stitchglyphs.py OUTDIR
"""
import math
import os
import sys

WHITE = (255, 255, 255)
# The markers as colour values $00BBGGRR, written here as red, green, blue.
MARKERS = [(0xFF, 0xFF, 0xBF), (0xFF, 0xDF, 0x60), (0xDF, 0x97, 0x00), (0x60, 0x00, 0x00)]


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


def draw(width, height, strokes, half):
    """strokes: line segments of yarn; half: half the yarn's thickness in pixels."""
    pixels = [[WHITE] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            d = min(segment_distance(x + 0.5, y + 0.5, *s) for s in strokes)
            if d < half:
                pixels[y][x] = MARKERS[min(3, int(4 * d / half))]
    return pixels


def front(s, shift):
    """A knitted loop: two legs meeting at the bottom of the needle's cell; its top leans shift cells
    away (the loop was moved by that many needles)."""
    w = s * (abs(shift) + 1)
    base = (w - s / 2) if shift > 0 else s / 2
    top = base - shift * s
    spread = s * 0.38
    strokes = [(top - spread, 0.5, base, s - 1.0), (top + spread, 0.5, base, s - 1.0)]
    return w, strokes


def rear(s):
    """A purl bump: an arch across the cell."""
    strokes = []
    steps = 8
    for i in range(steps):
        a0 = math.pi * i / steps
        a1 = math.pi * (i + 1) / steps
        r = s * 0.36
        cx, cy = s / 2, s * 0.7
        strokes.append((cx - r * math.cos(a0), cy - r * math.sin(a0), cx - r * math.cos(a1), cy - r * math.sin(a1)))
    return s, strokes


def write_ppm(path, pixels):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (len(pixels[0]), len(pixels)))
        for row in pixels:
            for p in row:
                f.write(bytes(p))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for s in (14, 10):
        half = s * 0.16
        glyphs = {"Front": front(s, 0), "Rear": rear(s), "R1": front(s, 1), "L1": front(s, -1),
                  "R2": front(s, 2), "L2": front(s, -2)}
        for name, (w, strokes) in glyphs.items():
            write_ppm(os.path.join(out, "Img%d%s.ppm" % (s, name)), draw(w, s, strokes, half))


if __name__ == "__main__":
    main()
