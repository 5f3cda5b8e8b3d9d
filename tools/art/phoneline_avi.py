#!/usr/bin/env python3
"""Draws the dialing window's animation: a desk telephone whose receiver rings and sends out sound
waves, eight frames of 80 x 75 pixels in a 16-colour palette, coded RLE8 in an AVI file.

    tools/art/phoneline_avi.py resources/PhoneLine.avi
"""
import math
import struct
import sys

W, H, FRAMES = 80, 75, 8
FACE, BLACK, NAVY, GREY, WHITE, GREEN, RED, LIGHT = range(8)
PALETTE = [(192, 192, 192), (0, 0, 0), (0, 0, 128), (128, 128, 128), (255, 255, 255), (0, 128, 0),
           (192, 0, 0), (224, 224, 224)]


def draw(frame):
    px = [[FACE] * W for _ in range(H)]

    def put(x, y, c):
        if 0 <= x < W and 0 <= y < H:
            px[y][x] = c

    def rect(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                put(x, y, c)

    # The body: a trapezoid with a dark outline, and its dial of twelve keys.
    for y in range(42, 70):
        inset = (70 - y) // 4
        for x in range(10 + inset, 58 - inset):
            edge = y in (42, 69) or x in (10 + inset, 57 - inset)
            put(x, y, BLACK if edge else GREY)
    for row in range(3):
        for col in range(4):
            rect(19 + col * 8, 50 + row * 6, 23 + col * 8, 53 + row * 6, WHITE)
    # The receiver: lifted a little on the ringing frames.
    lift = 3 if frame % 2 == 0 else 0
    cx, top = 34, 30 - lift
    for x in range(8, 61):
        t = (x - cx) / 26.0
        arc = int(round(6 * t * t))
        for y in range(top + arc, top + arc + 6):
            put(x, y, NAVY)
        put(x, top + arc - 1, BLACK)
    rect(6, top + 4, 16, top + 12, NAVY)
    rect(52, top + 4, 62, top + 12, NAVY)
    rect(7, top + 5, 15, top + 6, LIGHT)
    # The sound waves: one more each frame, up to three.
    for ring in range(frame % 4):
        r = 8 + ring * 6
        for a in range(-50, 51, 2):
            ang = math.radians(a)
            put(64 + int(round(r * math.cos(ang))) - 4, 22 + int(round(r * math.sin(ang))),
                GREEN if ring < 2 else RED)
    return px


def rle8(px):
    out = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up
        row = px[y]
        x = 0
        while x < W:
            n = 1
            while x + n < W and row[x + n] == row[x] and n < 255:
                n += 1
            out += bytes((n, row[x]))
            x += n
        out += b"\0\0"
    out[-2:] = b"\0\1"
    return bytes(out)


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def avi(frames):
    biggest = max(len(f) for f in frames)
    avih = struct.pack("<14I", 125000, biggest * 8, 0, 0x10, len(frames), 0, 1, biggest, W, H, 0, 0, 0, 0)
    strh = b"vids" + b"mrle" + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, 8, 0, len(frames), biggest,
                                           0xFFFFFFFF, 0, 0, 0, W, H)
    strf = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 1, 0, 0, 0, len(PALETTE), len(PALETTE))
    strf += b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in PALETTE)
    strl = b"strl" + chunk(b"strh", strh) + chunk(b"strf", strf)
    hdrl = chunk(b"LIST", b"hdrl" + chunk(b"avih", avih) + chunk(b"LIST", strl))
    movi_body = b"movi"
    index = bytearray()
    for f in frames:
        index += b"00dc" + struct.pack("<III", 0x10, len(movi_body), len(f))
        movi_body += chunk(b"00dc", f)
    movi = chunk(b"LIST", movi_body)
    body = b"AVI " + hdrl + movi + chunk(b"idx1", bytes(index))
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: phoneline_avi.py OUT.avi")
    with open(sys.argv[1], "wb") as f:
        f.write(avi([rle8(draw(i)) for i in range(FRAMES)]))


if __name__ == "__main__":
    main()
