#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: well-formed server streams, one file each."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def server_init(w, h, name=b"desk"):
    pf = bytes([32, 24, 0, 1]) + struct.pack(">HHH", 255, 255, 255) + bytes([16, 8, 0, 0, 0, 0])
    return struct.pack(">HH", w, h) + pf + struct.pack(">I", len(name)) + name


# Handshake: first byte = password length (low 4 bits) and shared flag (16).
write("handshake", "none_38", bytes([16]) + b"RFB 003.008\n" + struct.pack(">I", 1) + server_init(640, 480))
write("handshake", "vncauth_ok", bytes([6]) + b"RFB 003.003\n" + struct.pack(">I", 2) + bytes(range(16))
      + struct.pack(">I", 0) + server_init(320, 200, b"\xe9t\xe9"))
write("handshake", "vncauth_fail", bytes([6]) + b"RFB 003.003\n" + struct.pack(">I", 2) + bytes(16)
      + struct.pack(">I", 1))
write("handshake", "too_many", bytes([6]) + b"RFB 003.003\n" + struct.pack(">I", 2) + bytes(16)
      + struct.pack(">I", 2))
write("handshake", "refused", bytes([0]) + b"RFB 003.003\n" + struct.pack(">I", 0) + struct.pack(">I", 5) + b"no go")


def rect(x, y, w, h, enc):
    return struct.pack(">HHHHi", x, y, w, h, enc)


def update(*rects):
    return bytes([0, 0]) + struct.pack(">H", len(rects)) + b"".join(rects)


def header(bits_index, w, h):
    return bytes([bits_index, w & 0xFF, (w >> 8) & 1, h & 0xFF, (h >> 8) & 1])


px16 = lambda v: struct.pack(">H", v)
raw = rect(0, 0, 4, 2, 0) + b"".join(px16(i * 4099) for i in range(8))
copy = rect(8, 8, 16, 16, 1) + struct.pack(">HH", 0, 0)
rre = rect(2, 2, 20, 10, 2) + struct.pack(">I", 2) + px16(0x1234) + px16(0xF800) + struct.pack(">HHHH", 1, 1, 3, 3) \
    + px16(0x07E0) + struct.pack(">HHHH", 5, 0, 2, 9)
corre = rect(30, 30, 20, 20, 4) + struct.pack(">I", 1) + px16(0x0001) + px16(0xFFFF) + bytes([1, 2, 3, 4])
hextile = rect(0, 0, 20, 18, 5) + bytes([2 | 4 | 8]) + px16(1) + px16(2) + bytes([2, 0x00, 0x33, 0x45, 0x11]) \
    + bytes([8 | 16, 1]) + px16(0xABCD) + bytes([0x10, 0x00]) \
    + bytes([1]) + b"".join(px16(i) for i in range(16 * 2)) + bytes([0])
cursor = rect(1, 1, 5, 3, -239) + bytes(range(30)) + bytes([0xF8, 0x70, 0x20])
desktop = rect(0, 0, 100, 80, -223)
write("message_loop", "all_encodings_16", header(1, 64, 48) + update(raw, copy, rre, corre, hextile, cursor, desktop))
write("message_loop", "bell_cut_text", header(1, 16, 16) + bytes([2]) + bytes([3, 0, 0, 0]) + struct.pack(">I", 5)
      + b"hello" + update())
raw8 = rect(0, 0, 3, 3, 0) + bytes(range(9))
hex8 = rect(0, 0, 16, 16, 5) + bytes([2 | 8 | 16, 7, 2, 0x99, 0x00, 0x12, 0x22])
write("message_loop", "raw_hextile_8", header(0, 32, 32) + update(raw8, hex8))
raw32 = rect(0, 0, 2, 2, 0) + bytes(range(16))
rre32 = rect(0, 0, 4, 4, 2) + struct.pack(">I", 1) + bytes(4) + bytes([1, 2, 3, 4]) + struct.pack(">HHHH", 0, 0, 1, 1)
write("message_loop", "raw_rre_32", header(2, 8, 8) + update(raw32, rre32) + bytes([2]))
