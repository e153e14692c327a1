#!/usr/bin/python3
"""What a screen reader hears from the real program over the accessibility bus (AT-SPI).

Starts a private X server (Xvfb), a session bus with the accessibility bus and its registry
(at-spi2-core), the controller simulator and the program itself, then acts as a screen reader
does, through pyatspi alone: it reads the names of the status panels, the switches, the number
boxes of the administrator's view and the fields of the tab and password dialogs, and it records
every name or text change of the status panels while a switch is switched and while the
administrator logs in. Keys and clicks go in through the registry, as an assistive tool sends
them.

Each concern is a test of its own, in the order an operator meets them, all on one running
program: a failure shows what is wrong and the tests after it still run.

Usage: tst_atspi.py TARVIK TARVIK_SIM
Exits 0 when every test passes, 1 when one does not, 77 (skipped) where no X server or no
accessibility bus can run here. Needs xvfb, dbus, at-spi2-core and python3-pyatspi."""

import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

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


class Preskoceno(Exception):
    """What this machine lacks to run the tests."""


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
            raise Preskoceno("Xvfb does not start here")
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
            raise Preskoceno("dbus-daemon does not start here")
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
            raise RuntimeError("the simulator did not start")
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


class Ctecka(unittest.TestCase):
    """The program as a screen reader meets it. The tests run in the order of their numbers, each
    leaving the program as the next one expects it (the main window in front)."""

    @classmethod
    def setUpClass(cls):
        cls.prostredi = p = Prostredi(*sys.argv[1:3])
        try:
            p.sbernice(p.displej())
            # Imported only now: the library finds the accessibility bus through the session bus.
            import pyatspi
            from gi.repository import GLib
            cls.pyatspi, cls.GLib = pyatspi, GLib
            cls.registr = pyatspi.Registry
            cls.kontext = GLib.MainContext.default()
            # Every change of a name or a text, with the name read when the event arrives, as a
            # screen reader reads it to announce the change.
            cls.udalosti = []

            def udalost(u):
                try:
                    cls.udalosti.append((u.source.path, u.type, u.source.name))
                except GLib.Error:
                    pass

            cls.registr.registerEventListener(udalost, "object:property-change:accessible-name",
                                              "object:text-changed")
            p.program()
            cls.app = cls.cekej(cls.aplikace, "the program on the accessibility bus")
            cls.okno = cls.cekej(lambda: next(iter(cls.deti(cls.app, "frame")), None),
                                 "the main window")
            radek = cls.cekej(lambda: next(iter(cls.deti(cls.okno, "status bar")), None),
                              "the status bar")
            cls.panely = cls.cekej(
                lambda: cls.deti(radek, "label") if radek.childCount == 5 else None,
                "five status panels")
            cls.cesty = {p.path: i + 1 for i, p in enumerate(cls.panely)}
            cls.cekej(lambda: "-> XS" in p.prijato_simulatorem(), "the first status reply")
            cls.cekej(lambda: cls.jmena_panelu()[3] == POVOLENA, "the reply handled", limit=5,
                      nutne=False)
            stranky = cls.cekej(lambda: pyatspi.findDescendant(
                cls.okno, lambda o: o.getRoleName() == "layered pane", True), "the tabs' pages")
            # The shown tab (the last one).
            cls.stranka = cls.cekej(lambda: next((s for s in cls.deti(stranky) if s.childCount),
                                                 None), "the shown tab's cells")
        except Preskoceno as proc:
            p.konec()
            raise unittest.SkipTest(str(proc))
        except BaseException:
            p.konec()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.prostredi.konec()

    @classmethod
    def cekej(cls, podminka, co, limit=20.0, nutne=True):
        """Pumps the bus's events until podminka holds and returns its value; on timeout fails,
        or returns None when it is not nutne (the check that follows tells what is wrong)."""
        konec = time.monotonic() + limit
        while True:
            while cls.kontext.iteration(False):
                pass
            try:
                vysledek = podminka()
            except cls.GLib.Error:
                vysledek = None
            if vysledek:
                return vysledek
            tarvik = cls.prostredi.tarvik
            if tarvik.poll() is not None:
                raise AssertionError(f"the program ended (code {tarvik.returncode}) "
                                     f"while waiting for {co}")
            if time.monotonic() > konec:
                if not nutne:
                    return None
                raise AssertionError(f"timed out waiting for {co}")
            time.sleep(0.02)

    @classmethod
    def aplikace(cls):
        for a in cls.registr.getDesktop(0):
            if a is not None and a.name == "Tarvik":
                return a
        return None

    @staticmethod
    def deti(objekt, role=None):
        return [c for c in objekt if c is not None and (role is None or c.getRoleName() == role)]

    @classmethod
    def jmena_panelu(cls):
        return [p.name for p in cls.panely]

    @classmethod
    def hlaseni_panelu(cls):
        """The panels' announcements so far, as (panel, event, name), and forgets them."""
        while cls.kontext.iteration(False):
            pass
        vysledek = [(cls.cesty[c], druh, jmeno) for c, druh, jmeno in cls.udalosti
                    if c in cls.cesty]
        cls.udalosti.clear()
        return vysledek

    def aktivuj(self):
        """A click on the version panel gives the main window the keyboard."""
        kde = self.panely[4].queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        self.registr.generateMouseEvent(kde.x + kde.width // 2, kde.y + kde.height // 2, "b1c")
        self.cekej(lambda: self.okno.getState().contains(self.pyatspi.STATE_ACTIVE),
                   "the main window active")

    def klavesa(self, symbol):
        self.registr.generateKeyboardEvent(symbol, None, self.pyatspi.KEY_SYM)

    def menu(self, nabidka, polozka):
        """The main window's menu by its access keys: Alt and the menu's letter, the item's."""
        self.aktivuj()
        self.registr.generateKeyboardEvent(8, None, self.pyatspi.KEY_LOCKMODIFIERS)  # Mod1: Alt
        self.klavesa(ord(nabidka))
        self.registr.generateKeyboardEvent(8, None, self.pyatspi.KEY_UNLOCKMODIFIERS)
        self.klavesa(ord(polozka))

    def dialog(self, titulek):
        return self.cekej(lambda: next((d for d in self.deti(self.app, "dialog")
                                        if d.name == titulek and
                                        d.getState().contains(self.pyatspi.STATE_ACTIVE)), None),
                          f"the dialog \"{titulek}\"")

    def zavri(self, titulek):
        self.klavesa(0xFF1B)  # Esc: storno
        self.cekej(lambda: all(d.name != titulek for d in self.deti(self.app, "dialog")),
                   f"the dialog \"{titulek}\" closed")

    def test_1_panely(self):
        self.assertEqual(self.jmena_panelu(),
                         ["režim: uživatelský mód", "sériový port: COM3", "očekávaná odpověď",
                          POVOLENA, "verze: ver.: 1.6 - 29.1.2006"],
                         "the status panels are named by what they show")
        self.hlaseni_panelu()

    def test_2_vypinace_a_zalozky(self):
        vypinace = self.deti(self.stranka, "check box")
        self.assertEqual([v.name for v in vypinace[:4]] + [vypinace[63].name],
                         ["Čerpadlo sever, stykač číslo 100", "Osvětlení haly, stykač číslo 5",
                          "---, bez stykače", "---, stykač číslo 0", "Vrata jih, stykač číslo 127"],
                         "the switches are named by their contactor's name and number")
        # The row of tabs: a hidden tab says so, rather than by a caption no one sees.
        karty = self.cekej(lambda: self.pyatspi.findDescendant(
            self.okno, lambda o: o.getRoleName() == "page tab list", True), "the row of tabs")
        self.assertEqual([k.name for k in self.deti(karty, "page tab")],
                         ["Hala A", "Hala B", "Sklad", "skrytá záložka 4", "Venkovní"],
                         "the tabs are named by their captions, the hidden one as hidden")

    def test_3_prepnuti(self):
        """A blind operator switches contactor 100 on: the lock and the awaited reply are
        announced, each change once, and the controller is told."""
        self.hlaseni_panelu()
        akce = self.deti(self.stranka, "check box")[0].queryAction()
        akce.doAction(next(i for i in range(akce.nActions)
                           if akce.getName(i) in ("Toggle", "Press")))
        prijato = self.prostredi.prijato_simulatorem
        # Done when the status query after the acknowledgement has been answered and handled.
        self.cekej(lambda: "<- XA" in prijato().partition("<- XW100=1")[2] and
                   self.jmena_panelu()[2:4] == ["očekávaná odpověď", POVOLENA],
                   "the switching and the status reply after it")
        time.sleep(0.2)  # nothing more comes
        hlaseni = self.hlaseni_panelu()
        self.assertIn("<- XW100=1\\r\\n", prijato(), "the controller got XW100=1")
        for panel, pocet, prvni, posledni in [
                (4, 4, ZAKAZANA, POVOLENA),
                (3, 3, "očekávaná odpověď: XR100=1", "očekávaná odpověď")]:
            with self.subTest(panel=panel):
                jeho = [(druh, jmeno) for p, druh, jmeno in hlaseni if p == panel]
                self.assertEqual([druh for druh, _ in jeho],
                                 ["object:property-change:accessible-name"] * pocet,
                                 f"each of its {pocet} changes announced once")
                self.assertEqual((jeho[0][1], jeho[-1][1]), (prvni, posledni),
                                 "the first and last announcements")
        self.assertEqual(sorted({p for p, _, _ in hlaseni}), [3, 4],
                         "the other panels stay silent")

    def test_4_prihlaseni(self):
        """Režim > Administrátorský režim, the password, Enter."""
        self.hlaseni_panelu()
        self.menu("r", "a")
        self.dialog("Tarvik - login")
        self.registr.generateKeyboardEvent(0, HESLO, self.pyatspi.KEY_STRING)
        self.klavesa(0xFF0D)
        self.cekej(lambda: self.jmena_panelu()[0] == "režim: administrátorský mód" and
                   not self.deti(self.app, "dialog"), "the administrator's mode")
        time.sleep(0.2)
        self.assertEqual(self.hlaseni_panelu(),
                         [(4, "object:property-change:accessible-name", ZAKAZANA),
                          (1, "object:property-change:accessible-name",
                           "režim: administrátorský mód")],
                         "the login announces the lock and the mode, once each")

    def test_5_cisla_stykacu(self):
        """The number boxes of the shown tab (cells 256 to 319), each named by its cell and tab."""
        cisla = self.cekej(lambda: self.deti(self.stranka, "text")
                           if len(self.deti(self.stranka, "text")) == 64 else None,
                           "the number boxes")
        self.assertEqual([c.name for c in cisla],
                         [f"číslo stykače políčka {i}, záložka 5" for i in range(256, 320)])
        self.assertEqual([cisla[i].queryText().getText(0, -1) for i in (0, 1, 2, 3, 63)],
                         ["100", "5", "---", "0", "127"])

    def test_6_dialogy(self):
        """Konfigurace > Záložky and > Administrátorské heslo: each field says what it is for;
        no panel speaks meanwhile."""
        self.hlaseni_panelu()
        self.menu("k", "z")
        zalozky = self.dialog("Tarvik - úprava záložek")
        with self.subTest("tabs"):
            self.assertEqual([(c.name, c.getState().contains(self.pyatspi.STATE_CHECKED))
                              for c in self.deti(zalozky, "check box")],
                             [(f"aktivuj záložku {i}", i != 4) for i in range(1, 6)])
            self.assertEqual([(c.name, c.queryText().getText(0, -1))
                              for c in self.deti(zalozky, "text")],
                             [("název 1. záložky", "Hala A"), ("název 2. záložky", "Hala B"),
                              ("název 3. záložky", "Sklad"), ("název 4. záložky", "Kotelna"),
                              ("název 5. záložky", "Venkovní")])
        self.zavri("Tarvik - úprava záložek")
        self.menu("k", "a")
        heslo = self.dialog("Tarvik - změna hesla")
        with self.subTest("password"):
            self.assertEqual([c.name for c in self.deti(heslo, "password text")],
                             ["nové heslo", "nové heslo znovu"])
        self.zavri("Tarvik - změna hesla")
        self.assertEqual(self.hlaseni_panelu(), [], "no panel spoke while the dialogs were open")

    def test_7_konec(self):
        """Ended as the system ends it: a clean exit, no sanitizer report."""
        p = self.prostredi
        p.tarvik.send_signal(signal.SIGTERM)
        p.tarvik.wait(20)
        p.tarvik_log.seek(0)
        vypis = p.tarvik_log.read()
        self.assertEqual(p.tarvik.returncode, 0, vypis[-3000:])
        self.assertNotIn("Sanitizer", vypis)
        self.assertNotIn("runtime error", vypis)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    chybi = [n for n in ("Xvfb", "dbus-daemon") if not shutil.which(n)]
    chybi += [] if os.access(LAUNCHER, os.X_OK) else ["at-spi2-core"]
    chybi += [] if importlib.util.find_spec("pyatspi") else ["python3-pyatspi"]
    if chybi:
        print(f"SKIPPED: needs {', '.join(chybi)}")
        return PRESKOCENO
    vysledek = unittest.TextTestRunner(verbosity=2).run(
        unittest.defaultTestLoader.loadTestsFromTestCase(Ctecka))
    p = getattr(Ctecka, "prostredi", None)
    if not vysledek.wasSuccessful() and hasattr(p, "tarvik_log"):
        for nazev, log in (("program", p.tarvik_log), ("simulator", p.sim_log)):
            log.seek(0)
            print(f"--- {nazev}:\n{log.read()[-3000:]}")
    if vysledek.wasSuccessful() and vysledek.skipped:
        return PRESKOCENO
    return 0 if vysledek.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
