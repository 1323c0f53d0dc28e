#!/usr/bin/env python3
"""Draws Tarvell's icon: a stopwatch face with a speech waveform across it.

Writes tarvell.ico beside this script: one 64x64 image, 32 bits per pixel (BGRA),
stored the classic way as a bottom-up DIB followed by its 1-bit AND mask.
Run it again after changing the drawing; the build uses the committed file.
"""
import math
import os
import struct

SIZE = 64


def blend(dst, src, alpha):
    return tuple(round(d * (1 - alpha) + s * alpha) for d, s in zip(dst, src))


def coverage(distance):
    """Anti-aliasing: how much of a pixel lies inside an edge at this signed distance."""
    return max(0.0, min(1.0, 0.5 - distance))


def draw():
    pixels = [[(0, 0, 0, 0) for _ in range(SIZE)] for _ in range(SIZE)]
    cx, cy, radius = 32.0, 35.0, 26.0
    for y in range(SIZE):
        for x in range(SIZE):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            rgba = (0, 0, 0, 0)
            # Crown of the stopwatch.
            crown = coverage(max(abs(px - 32) - 4, abs(py - 6.5) - 2.5))
            if crown:
                rgba = (52, 73, 94, round(255 * crown))
            # Rim and face.
            rim = coverage(d - radius)
            if rim:
                face = coverage(d - (radius - 4))
                colour = blend((41, 98, 155), (246, 248, 250), face)
                rgba = colour + (max(rgba[3], round(255 * rim)),)
                # Speech waveform across the face.
                if face:
                    t = (px - cx) / (radius - 6)
                    if abs(t) <= 1:
                        envelope = (1 - t * t) * 11
                        wave = cy + envelope * math.sin(t * 9.5)
                        stroke = coverage(abs(py - wave) - 1.4)
                        if stroke:
                            rgba = blend(rgba[:3], (231, 111, 38), stroke) + (rgba[3],)
            pixels[y][x] = rgba
    return pixels


def encode(pixels):
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = (SIZE + 31) // 32 * 4
    and_mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bits
    image = header + xor + bytes(and_mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == '__main__':
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'tarvell.ico')
    with open(target, 'wb') as f:
        f.write(encode(draw()))
