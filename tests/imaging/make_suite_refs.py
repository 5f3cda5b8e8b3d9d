#!/usr/bin/env python3
"""Writes suite_refs.inc: for every picture of the public suites, the MD5 of the pixels (red, green,
blue bytes, rows from the top) that ImageMagick's convert gives, or the failure the station must
report. PNG files are flattened over their bKGD colour (scaled to 8 bits), else black, and read
without gamma conversion. Run from this folder with ImageMagick installed:
    python3 make_suite_refs.py ../../../shared/testdata > suite_refs.inc
"""
import hashlib
import os
import struct
import subprocess
import sys

CONVERT = "/usr/bin/convert"
# Files of the bad BMP folder that hold every pixel and are read: an image-size field larger than
# the uncompressed rows is not needed to read them.
READ_ANYWAY = {"badbitssize.bmp"}


def png_background(path):
    data = open(path, "rb").read()
    pos, depth, ctype, palette, bkgd = 8, 8, 0, [], None
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            depth, ctype = body[8], body[9]
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body) - 2, 3)]
        elif kind == b"bKGD":
            bkgd = body
        pos += 12 + length
    if bkgd is None:
        return (0, 0, 0)

    def to8(v):
        return {1: v * 255, 2: v * 85, 4: v * 17, 8: v, 16: v // 257}[depth]
    if ctype == 3:
        return palette[bkgd[0]] if bkgd[0] < len(palette) else (0, 0, 0)
    if ctype in (0, 4):
        g = to8(struct.unpack(">H", bkgd[:2])[0])
        return (g, g, g)
    return tuple(to8(v) for v in struct.unpack(">3H", bkgd[:6]))


def pixels_md5(path, background=None):
    cmd = [CONVERT, path]
    if background is not None:
        cmd += ["-set", "colorspace", "sRGB", "-background", "#%02x%02x%02x" % background, "-flatten"]
    cmd += ["-depth", "8", "rgb:-"]
    return hashlib.md5(subprocess.run(cmd, check=True, capture_output=True).stdout).hexdigest()


def main(root):
    print("// Made by make_suite_refs.py from ImageMagick's decoding of the public suites.")
    print("// { file under the test data folder, MD5 of the RGB pixels or empty, failure text or empty }")
    for name in sorted(os.listdir(os.path.join(root, "bmpsuite", "g"))):
        rel = "bmpsuite/g/" + name
        print('{"%s", "%s", ""},' % (rel, pixels_md5(os.path.join(root, rel))))
    for name in sorted(os.listdir(os.path.join(root, "bmpsuite", "b"))):
        rel = "bmpsuite/b/" + name
        if name in READ_ANYWAY:
            print('{"%s", "%s", ""},' % (rel, pixels_md5(os.path.join(root, rel))))
        else:
            print('{"%s", "", "unrecognized BMP"},' % rel)
    for name in sorted(os.listdir(os.path.join(root, "pngsuite"))):
        if not name.endswith(".png"):
            continue
        rel = "pngsuite/" + name
        if name.startswith("x"):
            print('{"%s", "", "unrecognized PNG"},' % rel)
            continue
        path = os.path.join(root, rel)
        print('{"%s", "%s", ""},' % (rel, pixels_md5(path, png_background(path))))


if __name__ == "__main__":
    main(sys.argv[1])
