#!/usr/bin/python3
"""Packs the program's PNG icons into a Windows icon file: 16, 32 and 48 pixels as bitmaps (every
Windows and the setup compiler read them), 256 pixels as PNG. The PNGs are 8-bit RGBA without
interlacing, as resources/hicolor/render.sh makes them.

Usage: make_ico.py OUT.ico 16.png 32.png 48.png 256.png"""

import struct
import sys
import zlib


def rgba_png(data):
    """Width, height and the rows of RGBA bytes of an 8-bit RGBA PNG without interlacing."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("not a PNG")
    pos, idat, w = 8, b"", 0
    while pos < len(data):
        delka, typ = struct.unpack(">I4s", data[pos:pos + 8])
        obsah = data[pos + 8:pos + 8 + delka]
        if typ == b"IHDR":
            w, h, hloubka, barva, _, _, prokladani = struct.unpack(">IIBBBBB", obsah)
            if (hloubka, barva, prokladani) != (8, 6, 0):
                raise SystemExit("only 8-bit RGBA PNGs without interlacing")
        elif typ == b"IDAT":
            idat += obsah
        pos += 12 + delka
    syrove, radky, predchozi = zlib.decompress(idat), [], bytearray(w * 4)
    for y in range(h):
        filtr = syrove[y * (w * 4 + 1)]
        radek = bytearray(syrove[y * (w * 4 + 1) + 1:(y + 1) * (w * 4 + 1)])
        for i in range(len(radek)):
            a = radek[i - 4] if i >= 4 else 0
            b = predchozi[i]
            c = predchozi[i - 4] if i >= 4 else 0
            if filtr == 1:
                radek[i] = (radek[i] + a) & 0xFF
            elif filtr == 2:
                radek[i] = (radek[i] + b) & 0xFF
            elif filtr == 3:
                radek[i] = (radek[i] + (a + b) // 2) & 0xFF
            elif filtr == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                radek[i] = (radek[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        radky.append(bytes(radek))
        predchozi = radek
    return w, h, radky


def bitmapa(w, h, radky):
    """The icon's bitmap: BGRA rows bottom up, then an all-clear AND mask."""
    hlavicka = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, 0, 0, 0, 0, 0)
    body = b"".join(
        bytes(b for x in range(w) for b in (r[4 * x + 2], r[4 * x + 1], r[4 * x], r[4 * x + 3]))
        for r in reversed(radky))
    maska = bytes(((w + 31) // 32) * 4 * h)
    return hlavicka + body + maska


def main():
    vystup, vstupy = sys.argv[1], sys.argv[2:]
    obrazky = []
    for cesta in vstupy:
        data = open(cesta, "rb").read()
        w, h, radky = rgba_png(data)
        obrazky.append((w, h, data if w >= 256 else bitmapa(w, h, radky)))
    hlavicka = struct.pack("<HHH", 0, 1, len(obrazky))
    pozice = 6 + 16 * len(obrazky)
    adresar, telo = b"", b""
    for w, h, data in obrazky:
        adresar += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), pozice)
        pozice += len(data)
        telo += data
    open(vystup, "wb").write(hlavicka + adresar + telo)


main()
