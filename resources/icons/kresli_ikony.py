#!/usr/bin/env python3
"""Draws the icons of the login and password dialogs: a green tick (ok.png) and a red cross
(storno.png), 32 x 32 and 64 x 64 (@2x). Plain Python, no imaging library: thick strokes with
round ends, anti-aliased by 8 x 8 supersampling, written as RGBA PNG."""

import struct
import zlib


def vzdalenost(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    qx, qy = ax + t * dx, ay + t * dy
    return ((px - qx) ** 2 + (py - qy) ** 2) ** 0.5


def kresli(velikost, cary, sirka, barva):
    """cary: segments in a 32-unit square; sirka: stroke width in the same units."""
    meritko = velikost / 32.0
    vzorky = 8
    radky = []
    for y in range(velikost):
        radek = bytearray([0])  # PNG filter: none
        for x in range(velikost):
            zasahu = 0
            for sy in range(vzorky):
                for sx in range(vzorky):
                    px = (x + (sx + 0.5) / vzorky) / meritko
                    py = (y + (sy + 0.5) / vzorky) / meritko
                    if any(vzdalenost(px, py, *c) <= sirka / 2 for c in cary):
                        zasahu += 1
            alfa = round(255 * zasahu / (vzorky * vzorky))
            radek += bytes(barva) + bytes([alfa])
        radky.append(bytes(radek))
    return png(velikost, b"".join(radky))


def png(velikost, data):
    def blok(typ, obsah):
        return (struct.pack(">I", len(obsah)) + typ + obsah +
                struct.pack(">I", zlib.crc32(typ + obsah) & 0xFFFFFFFF))
    hlavicka = struct.pack(">IIBBBBB", velikost, velikost, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + blok(b"IHDR", hlavicka) +
            blok(b"IDAT", zlib.compress(data, 9)) + blok(b"IEND", b""))


FAJFKA = [(5.0, 17.0, 12.5, 24.5), (12.5, 24.5, 27.0, 8.0)]
KRIZEK = [(7.5, 7.5, 24.5, 24.5), (24.5, 7.5, 7.5, 24.5)]
ZELENA = (0x2E, 0x8B, 0x3A)
CERVENA = (0xC6, 0x28, 0x28)

for nazev, cary, barva in (("ok", FAJFKA, ZELENA), ("storno", KRIZEK, CERVENA)):
    for velikost, pripona in ((32, ""), (64, "@2x")):
        with open(f"{nazev}{pripona}.png", "wb") as f:
            f.write(kresli(velikost, cary, 5.0, barva))
