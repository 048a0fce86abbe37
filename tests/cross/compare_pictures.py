#!/usr/bin/env python3
"""Compares two pictures of the same size channel by channel.

Usage: compare_pictures.py TOLERANCE EXPECTED.png ACTUAL.png [--displace]
Passes (exit 0) when no colour channel of any pixel differs by more than
TOLERANCE; otherwise prints how many pixels do and exits 1. --displace
first moves a 24 x 24 piece of ACTUAL one pixel to the right, starting at
the first pixel that is not background: the picture of a glyph drawn in
the wrong place, which the comparison must catch. The pictures are decoded
by ffmpeg into RGBA bytes.
"""
import subprocess
import sys

WIDTH, HEIGHT = 640, 400
BACKGROUND = (12, 12, 12)


def rgba(path):
    data = subprocess.run(
        ["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgba", "-"],
        check=True, stdout=subprocess.PIPE).stdout
    if len(data) != WIDTH * HEIGHT * 4:
        sys.exit("%s: %d bytes of pixels, not %d x %d" % (path, len(data), WIDTH, HEIGHT))
    return bytearray(data)


def displace(pixels):
    for at in range(0, len(pixels), 4):
        if any(abs(pixels[at + c] - BACKGROUND[c]) > 24 for c in range(3)):
            break
    else:
        sys.exit("the picture is all background: nothing to displace")
    x0, y0 = (at // 4) % WIDTH, (at // 4) // WIDTH
    piece = [bytes(pixels[4 * (y * WIDTH + x0):4 * (y * WIDTH + min(x0 + 24, WIDTH - 1))])
             for y in range(y0, min(y0 + 24, HEIGHT))]
    for row, y in zip(piece, range(y0, HEIGHT)):
        start = 4 * (y * WIDTH + x0 + 1)
        pixels[start:start + len(row)] = row


def main():
    args = sys.argv[1:]
    moved = "--displace" in args
    args = [a for a in args if a != "--displace"]
    if len(args) != 3:
        sys.exit(__doc__)
    tolerance = int(args[0])
    expected, actual = rgba(args[1]), rgba(args[2])
    if moved:
        displace(actual)
    worst, off = 0, set()
    for i, (e, a) in enumerate(zip(expected, actual)):
        if e != a:
            worst = max(worst, abs(e - a))
            if abs(e - a) > tolerance:
                off.add(i // 4)
    if off:
        print("%d pixels differ by more than %d (at most %d)" % (len(off), tolerance, worst))
        return 1
    print("largest channel difference %d" % worst)
    return 0


sys.exit(main())
