#!/usr/bin/env python3
"""Draws the monitor's tray icon (the same design as MonitorBuiltInIcon) and writes it as
resources/images/0409/icons/logo.ico (16, 24, 32, 48, 64 px, 32-bit BMP entries) and
resources/desktop/vykmon.png (64 px). Standard library only.

    python3 monitor/tools/make_logo.py            (from the repository root)
"""
import os
import struct
import zlib

BODY = (0x26, 0x2B, 0x33)
LINE = (0xB8, 0xC2, 0xCC)
WHEEL = (0x00, 0xC8, 0xFF)


def in_round_rect(x, y, rx, ry, rw, rh, r):
    if x < rx or x > rx + rw or y < ry or y > ry + rh:
        return False
    cx = min(max(x, rx + r), rx + rw - r)
    cy = min(max(y, ry + r), ry + rh - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def sample(x, y):
    """Colour at a point of the 64-unit design, or None outside."""
    if in_round_rect(x, y, 29, 10, 6, 11, 3):
        return WHEEL
    if in_round_rect(x, y, 14, 4, 36, 56, 18):
        if abs(x - 32) <= 1.25 and 5 <= y <= 26:
            return LINE
        if abs(y - 26) <= 1.25 and 15 <= x <= 49:
            return LINE
        return BODY
    return None


def render(size, ss=6):
    """Rows of (r, g, b, a), top row first, anti-aliased by supersampling."""
    rows = []
    scale = 64.0 / size
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(ss):
                for sx in range(ss):
                    c = sample((px + (sx + 0.5) / ss) * scale, (py + (sy + 0.5) / ss) * scale)
                    if c:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append((acc[0] // hits, acc[1] // hits, acc[2] // hits, hits * 255 // (ss * ss)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_entry(size):
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def write_ico(path, sizes):
    entries = [bmp_entry(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, entries):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(entries)
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, size):
    rows = render(size)
    raw = b"".join(b"\x00" + b"".join(bytes(px) for px in row) for row in rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    os.makedirs("resources/images/0409/icons", exist_ok=True)
    write_ico("resources/images/0409/icons/logo.ico", [16, 24, 32, 48, 64])
    write_png("resources/desktop/vykmon.png", 64)
