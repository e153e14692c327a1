#!/usr/bin/python3
"""What a screen reader hears from the real program over the accessibility bus (AT-SPI).

Starts a private X server (Xvfb), a session bus with the accessibility bus and its registry
(at-spi2-core), the controller simulator and the program itself, then acts as a screen reader
does, through pyatspi alone: it reads the names of the status panels, the switches, the number
boxes of the administrator's view and the fields of the tab and password dialogs, and it records
every name or text change of the status panels while a switch is switched and while the
administrator logs in. Keys and clicks go in through the registry, as an assistive tool sends
them.

Usage: tst_atspi.py TARVIK TARVIK_SIM
Exits 0 when every check holds, 1 when one does not, 77 (skipped) where no X server or no
accessibility bus can run here. Needs xvfb, dbus, at-spi2-core and python3-pyatspi."""

import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PRESKOCENO = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# Every reply of the simulator comes this late, so that each state of the lock lasts long enough
# for the listener to read the panel's name at the event that announced it.
ZPOZDENI_MS = 500
HESLO = "demo"  # its hash is in the configuration below

KONFIGURACE = (
    "[system]\r\nheslo=1684368751\r\ncom=3\r\n"
    "[zalozky]\r\n"
    "nazev1=Hala A\r\naktivni1=1\r\nnazev2=Hala B\r\naktivni2=1\r\nnazev3=Sklad\r\naktivni3=1\r\n"
    "nazev4=Kotelna\r\naktivni4=0\r\nnazev5=Venkovní\r\naktivni5=1\r\n"
    "[stykace]\r\nstykac5=Osvětlení haly\r\nstykac100=Čerpadlo sever\r\nstykac127=Vrata jih\r\n"
    "[chlivky]\r\nchlivek256=100\r\nchlivek257=5\r\nchlivek258=---\r\nchlivek319=127\r\n"
).encode("cp1250")
# Contactor 5 on, the rest off.
STAVY = "000001"

ZAKAZANA = "vypínače: tlačítka zakázána"
POVOLENA = "vypínače: tlačítka povolena"


class Selhani(Exception):
    pass


def preskoc(proc):
    print(f"SKIPPED: {proc}")
    sys.exit(PRESKOCENO)


def over(podminka, co):
    if not podminka:
        raise Selhani(co)
    print(f"ok: {co}")


def rovno(skutecne, ocekavane, co):
    if skutecne != ocekavane:
        raise Selhani(f"{co}\n  expected: {ocekavane!r}\n  actual:   {skutecne!r}")
    print(f"ok: {co}")


