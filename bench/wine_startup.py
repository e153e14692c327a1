#!/usr/bin/python3
"""Start-up of the Windows build under Wine, side by side with the bare Qt program
(bench/bare_qt.cpp built for Windows): from the moment before Wine is started to the first "XA"
read on the pseudo-terminal that the Wine prefix knows as COM1. Both programs run from one copy of
the installed tree (build-windows/resources/windows/stage, the setup program's content), Tarvik
with its default tarvik.ini beside it, in interleaved runs; Wine's server is kept running between
them, so that each run starts a program, not Wine. Prints the medians and the ratio Tarvik / bare.

Usage: wine_startup.py BUILD_DIR [RUNS]   (under an X server: xvfb-run -a bench/wine_startup.py ...)
Uses the Wine prefix of the Windows tests (BUILD_DIR/wine, made by their fixture)."""

import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import tty


def main():
    sestaveni = os.path.abspath(sys.argv[1])
    behu = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    prefix = subprocess.run([os.path.join(sestaveni, "tests/wine-run"), "--prefix"], check=True,
                            capture_output=True, text=True).stdout.strip()
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    slozka = tempfile.mkdtemp(prefix="tarvik-wine-start-")
    try:
        program = os.path.join(slozka, "program")
        shutil.copytree(os.path.join(sestaveni, "resources/windows/stage"), program)
        for exe in ("bare_qt.exe", "default_ini.exe"):
            shutil.copy2(os.path.join(sestaveni, "bench", exe), program)
        # The server and Wine's services (started by the first program) kept off the output: the
        # server lists its objects whenever a pseudo-terminal it holds ends.
        ticho = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-p"], env=env, check=True, **ticho)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=env, check=True, **ticho)
        subprocess.run(["wine", os.path.join(program, "default_ini.exe"), "tarvik.ini"],
                       cwd=program, env=env, check=True)
        for exe in ("tarvik.exe", "bare_qt.exe"):  # warm-up: the libraries in the page cache
            zmer(prefix, program, exe, env)
        casy = {"tarvik.exe": [], "bare_qt.exe": []}
        for _ in range(behu):
            for exe in casy:
                casy[exe].append(zmer(prefix, program, exe, env))
        tarvik, holy = (statistics.median(casy[e]) for e in ("tarvik.exe", "bare_qt.exe"))
        for exe, t in casy.items():
            print(f"{exe:12} first XA after: median {statistics.median(t) * 1000:.0f} ms "
                  f"({', '.join(f'{x * 1000:.0f}' for x in t)})")
        print(f"ratio Tarvik / bare Qt under Wine: {tarvik / holy:.2f} (goal <= 1.2)")
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        shutil.rmtree(slozka, ignore_errors=True)


def zmer(prefix, program, exe, env):
    """Seconds from starting `exe` under Wine to its first XA on COM1."""
    master, slave = os.openpty()
    tty.setraw(slave)
    odkaz = os.path.join(prefix, "dosdevices", "com1")
    if os.path.lexists(odkaz):
        os.unlink(odkaz)
    os.symlink(os.ttyname(slave), odkaz)
    zacatek = time.monotonic()
    proces = subprocess.Popen(["wine", os.path.join(program, exe)], cwd=program, env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    prijato, xa = b"", None
    konec = zacatek + 60
    while xa is None and time.monotonic() < konec:
        r, _, _ = select.select([master], [], [], 0.05)
        if r:
            prijato += os.read(master, 1024)
            if b"XA" in prijato:
                xa = time.monotonic() - zacatek
    proces.kill()
    proces.wait()
    time.sleep(0.5)
    os.close(master)
    os.close(slave)
    if xa is None:
        raise SystemExit(f"{exe} sent no XA within 60 s")
    return xa


main()
