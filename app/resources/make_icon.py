#!/usr/bin/env python3
"""Writes lolquillet.ico, the program's application icon: 16 and 32 pixels, 32 bits a pixel.

The picture is the tray icon's (app/tray_icon.cpp) drawn at each size: a dark blue disc in a gold
ring, a white "L" inside and a gold tail at the lower right, transparent around it.

    python3 make_icon.py [output.ico]
"""
import struct
import sys

CLEAR = (0, 0, 0, 0)
GOLD = (0x30, 0xB8, 0xE8, 0xFF)  # blue, green, red, alpha
NAVY = (0x68, 0x3A, 0x1F, 0xFF)
WHITE = (0xF4, 0xF4, 0xF4, 0xFF)


def pixel(x, y, side):
    # In units of the 16-pixel design.
    s = side / 16.0
    cx = (x + 0.5) / s
    cy = (y + 0.5) / s
    dx, dy = 2 * cx - 16, 2 * cy - 16
    d2 = dx * dx + dy * dy
    gx, gy = int(cx), int(cy)
    if gx >= 10 and gy >= 10 and gx - gy in (0, 1):
        return GOLD
    if d2 > 15 * 15:
        return CLEAR
    if d2 > 11 * 11:
        return GOLD
    if (gx == 6 and 4 <= gy <= 10) or (gy == 10 and 6 <= gx <= 9):
        return WHITE
    return NAVY


def image(side):
    header = struct.pack("<IiiHHIIiiII", 40, side, 2 * side, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = bytearray()
    mask_stride = ((side + 31) // 32) * 4
    mask = bytearray(mask_stride * side)
    for row in range(side):
        y = side - 1 - row
        for x in range(side):
            p = pixel(x, y, side)
            colours += bytes(p)
            if p[3] == 0:
                mask[row * mask_stride + x // 8] |= 0x80 >> (x % 8)
    return header + bytes(colours) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "lolquillet.ico"
    images = [image(16), image(32)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for side, img in zip((16, 32), images):
        data += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        data += img
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