class Prostredi:
    """The X server, the buses, the simulator and the program, each in a process group of its
    own, ended by its id when the check ends."""

    def __init__(self, tarvik, simulator):
        self.slozka = tempfile.mkdtemp(prefix="tarvik-atspi.")
        self.skupiny = []
        self.tarvik_bin, self.simulator_bin = tarvik, simulator

    def spust(self, prikaz, **kw):
        p = subprocess.Popen(prikaz, start_new_session=True, **kw)
        self.skupiny.append(p)
        return p

    def displej(self):
        cteni, zapis = os.pipe()
        xvfb = self.spust(["Xvfb", "-displayfd", str(zapis), "-nolisten", "tcp", "-screen", "0",
                           "1280x1024x24"], pass_fds=(zapis,), stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
        os.close(zapis)
        with os.fdopen(cteni) as f:
            cislo = f.readline().strip()
        if not cislo or xvfb.poll() is not None:
            preskoc("Xvfb does not start here")
        return ":" + cislo

    def sbernice(self, displej):
        """A session bus of our own, its environment the one the registry and Qt will see."""
        beh = os.path.join(self.slozka, "run")
        os.mkdir(beh, 0o700)
        for promenna in ("AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY"):
            os.environ.pop(promenna, None)
        os.environ.update(DISPLAY=displej, XDG_RUNTIME_DIR=beh,
                          XDG_CACHE_HOME=os.path.join(self.slozka, "cache"),
                          XDG_CONFIG_HOME=os.path.join(self.slozka, "config"))
        dbus = self.spust(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        adresa = dbus.stdout.readline().strip()
        if not adresa:
            preskoc("dbus-daemon does not start here")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = adresa
        self.spust([LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)

    def program(self):
        """The simulator on COM3 of a folder of our own, then the program copied into it."""
        program = os.path.join(self.slozka, "program")
        os.mkdir(program)
        with open(os.path.join(program, "tarvik.ini"), "wb") as f:
            f.write(KONFIGURACE)
        self.sim_log = open(os.path.join(self.slozka, "sim.log"), "w+")
        sim = self.spust([self.simulator_bin, "--folder", program, "--port", "3", "--states",
                          STAVY, "--delay", str(ZPOZDENI_MS), "--verbose"],
                         stdout=subprocess.PIPE, stderr=self.sim_log, text=True)
        if not sim.stdout.readline():
            raise Selhani("the simulator did not start")
        kopie = os.path.join(program, "tarvik")
        shutil.copy(self.tarvik_bin, kopie)
        self.tarvik_log = open(os.path.join(self.slozka, "tarvik.log"), "w+")
        # Qt's accessibility bridge keeps a few objects to the end; the test command does not
        # count leaks either.
        prostredi = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                         QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        prostredi.setdefault("ASAN_OPTIONS", "detect_leaks=0")
        self.tarvik = self.spust([kopie], cwd=program, env=prostredi,
                                 stdout=self.tarvik_log, stderr=subprocess.STDOUT)

    def prijato_simulatorem(self):
        self.sim_log.seek(0)
        return self.sim_log.read()

    def konec(self):
        for p in reversed(self.skupiny):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for p in reversed(self.skupiny):
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()
        shutil.rmtree(self.slozka, ignore_errors=True)


def kontrola(prostredi):
    # Imported only now: the library finds the accessibility bus through the session bus above.
    import pyatspi
    from gi.repository import GLib

    registr = pyatspi.Registry
    kontext = GLib.MainContext.default()

    def cekej(podminka, co, limit=20.0, nutne=True):
        """Pumps the bus's events until podminka holds and returns its value; on timeout fails,
        or returns None when it is not nutne (the check that follows tells what is wrong)."""
        konec = time.monotonic() + limit
        while True:
            while kontext.iteration(False):
                pass
            try:
                vysledek = podminka()
            except GLib.Error:
                vysledek = None
            if vysledek:
                return vysledek
            if prostredi.tarvik.poll() is not None:
                raise Selhani(f"the program ended (code {prostredi.tarvik.returncode}) "
                              f"while waiting for {co}")
            if time.monotonic() > konec:
                if not nutne:
                    return None
                raise Selhani(f"timed out waiting for {co}")
            time.sleep(0.02)

    # Every change of a name or a text, with the name read when the event arrives, as a screen
    # reader reads it to announce the change.
    udalosti = []

    def udalost(u):
        try:
            udalosti.append((u.source.path, u.type, u.source.name))
        except GLib.Error:
            pass

    registr.registerEventListener(udalost, "object:property-change:accessible-name",
                                  "object:text-changed")

    prostredi.program()

    def aplikace():
        for a in registr.getDesktop(0):
            if a is not None and a.name == "Tarvik":
                return a
        return None

    app = cekej(aplikace, "the program on the accessibility bus")

    def deti(objekt, role=None):
        return [c for c in objekt if c is not None and (role is None or c.getRoleName() == role)]

    okno = cekej(lambda: next(iter(deti(app, "frame")), None), "the main window")
    radek = cekej(lambda: next(iter(deti(okno, "status bar")), None), "the status bar")
    panely = cekej(lambda: deti(radek, "label") if radek.childCount == 5 else None,
                   "five status panels")
    cesty = {p.path: i + 1 for i, p in enumerate(panely)}

    def jmena_panelu():
        return [p.name for p in panely]

    cekej(lambda: "-> XS" in prostredi.prijato_simulatorem(), "the first status reply")
    cekej(lambda: jmena_panelu()[3] == POVOLENA, "the reply handled", limit=5, nutne=False)
    rovno(jmena_panelu(),
          ["režim: uživatelský mód", "sériový port: COM3", "očekávaná odpověď", POVOLENA,
           "verze: ver.: 1.6 - 29.1.2006"], "the status panels are named by what they show")

    def hlaseni_panelu():
        """The panels' announcements so far, as (panel, event, name), and forgets them."""
        while kontext.iteration(False):
            pass
        vysledek = [(cesty[c], druh, jmeno) for c, druh, jmeno in udalosti if c in cesty]
        udalosti.clear()
        return vysledek

    hlaseni_panelu()

    # The shown tab (the last one) in the user's view: its switches by contactor name and number.
    stranky = cekej(lambda: pyatspi.findDescendant(
        okno, lambda o: o.getRoleName() == "layered pane", True), "the tabs' pages")
    stranka = cekej(lambda: next((s for s in deti(stranky) if s.childCount), None),
                    "the shown tab's cells")
    vypinace = deti(stranka, "check box")
    rovno([v.name for v in vypinace[:4]] + [vypinace[63].name],
          ["Čerpadlo sever, stykač číslo 100", "Osvětlení haly, stykač číslo 5",
           "---, bez stykače", "---, stykač číslo 0", "Vrata jih, stykač číslo 127"],
          "the switches are named by their contactor's name and number")

    # The row of tabs: a hidden tab says so, rather than by a caption no one sees.
    karty = cekej(lambda: pyatspi.findDescendant(
        okno, lambda o: o.getRoleName() == "page tab list", True), "the row of tabs")
    rovno([k.name for k in deti(karty, "page tab")],
          ["Hala A", "Hala B", "Sklad", "skrytá záložka 4", "Venkovní"],
          "the tabs are named by their captions, the hidden one as hidden")

    # A blind operator switches contactor 100 on: the lock and the awaited reply are announced,
    # each change once, and the controller is told.
    akce = vypinace[0].queryAction()
    akce.doAction(next(i for i in range(akce.nActions)
                       if akce.getName(i) in ("Toggle", "Press")))
    # Done when the status query after the acknowledgement has been answered and handled.
    cekej(lambda: "<- XA" in prostredi.prijato_simulatorem().partition("<- XW100=1")[2] and
          jmena_panelu()[2:4] == ["očekávaná odpověď", POVOLENA],
          "the switching and the status reply after it")
    time.sleep(0.2)  # nothing more comes
    hlaseni = hlaseni_panelu()
    over("<- XW100=1\\r\\n" in prostredi.prijato_simulatorem(), "the controller got XW100=1")
    for panel, pocet, prvni, posledni in [
            (4, 4, ZAKAZANA, POVOLENA),
            (3, 3, "očekávaná odpověď: XR100=1", "očekávaná odpověď")]:
        jeho = [(druh, jmeno) for p, druh, jmeno in hlaseni if p == panel]
        rovno([druh for druh, _ in jeho], ["object:property-change:accessible-name"] * pocet,
              f"panel {panel} announces each of its {pocet} changes once")
        rovno((jeho[0][1], jeho[-1][1]), (prvni, posledni),
              f"panel {panel} announced first \"{prvni}\", last \"{posledni}\"")
    rovno(sorted({p for p, _, _ in hlaseni}), [3, 4], "the other panels stay silent")

    def aktivuj():
        """A click on the version panel gives the main window the keyboard."""
        kde = panely[4].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        registr.generateMouseEvent(kde.x + kde.width // 2, kde.y + kde.height // 2, "b1c")
        cekej(lambda: okno.getState().contains(pyatspi.STATE_ACTIVE), "the main window active")

    def klavesa(symbol):
        registr.generateKeyboardEvent(symbol, None, pyatspi.KEY_SYM)

    def alt(pismeno):
        registr.generateKeyboardEvent(8, None, pyatspi.KEY_LOCKMODIFIERS)  # Mod1: Alt
        klavesa(ord(pismeno))
        registr.generateKeyboardEvent(8, None, pyatspi.KEY_UNLOCKMODIFIERS)

    def dialog(titulek):
        return cekej(lambda: next((d for d in deti(app, "dialog") if d.name == titulek and
                                   d.getState().contains(pyatspi.STATE_ACTIVE)), None),
                     f"the dialog \"{titulek}\"")

    def zavri(titulek):
        klavesa(0xFF1B)  # Esc: storno
        cekej(lambda: all(d.name != titulek for d in deti(app, "dialog")),
              f"the dialog \"{titulek}\" closed")

    # Režim > Administrátorský režim, the password, Enter.
    aktivuj()
    alt("r")
    klavesa(ord("a"))
    dialog("Tarvik - login")
    registr.generateKeyboardEvent(0, HESLO, pyatspi.KEY_STRING)
    klavesa(0xFF0D)
    cekej(lambda: jmena_panelu()[0] == "režim: administrátorský mód" and
          not deti(app, "dialog"), "the administrator's mode")
    time.sleep(0.2)
    rovno(hlaseni_panelu(),
          [(4, "object:property-change:accessible-name", ZAKAZANA),
           (1, "object:property-change:accessible-name", "režim: administrátorský mód")],
          "the login announces the lock and the mode, once each")

    # The number boxes of the shown tab (cells 256 to 319), each named by its cell and tab.
    cisla = cekej(lambda: deti(stranka, "text") if len(deti(stranka, "text")) == 64 else None,
                  "the number boxes")
    rovno([c.name for c in cisla],
          [f"číslo stykače políčka {i}, záložka 5" for i in range(256, 320)],
          "every number box is named by its cell and tab")
    rovno([cisla[i].queryText().getText(0, -1) for i in (0, 1, 2, 3, 63)],
          ["100", "5", "---", "0", "127"], "the number boxes hold the contactor numbers")

    # Konfigurace > Záložky: each check box and caption field says which tab it is for.
    aktivuj()
    alt("k")
    klavesa(ord("z"))
    zalozky = dialog("Tarvik - úprava záložek")
    rovno([(c.name, c.getState().contains(pyatspi.STATE_CHECKED))
           for c in deti(zalozky, "check box")],
          [(f"aktivuj záložku {i}", i != 4) for i in range(1, 6)],
          "the tab dialog's check boxes name their tab and show whether it is active")
    rovno([(c.name, c.queryText().getText(0, -1)) for c in deti(zalozky, "text")],
          [("název 1. záložky", "Hala A"), ("název 2. záložky", "Hala B"),
           ("název 3. záložky", "Sklad"), ("název 4. záložky", "Kotelna"),
           ("název 5. záložky", "Venkovní")],
          "the tab dialog's caption fields name their tab")
    zavri("Tarvik - úprava záložek")

    # Konfigurace > Administrátorské heslo: both password fields named.
    aktivuj()
    alt("k")
    klavesa(ord("a"))
    heslo = dialog("Tarvik - změna hesla")
    rovno([c.name for c in deti(heslo, "password text")], ["nové heslo", "nové heslo znovu"],
          "the password fields are named")
    zavri("Tarvik - změna hesla")
    rovno(hlaseni_panelu(), [], "no panel spoke while the dialogs were open")

    # Ended as the system ends it: a clean exit, no sanitizer report.
    prostredi.tarvik.send_signal(signal.SIGTERM)
    prostredi.tarvik.wait(20)
    prostredi.tarvik_log.seek(0)
    vypis = prostredi.tarvik_log.read()
    over(prostredi.tarvik.returncode == 0 and "Sanitizer" not in vypis and
         "runtime error" not in vypis, "the program ended cleanly")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    for nastroj in ("Xvfb", "dbus-daemon"):
        if not shutil.which(nastroj):
            preskoc(f"needs {nastroj}")
    if not os.access(LAUNCHER, os.X_OK):
        preskoc("needs at-spi2-core")
    if importlib.util.find_spec("pyatspi") is None:
        preskoc("needs python3-pyatspi")
    prostredi = Prostredi(*sys.argv[1:])
    try:
        prostredi.sbernice(prostredi.displej())
        kontrola(prostredi)
    except Selhani as s:
        print(f"FAILED: {s}")
        for nazev, log in (("program", "tarvik_log"), ("simulator", "sim_log")):
            if hasattr(prostredi, log):
                getattr(prostredi, log).seek(0)
                print(f"--- {nazev}:\n{getattr(prostredi, log).read()[-3000:]}")
        return 1
    finally:
        prostredi.konec()
    print("PASSED")
    return 0


if __name__ == "__main__":
    sys.exit(main())
