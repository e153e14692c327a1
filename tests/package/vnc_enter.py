#!/usr/bin/env python3
"""Presses Enter in a Qt program shown on Qt's VNC platform (QT_QPA_PLATFORM=vnc:port=N): a
minimal RFB 3.3 client with no authentication. Usage: vnc_enter.py PORT [TIMES]"""

import socket
import struct
import sys
import time

XK_RETURN = 0xFF0D


def precti(s, n):
    data = b""
    while len(data) < n:
        kus = s.recv(n - len(data))
        if not kus:
            raise SystemExit("the VNC server closed the connection")
        data += kus
    return data


def main():
    port = int(sys.argv[1])
    kolikrat = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    konec = time.monotonic() + 30
    while True:
        try:
            s = socket.create_connection(("127.0.0.1", port), timeout=10)
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
        delka_jmena = struct.unpack(">I", precti(s, 24)[20:24])[0]
        precti(s, delka_jmena)
        for _ in range(kolikrat):
            for dolu in (1, 0):
                s.sendall(struct.pack(">BBxxI", 4, dolu, XK_RETURN))
            time.sleep(0.2)


if __name__ == "__main__":
    main()
