#!/usr/bin/env python3
"""Presses Enter in a Qt program shown on Qt's VNC platform (QT_QPA_PLATFORM=vnc:port=N) once the
screen shows anything, that is once its first window (there: a message box) is up. A minimal
RFB 3.3 client with no authentication and raw pixels. Usage: vnc_enter.py PORT"""

import socket
import struct
import sys
import time

XK_RETURN = 0xFF0D
TIMEOUT = 30


def precti(s, n):
    data = bytearray()
    while len(data) < n:
        kus = s.recv(min(n - len(data), 1 << 20))
        if not kus:
            raise SystemExit("the VNC server closed the connection")
        data += kus
    return bytes(data)


def obrazovka_prazdna(s, sirka, vyska, bajtu_na_bod):
    """Asks for the whole screen and tells whether every pixel is black."""
    s.sendall(struct.pack(">BBHHHH", 3, 0, 0, 0, sirka, vyska))
    while True:
        typ = precti(s, 1)[0]
        if typ == 2:  # bell
            continue
        if typ == 3:  # cut text
            precti(s, 3)
            precti(s, struct.unpack(">I", precti(s, 4))[0])
            continue
        if typ != 0:
            raise SystemExit(f"unexpected VNC message {typ}")
        precti(s, 1)
        prazdna = True
        for _ in range(struct.unpack(">H", precti(s, 2))[0]):
            _, _, w, h, kodovani = struct.unpack(">HHHHi", precti(s, 12))
            if kodovani != 0:
                raise SystemExit(f"unexpected VNC encoding {kodovani}")
            if any(precti(s, w * h * bajtu_na_bod)):
                prazdna = False
        return prazdna


def main():
    port = int(sys.argv[1])
    konec = time.monotonic() + TIMEOUT
    while True:
        try:
            s = socket.create_connection(("127.0.0.1", port), timeout=TIMEOUT)
            break
        except OSError:
            if time.monotonic() > konec:
                raise SystemExit(f"no VNC server on port {port}")
            time.sleep(0.1)
    with s:
        precti(s, 12)  # "RFB 003.00x\n"
        s.sendall(b"RFB 003.003\n")
        if struct.unpack(">I", precti(s, 4))[0] != 1:
            raise SystemExit("the VNC server asks for authentication")
        s.sendall(b"\x01")  # ClientInit: shared
        uvod = precti(s, 24)
        sirka, vyska, bitu_na_bod = struct.unpack(">HHB", uvod[:5])
        precti(s, struct.unpack(">I", uvod[20:24])[0])  # the desktop's name
        s.sendall(b"\x00\x00\x00\x00" + uvod[4:20])  # SetPixelFormat: the server's own
        s.sendall(struct.pack(">BxHi", 2, 1, 0))  # SetEncodings: raw only
        while obrazovka_prazdna(s, sirka, vyska, bitu_na_bod // 8):
            if time.monotonic() > konec:
                raise SystemExit("nothing shown on the VNC screen")
            time.sleep(0.2)
        for dolu in (1, 0):
            s.sendall(struct.pack(">BBxxI", 4, dolu, XK_RETURN))
        time.sleep(0.5)


if __name__ == "__main__":
    main()
