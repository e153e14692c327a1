#!/usr/bin/python3
"""Start-up of Tarvik side by side with the bare Qt program (bench/bare_qt.cpp).

Each program is started from its own temporary folder (a copy of the executable, the default
tarvik.ini, dosdevices/com1 linked to a pseudo-terminal), in interleaved runs. Measured from the
moment before exec: the first "XA" read on the pseudo-terminal, the program's top-level window
mapped (only where $DISPLAY is set; needs python3-xlib), and the private anonymous memory from
/proc/<pid>/smaps_rollup one second after start-up. Prints medians and the ratios Tarvik / bare.

The bare program is also run with --menu (a menu bar like Tarvik's): its figures are printed
beside, for the part of the gap that any window with text has.

Usage: startup_bench.py BUILD_DIR [RUNS]   (QT_QPA_PLATFORM is passed on; unset means offscreen
without $DISPLAY, xcb with it)
"""

import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def priprav(build, program):
    slozka = tempfile.mkdtemp(prefix="tarvik-start-")
    exe = os.path.join(slozka, program)
    shutil.copy2(os.path.join(build, program if program == "tarvik" else "bench/" + program), exe)
    subprocess.run([os.path.join(build, "bench/window_bench"), "--vychozi-ini",
                    os.path.join(slozka, "tarvik.ini")], check=True,
                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    os.mkdir(os.path.join(slozka, "dosdevices"))
    return slozka, exe


def anonymni_kib(pid):
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for radek in f:
            if radek.startswith("Anonymous:"):
                return int(radek.split()[1])
    return 0


class mapovani:
    """MapNotify of top-level windows on the root window of $DISPLAY."""

    def __init__(self):
        from Xlib import X, display
        self.X = X
        self.d = display.Display()
        self.d.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.d.sync()

    def cekej(self, limit):
        konec = time.monotonic() + limit
        while time.monotonic() < konec:
            while self.d.pending_events():
                u = self.d.next_event()
                if u.type == self.X.MapNotify:
                    return time.monotonic()
            select.select([self.d.fileno()], [], [], 0.05)
        return None


def jeden_beh(exe, slozka, x, argumenty):
    master, slave = os.openpty()
    odkaz = os.path.join(slozka, "dosdevices", "com1")
    if os.path.lexists(odkaz):
        os.unlink(odkaz)
    os.symlink(os.ttyname(slave), odkaz)
    env = dict(os.environ)
    if not env.get("DISPLAY"):
        env.setdefault("QT_QPA_PLATFORM", "offscreen")
    zacatek = time.monotonic()
    proces = subprocess.Popen([exe] + argumenty, cwd=slozka, env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    prijato = b""
    xa = None
    while xa is None and time.monotonic() - zacatek < 10:
        r, _, _ = select.select([master], [], [], 0.01)
        if r:
            prijato += os.read(master, 256)
            if b"XA" in prijato:
                xa = time.monotonic()
    namapovano = x.cekej(5) if x else None
    time.sleep(max(0.0, zacatek + 1.5 - time.monotonic()))
    pamet = anonymni_kib(proces.pid) if proces.poll() is None else None
    proces.send_signal(signal.SIGTERM)
    try:
        proces.wait(5)
    except subprocess.TimeoutExpired:
        proces.kill()
        proces.wait()
    os.close(master)
    os.close(slave)
    ms = lambda t: None if t is None else (t - zacatek) * 1000.0
    return ms(xa), ms(namapovano), pamet


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    behu = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    x = mapovani() if os.environ.get("DISPLAY") else None
    programy = {"bare": priprav(build, "bare_qt"), "bare_menu": priprav(build, "bare_qt"),
                "tarvik": priprav(build, "tarvik")}
    argumenty = {"bare_menu": ["--menu"]}
    vysledky = {p: {"xa": [], "map": [], "mem": []} for p in programy}
    for beh in range(behu + 1):
        poradi = list(programy) if beh % 2 == 0 else list(reversed(list(programy)))
        for p in poradi:
            slozka, exe = programy[p]
            xa, mapa, pamet = jeden_beh(exe, slozka, x, argumenty.get(p, []))
            if beh == 0:
                continue  # warms the file cache
            for klic, hodnota in (("xa", xa), ("map", mapa), ("mem", pamet)):
                if hodnota is not None:
                    vysledky[p][klic].append(hodnota)
    print(f"platform: {'X ' + os.environ['DISPLAY'] if x else 'offscreen'}, runs: {behu}")
    for klic, popis in (("xa", "exec to first XA, ms"), ("map", "exec to window mapped, ms"),
                        ("mem", "private anonymous memory, KiB")):
        if not vysledky["tarvik"][klic] or not vysledky["bare"][klic]:
            continue
        t = statistics.median(vysledky["tarvik"][klic])
        b = statistics.median(vysledky["bare"][klic])
        rozsah = lambda p: f"{min(vysledky[p][klic]):.1f}..{max(vysledky[p][klic]):.1f}"
        print(f"{popis:32} tarvik {t:8.1f}  bare {b:8.1f}  ratio {t / b:5.2f}  "
              f"(ranges: tarvik {rozsah('tarvik')}, bare {rozsah('bare')})")
        if vysledky["bare_menu"][klic]:
            m = statistics.median(vysledky["bare_menu"][klic])
            print(f"{'':32} bare with a menu bar {m:8.1f}  ratio tarvik / it {t / m:5.2f}")
    for slozka, _ in programy.values():
        shutil.rmtree(slozka, ignore_errors=True)


if __name__ == "__main__":
    main()
