#!/usr/bin/env python3
"""Draws the window icon (permutal.png, 32x32): an order sheet with two
arrows that swap, the program's one job. Plain Python, no imaging library."""
import struct, zlib

N = 32
img = [[(0, 0, 0, 0)] * N for _ in range(N)]

def caja(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = c

BORDE = (40, 60, 110, 255)
HOJA = (250, 250, 245, 255)
LINEA = (150, 160, 180, 255)
AZUL = (30, 90, 200, 255)
NARANJA = (230, 120, 20, 255)

# The sheet of the order.
caja(4, 2, 21, 29, BORDE)
caja(5, 3, 20, 28, HOJA)
for y in (7, 10, 13, 16):
    caja(7, y, 18, y, LINEA)

# Arrow to the right (the current supplier goes) and to the left (the new one comes).
def flecha(y, x0, x1, c, derecha):
    caja(x0, y - 1, x1, y + 1, c)
    for i in range(5):
        x = (x1 + i) if derecha else (x0 - i)
        caja(x, y - 4 + i, x, y + 4 - i, c)

flecha(20, 12, 24, AZUL, True)
flecha(26, 12, 24, NARANJA, False)

def png(path):
    crudo = b"".join(b"\x00" + b"".join(struct.pack("BBBB", *p) for p in fila) for fila in img)
    def trozo(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(trozo(b"IHDR", struct.pack(">IIBBBBB", N, N, 8, 6, 0, 0, 0)))
        f.write(trozo(b"IDAT", zlib.compress(crudo, 9)))
        f.write(trozo(b"IEND", b""))

if __name__ == "__main__":
    png(__file__.rsplit("/", 1)[0] + "/permutal.png" if "/" in __file__ else "permutal.png")
