#!/usr/bin/env python3
"""Velmora benchmark: the correction as a 256 x 1 RGB lookup picture (binary PPM), written from the rule
v' = clamp(floor(g * v) + v, 0, 255) with each gain held as a 32-bit float, as the program holds it.
A peer tool that maps through this picture (vips maplut) makes exactly the program's pixels.

    gain_lut.py R,G,B OUT.ppm
"""
import math
import struct
import sys


def single(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    gains = [single(float(g)) for g in sys.argv[1].split(",")]
    pixels = bytearray()
    for v in range(256):
        for g in gains:
            pixels.append(max(0, min(255, math.floor(g * v) + v)))
    with open(sys.argv[2], "wb") as out:
        out.write(b"P6\n256 1\n255\n" + bytes(pixels))


if __name__ == "__main__":
    main()
