#!/usr/bin/env python3
"""Kills the configuration writer with SIGKILL at random moments of its writes in place, many
times, and counts the files left neither as they were before a write nor as the write makes them.

    bench/kill_inplace.py WRITER [KILLS]

WRITER is the test helper tarvik_zapis_hodnoty (build-*/tests/tarvik_zapis_hodnoty). The file has
a name too long for a temporary name beside it, so every write goes in place. The writer loops
over four writes: chlivek319 grows on the last page (0 -> 127), stykac5 shrinks on the first page
(padded with blanks), chlivek319 shrinks (padded), stykac5 grows back into its padding. After each
kill the file must be one of the states those writes leave, byte for byte.
"""
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

zde = os.path.dirname(os.path.abspath(__file__))
zapisovac = os.path.abspath(sys.argv[1])
zabiti = int(sys.argv[2]) if len(sys.argv) > 2 else 1000

with open(os.path.join(zde, "..", "resources", "demo", "tarvik.ini"), "rb") as f:
    vzor = f.read()


def s_hodnotami(stykac5: bytes, chlivek319: bytes) -> bytes:
    radky = vzor.split(b"\r\n")
    for i, radek in enumerate(radky):
        if radek.startswith(b"stykac5="):
            radky[i] = b"stykac5=" + stykac5
        elif radek.startswith(b"chlivek319="):
            radky[i] = b"chlivek319=" + chlivek319
    return b"\r\n".join(radky)


puvodni = s_hodnotami("stykač 5".encode("cp1250"), b"0")
stavy = {puvodni}
for s5 in ("stykač 5".encode("cp1250"), b"x       "):
    for c in (b"127", b"7  "):
        stavy.add(s_hodnotami(s5, c))
assert len(puvodni) // 4096 == 2 and puvodni.index(b"chlivek319=") // 4096 == 2
assert puvodni.index(b"stykac5=") // 4096 == 0

slozka = tempfile.mkdtemp(prefix="tarvik-kill-")
cesta = os.path.join(slozka, "n" * 250)
prostredi = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
prikaz = [zapisovac, "--smycka", cesta,
          "chlivky", "chlivek319", "127", "stykace", "stykac5", "x",
          "chlivky", "chlivek319", "7", "stykace", "stykac5", "stykač 5"]
poskozenych = 0
po_zapisu = 0
zacatek = time.monotonic()
with open(cesta, "wb") as f:
    f.write(puvodni)
for _ in range(zabiti):
    pred = os.stat(cesta).st_mtime_ns
    p = subprocess.Popen(prikaz, env=prostredi)
    # Wait for the writer's first write, then kill it somewhere in the following ones.
    konec = time.monotonic() + 10
    while os.stat(cesta).st_mtime_ns == pred and time.monotonic() < konec:
        time.sleep(0.0005)
    po_zapisu += os.stat(cesta).st_mtime_ns != pred
    time.sleep(random.uniform(0, 0.005))
    p.send_signal(signal.SIGKILL)
    p.wait()
    with open(cesta, "rb") as f:
        poskozenych += f.read() not in stavy
print(f"{zabiti} kills in the middle of writes in place ({po_zapisu} after a write had landed), "
      f"{poskozenych} files damaged, {time.monotonic() - zacatek:.0f} s")
sys.exit(1 if poskozenych else 0)
