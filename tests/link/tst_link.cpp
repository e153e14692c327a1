// The link: its receiver and message boxes against a recording window, then the whole line against
// the controller simulator through a real serial port on a pseudo-terminal.

#include "link/link.h"
#include "platform/devices.h"
#include "platform/program_folder.h"
#include "platform/serial_access.h"
#include "support/link_probe.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"
#include "tarvik-sim/sim_fixture.h"

#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tarvik;
using tarvik::test::radek;
using namespace Qt::StringLiterals;
using sim::porucha;
using sim::testovaci_simulator;

namespace {

const QByteArray s_paket = "XS00000100" + QByteArray(120, '0') + "\r\n"; // contactor 5 on
const QString neznamy_typ = u"Neznámý typ paketu."_s, r_paket = u"Je očekáván R paket."_s,
              s_paket_chyba = u"Je očekáván S paket. Nebo špatný S-paket."_s,
              timeout = u"Timeout. Vypršel čas odezvy."_s;

// The contactors that are on, as "1,2,5".
QString zapnute(const stavy_stykacu& stavy) {
    QStringList k;
    for (int i = 0; i < pocet_stykacu; ++i)
        if (stavy[i])
            k << QString::number(i);
    return k.join(u',');
}

// A reported packet: the states of contactors 1 and 2 no longer vouched for, the message, then a
// new status query.
QStringList chyba(const QString& detail) {
    return {"nezname 1,2", "!Chyba komunikace. Chyba - " + detail, "zakaz", "panel3=XS"};
}

// The link and the window it shows itself in, which records in order what the link asks of it:
// "zakaz", "povol", "panel3=XS", "zobraz 1,5", and each message box, answered and recorded ("!" an
// error box, "?" a line error's OK/Cancel box). A controller simulator is on COM3 of a program
// folder, contactors 1 and 2 on.
struct sestava : okno_linky {
    test::zapisnik_zprav zpravy;
    QStringList zaznam;
    linka l;
    test_linky t{l};
    std::function<void()> behem_zpravy; // inside every box, while the operator reads it
    bool zamceno = false;
    test::docasna_slozka slozka;
    testovaci_simulator sim{{.slozka = slozka.path(), .port = 3, .stavy = "011"}};

    sestava() : l(*this) {
        zpravy.behem_zpravy = [this](const zprava& z) {
            const bool chybova =
                z.titulek == u"Tarvik - chyba" && z.tlacitka == tlacitka_zpravy::ok;
            const bool linkova = z.titulek == u"Cancel - Konec, Ok - ignoruj chybu" &&
                                 z.tlacitka == tlacitka_zpravy::ok_storno &&
                                 z.ikona == ikona_zpravy::zadna &&
                                 z.text_ok + z.text_storno == u"OKCancel";
            zaznam << (chybova ? "!" : linkova ? "?" : "box of a wrong form: ") + z.text;
            if (behem_zpravy)
                behem_zpravy();
        };
    }
    void zakaz_buttony() override {
        zaznam << u"zakaz"_s;
        zamceno = true;
    }
    void povol_buttony() override {
        zaznam << u"povol"_s;
        zamceno = false;
    }
    void nastav_panel(int panel, const QString& text) override {
        zaznam << u"panel%1=%2"_s.arg(panel).arg(text);
    }
    void zobraz_stav_stykacu(const stavy_stykacu& stav, bool znamy) override {
        // Set while the status is still loading, so that the cells' changes send no commands;
        // the last known states shown as unknown when the link can no longer vouch for them.
        if (!znamy)
            zaznam << "nezname " + zapnute(stav);
        else
            zaznam << (l.nacitani_statusu() ? "zobraz " : "loaded, zobraz ") + zapnute(stav);
    }
    QWidget* rodic_zprav() override { return nullptr; }

    // The port open and the first status applied, as at start-up (until nothing is awaited and
    // the switches are free); nothing recorded yet.
    bool spust() {
        if (!sim.bezi() || !l.otevri_port(3))
            return false;
        l.nacti_status();
        const bool klid = testovaci_simulator::cekej(
            [this] { return t.ocekavana_odpoved().isEmpty() && !zamceno; });
        zaznam.clear();
        sim->vymaz_zaznam();
        return klid;
    }
    // The link as one text: its state, the switches' lock, the watchdog.
    QString stav() const {
        static const QStringList stavy{"closed", "idle", "awaiting R", "awaiting S", "box"};
        return QStringList{stavy[int(t.stav())], zamceno ? "zamceno" : "volno",
                           t.watchdog_timer().isActive() ? "watchdog" : "-"}
            .join(u'|');
    }
};

} // namespace

class tst_link : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The link in each state meeting each event, rows "<state>/<event>". The states, from a line
    // open with contactors 1 and 2 known to be on: closed (the port dialog found no device), idle,
    // awaiting R (switch 5 sent), awaiting S (a query sent), and a box open while R is awaited: a
    // line error's ("line box"), a timeout's ("error box"), the device's hanging up ("lost box");
    // the event comes while it is open, and it is answered OK unless the event is Cancel; lost:
    // the device went, could not be opened again after OK, and is back. The test speaks for the
    // controller. "%s" stands for the program's folder, "%d" for the device.
    // Columns: the bytes written to the line, what the window recorded ("in box:" the link while
    // the box was open, after the event), the link afterwards: state, switches, watchdog.
    void stav_a_udalost_data() {
        test::sloupce<QByteArray, QStringList, QString>({"na_lince", "zaznam", "po"});
        const QByteArray xa = "XA\r\n", xw = "XW042=1\r\n", ticho;
        const QString ceka_r = u"awaiting R|zamceno|watchdog"_s,
                      ceka_s = u"awaiting S|zamceno|watchdog"_s, klid = u"idle|volno|-"_s,
                      zavreno = u"closed|volno|-"_s;
        const QStringList dotaz{"zakaz", "panel3=XS"}, stav{"panel3=", "zobraz 5", "povol"},
            v_boxu{"in box: box|zamceno|watchdog"}, nic, linka{"?Write Error"},
            nezname{"nezname 1,2"}, zavren{"!" + zprava_port_zavren};
        radek("closed/poll", ticho, nic, zavreno);
        radek("closed/watchdog", ticho, nic, zavreno);
        radek("closed/request", ticho, zavren, zavreno);
        radek("closed/switch", ticho, zavren + nezname, zavreno);
        radek("idle/poll", xa, dotaz, ceka_s);
        radek("idle/watchdog", ticho, nic, klid);
        radek("idle/R", xa, chyba(r_paket), ceka_s);
        radek("idle/S", xa, chyba(s_paket_chyba), ceka_s);
        radek("idle/noise", xa, chyba(neznamy_typ), ceka_s);
        radek("idle/request", xa, dotaz, ceka_s);
        radek("idle/switch", xw, QStringList{"zakaz", "panel3=XR042=1"}, ceka_r);
        radek("idle/line error", ticho, linka, klid);
        radek("idle/every port error", ticho,
              QStringList{"?Write Error", "?Serial Device Lost", "?Serial Device Lost",
                          "?Unknown error or event", "?Unknown error or event"},
              klid);
        radek("awaiting R/poll", ticho, nic, ceka_r);
        radek("awaiting R/watchdog early", ticho, nic, ceka_r);
        radek("awaiting R/watchdog", xa, chyba(timeout), ceka_s);
        radek("awaiting R/R", xa, QStringList{"povol"} + dotaz, ceka_s);
        radek("awaiting R/R and S at once", xa, QStringList{"povol"} + dotaz + stav, klid);
        radek("awaiting R/wrong R", xa, chyba(r_paket), ceka_s);
        radek("awaiting R/S", xa, chyba(s_paket_chyba), ceka_s);
        radek("awaiting R/line error", ticho, nezname + linka, ceka_r);
        radek("awaiting S/poll", ticho, nic, ceka_s);
        radek("awaiting S/watchdog", xa, chyba(timeout), ceka_s);
        radek("awaiting S/R", xa, chyba(r_paket), ceka_s);
        radek("awaiting S/S", ticho, stav, klid);
        radek("awaiting S/short S", xa, chyba(s_paket_chyba), ceka_s);
        radek("awaiting S/noise", xa, chyba(neznamy_typ), ceka_s);
        radek("awaiting S/line error", ticho, nezname + linka, ceka_s);
        // What arrives while a line error's box is open is handled once it has been closed.
        radek("line box/OK", ticho, v_boxu, ceka_r);
        radek("line box/Cancel", ticho, v_boxu + QStringList{"panel2=", "panel3=", "povol"},
              zavreno);
        radek("line box/poll", ticho, v_boxu, ceka_r);
        radek("line box/watchdog", ticho, v_boxu, ceka_r);
        radek("line box/R", xa, v_boxu + QStringList{"povol"} + dotaz, ceka_s);
        radek("line box/S", xa, v_boxu + chyba(s_paket_chyba).mid(1), ceka_s);
        radek("line box/line error", ticho, v_boxu + linka, ceka_r);
        // What arrives while a timeout's box is open belongs to the timeout: one query follows.
        radek("error box/poll", xa, v_boxu + dotaz, ceka_s);
        radek("error box/watchdog", xa, v_boxu + dotaz, ceka_s);
        radek("error box/R", xa, v_boxu + dotaz, ceka_s);
        radek("error box/line error", xa, v_boxu + dotaz + linka, ceka_s);
        const QString neotevren =
            u"!Chyba při otevírání sériového portu.\n\nCOM3 je odkaz %s/dosdevices/com3 na %d; "
            u"takové zařízení v systému není nebo neodpovídá. Připojte převodník, nebo ať správce "
            u"nasměruje odkaz na zařízení řídicí jednotky:\nsudo ln -sfn ADAPTER "
            u"%s/dosdevices/com3"_s;
        const QStringList znovu{"panel2=COM3", "zakaz"};
        radek("lost box/OK", ticho, v_boxu + QStringList{"panel2=", "panel3=", "povol", neotevren},
              zavreno);
        radek("lost box/device back", xa, v_boxu + znovu + QStringList{"panel3=XS"}, ceka_s);
        radek("lost/poll", ticho, nic, zavreno);
        radek("lost/request", xa, znovu + QStringList{"panel3=XS"}, ceka_s);
        radek("lost/switch", xw, znovu + QStringList{"panel3=XR042=1"}, ceka_r);
    }

    void stav_a_udalost() {
        auto [na_lince, zaznam, po] = test::hodnoty<QByteArray, QStringList, QString>();
        const QString stav = QString::fromLatin1(QTest::currentDataTag()).section(u'/', 0, 0),
                      udalost = QString::fromLatin1(QTest::currentDataTag()).section(u'/', 1);
        sestava s;
        QVERIFY(s.spust());
        // A status query every 60 s while the line is idle, 10 s for a reply.
        QCOMPARE(s.t.status_timer().interval(), 60000);
        QCOMPARE(s.t.watchdog_timer().interval(), 10000);
        s.sim->nastav_rezim(porucha::mlci);
        const QString zarizeni = s.sim->cesta_zarizeni();
        qint64 zapsano = 0;
        connect(&s.t.port(), &seriovy_port::zapsano, this, [&](qint64 n) { zapsano += n; });
        const QMap<QString, std::function<void()>> udalosti{
            {"poll", [&] { s.t.tik_statusu(); }},
            {"watchdog early", [&] { s.t.tik_watchdogu(); }},
            {"watchdog", [&] { s.t.vyprs_odezva(); }},
            {"request", [&] { s.l.aktualizuj_stav(); }},
            {"switch", [&] { s.l.posli_prikaz(42, true); }},
            {"line error", [&] { s.t.chyba_linky(QSerialPort::WriteError); }},
            {"every port error",
             [&] { // in the order of their codes
                 for (int e = QSerialPort::NoError; e <= QSerialPort::NotOpenError; ++e)
                     s.t.chyba_linky(QSerialPort::SerialPortError(e));
             }},
            {"device back", [&] { QVERIFY(s.sim->spust()); }},
            {"R", [&] { s.t.prijmi("XR005=1\r\n"); }},
            {"R and S at once", [&] { s.t.prijmi("XR005=1\r\n" + s_paket); }},
            {"wrong R", [&] { s.t.prijmi("XR005=0\r\n"); }},
            {"S", [&] { s.t.prijmi(s_paket); }},
            {"short S", [&] { s.t.prijmi("XS0101\r\n"); }},
            {"noise", [&] { s.t.prijmi("\x01\xffnoise\r\n"); }}};
        const auto pust = [&] {
            s.zaznam.clear();
            s.sim->vymaz_zaznam();
            zapsano = 0;
            udalosti.value(udalost, [] {})();
        };
        if (stav == u"closed")
            QVERIFY(!s.l.prepni_port(4));
        else if (stav == u"awaiting S")
            s.l.nacti_status();
        else if (stav != u"idle")
            s.l.posli_prikaz(5, true);
        QVERIFY(s.sim.cekej_na_klid(zapsano)); // what went before is not the event's
        bool prvni = true;
        const bool box = stav.endsWith(u"box");
        s.zpravy.odpovedi << (udalost == u"Cancel" ? odpoved_zpravy::storno : odpoved_zpravy::ok);
        s.behem_zpravy = [&] {
            if (box && std::exchange(prvni, false)) {
                pust();
                s.zaznam << "in box: " + s.stav();
            }
        };
        if (stav == u"line box")
            s.t.chyba_linky(QSerialPort::WriteError);
        else if (stav == u"error box")
            s.t.vyprs_odezva();
        else if (stav.startsWith(u"lost"))
            s.sim->zaves();
        QVERIFY(testovaci_simulator::cekej(
            [&] { return stav == u"lost" ? s.zpravy.zpravy.size() == 2 : !box || !prvni; }));
        if (stav == u"lost")
            QVERIFY(s.sim->spust());
        if (!box)
            pust();
        QVERIFY(s.sim.cekej_na_klid(zapsano));
        QCOMPARE(s.sim->prijato(), na_lince);
        // The adapter named is one that the machine has, or /dev/ttyUSB0.
        s.zaznam.replaceInStrings(QRegularExpression(u"ln -sfn /dev/tty(USB|ACM)\\d+"_s),
                                  u"ln -sfn ADAPTER"_s);
        QCOMPARE(
            s.zaznam,
            zaznam.replaceInStrings(u"%s"_s, s.slozka.path()).replaceInStrings(u"%d"_s, zarizeni));
        QCOMPARE(s.stav(), po);
    }

    // The line as the controller expects it, as the system calls of a program opening it show: 9600
    // baud, 8 data bits, no parity, one stop bit, no flow control. (A pseudo-terminal keeps neither
    // parity nor data bits: only the call tells.)
    void nastaveni_linky() {
        const QString strace = QStandardPaths::findExecutable(u"strace"_s);
        if (strace.isEmpty())
            QSKIP("needs strace");
        sestava s;
        QProcess program;
        program.setEnvironment(QProcess::systemEnvironment()
                               << "TARVIK_TEST_OTEVRI=" + s.slozka.path()
                               << "ASAN_OPTIONS=detect_leaks=0");
        program.start(strace, {"-f", "-qq", "-v", "-e", "trace=ioctl", "-o",
                               s.slozka.file("volani"), QCoreApplication::applicationFilePath()});
        QVERIFY(program.waitForFinished(20000) && program.exitCode() == 10);
        // Each setting is made by a call of its own, which the next one must not undo.
        static const QRegularExpression volani(
            uR"re(TCSETS[WF]?, \{c_iflag=([^,]*), .*?c_cflag=([^,]*),)re"_s),
            spatne(u"\\|(PARENB|CSTOPB|CRTSCTS|IXON|IXOFF)\\|"_s);
        int pocet = 0;
        for (const auto& m : volani.globalMatch(QString::fromLatin1(s.slozka.read("volani")))) {
            const QString volby = '|' + m.captured(1) + '|' + m.captured(2) + '|';
            QVERIFY2(volby.contains(u"|B9600|"_s) && volby.contains(u"|CS8|"_s) &&
                         !volby.contains(spatne),
                     qPrintable(volby));
            ++pocet;
        }
        QVERIFY(pocet > 0);
    }

    // An operator's program (this test run as "nobody", with the device's group dialout) opening
    // COM3, against what lies at the device's lock path (in /run/lock, or "@/tmp": in /tmp) and
    // who put it there ("daemon" can use no device). Columns: the outcome, the line after the
    // message ("%s" the program's folder, "%d" the device, "%z" the lock, "%p" the pid it names),
    // whether what was there is there afterwards (the program's own lock gone with it). "-" for no
    // access (no dialout); "primo": a program that honours no lock opens the device itself;
    // "plna": a lock folder with no room left. The package test tries a FIFO, a link, pid 1 and
    // ended processes' locks, an operator's own among them, on the installed program.
    void zamek_portu_data() {
        test::sloupce<QString, QString, int, QString, bool>(
            {"zamek", "vlastnik", "vysledek", "rada", "zustava"});
        const int ok = int(vysledek_otevreni::ok), obsazen = int(vysledek_otevreni::obsazen);
        const QString kde = u"COM3 je odkaz %s/dosdevices/com3 na %d"_s;
        const QString drzi = kde + u"; drží ho proces %p (%1) účtu root zámkem %z. Ukončete ten "
                                   u"program; nejde-li to, požádejte správce o odstranění %z "
                                   u"(vlastník root)."_s;
        radek("nothing", "", "nobody", ok, "", false);
        radek("device node", "zarizeni", "root", ok, "", true);
        radek("folder", "slozka", "daemon", ok, "", true);
        radek("1 MiB of garbage, root's", "smeti", "root", ok, "", true);
        radek("another program's live lock in /tmp", "bezi@/tmp", "root", obsazen,
              drzi.arg("sleep"), true);
        radek("this program's", "nas", "root", obsazen, drzi.arg("tst_link"), true);
        radek("this program's, opened without a lock", "nas", "primo", obsazen, "", true);
        radek("exclusive use, no lock", "vyhradne", "root", obsazen,
              kde + u"; má ho otevřený jiný program. Ukončete ho."_s, false);
        radek("no access", "", "-", int(vysledek_otevreni::chyba),
              kde + u"; účet nobody k němu nemá přístup. Správce ho přidá do skupiny dialout "
                    u"(sudo adduser nobody dialout), platí od dalšího přihlášení."_s,
              false);
        radek("full lock folder", "plna", "nobody", int(vysledek_otevreni::chyba),
              kde + u"; ve složce /run/lock není místo pro zámek portu. Ať správce odstraní, co ji "
                    u"zaplnilo (ls -lS /run/lock)."_s,
              false);
    }

    void zamek_portu() {
        auto [zamek, vlastnik, vysledek, rada, zustava] =
            test::hodnoty<QString, QString, int, QString, bool>();
        const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
        const group* dialout = ::getgrnam("dialout");
        if (::geteuid() != 0 || setpriv.isEmpty() || !dialout)
            QSKIP("needs root, setpriv and the group dialout to run the program as an operator");
        sestava s;
        QVERIFY(::chmod(QFile::encodeName(s.slozka.path()).constData(), 0705) == 0);
        const QString zarizeni = s.sim->cesta_zarizeni();
        const QByteArray z = QFile::encodeName(zarizeni);
        QVERIFY(::chown(z.constData(), 0, dialout->gr_gid) == 0 &&
                ::chmod(z.constData(), 0660) == 0);
        const QString slozka = zamek.contains(u'@') ? zamek.section(u'@', 1) : u"/run/lock"_s;
        zamek = zamek.section(u'@', 0, 0);
        const QString cesta = slozka + "/LCK.." + zarizeni.mid(5).replace(u'/', u'_');
        const QByteArray c = QFile::encodeName(cesta);
        ::unlink(c.constData());
        QProcess jiny_program;
        qint64 pid = 0;
        if (zamek == u"bezi") {
            jiny_program.start(u"sleep"_s, {u"1000"_s});
            QVERIFY(jiny_program.waitForStarted());
            pid = jiny_program.processId();
        }
        if (zamek == u"zarizeni")
            QVERIFY(::mknod(c.constData(), S_IFCHR | 0644, ::makedev(1, 5)) == 0);
        else if (zamek == u"slozka")
            QVERIFY(::mkdir(c.constData(), 0755) == 0);
        else if (zamek == u"smeti")
            s.slozka.write(cesta, QByteArray(1 << 20, 'x'));
        else if (pid) // the HDB format of terminal programs
            s.slozka.write(cesta, QByteArray::number(pid).rightJustified(10) + '\n');
        if (zamek == u"nas") {
            QVERIFY(s.l.otevri_port(3));
            pid = ::getpid();
            // QSerialPort anywhere (as root here, whom the device's exclusive use does not stop)
            // takes a lock older than half a minute for stale, and removes it if it can.
            const timespec stari[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60, 0}};
            QVERIFY(::utimensat(AT_FDCWD, c.constData(), stari, AT_SYMLINK_NOFOLLOW) == 0);
            QSerialPort qt(zarizeni);
            QVERIFY(!qt.open(QIODevice::ReadWrite));
        }
        struct stat pred {};
        if (::lstat(c.constData(), &pred) == 0 && zamek != u"nas") {
            const passwd* ucet = ::getpwnam(vlastnik == u"daemon" ? "daemon" : "nobody");
            QVERIFY(vlastnik == u"root" ||
                    ::lchown(c.constData(), ucet->pw_uid, ucet->pw_gid) == 0);
        }
        const int vyhradne = zamek == u"vyhradne" ? ::open(z.constData(), O_RDWR | O_NOCTTY) : -1;
        QVERIFY(zamek != u"vyhradne" || ::ioctl(vyhradne, TIOCEXCL) == 0);

        // For the program only; no step of it may block: a hang fails here.
        qputenv("TARVIK_TEST_OTEVRI", QFile::encodeName(s.slozka.path()));
        qputenv("TARVIK_TEST_PRIMO", vlastnik == u"primo" ? "1" : "");
        QProcess program;
        QStringList prikaz{setpriv, "--reuid=nobody", "--regid=nogroup",
                           vlastnik == u"-" ? "--clear-groups" : "--groups=dialout",
                           QCoreApplication::applicationFilePath()};
        if (zamek == u"plna") // a /run/lock of its own for the program: one page, full
            prikaz = QStringList{"unshare",
                                 "--mount",
                                 "sh",
                                 "-c",
                                 "mount -t tmpfs -o size=4k tmpfs /run/lock && "
                                 "head -c 4096 /dev/zero >/run/lock/x && exec \"$@\"",
                                 "sh"} +
                     prikaz;
        program.start(prikaz.takeFirst(), prikaz);
        const bool skoncil = program.waitForFinished(20000);
        if (vyhradne >= 0)
            ::close(vyhradne);
        struct stat po {};
        const bool je = ::lstat(c.constData(), &po) == 0;
        if (::unlink(c.constData()) != 0)
            ::rmdir(c.constData());
        QVERIFY2(skoncil, "the program is stuck");
        QCOMPARE(program.exitCode(), 10 + vysledek);
        rada.replace(u"%s"_s, s.slozka.path())
            .replace(u"%d"_s, zarizeni)
            .replace(u"%z"_s, cesta)
            .replace(u"%p"_s, QString::number(pid));
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()), rada);
        QCOMPARE(je, zustava);
        QVERIFY(!je || (po.st_ino == pred.st_ino && po.st_mode == pred.st_mode));
    }

    // The program itself, ended by the system or by losing its display: the port is closed as on a
    // normal close, and no lock file is left for the next operator. A signal while a start-up box
    // is up ends the program too, rather than only the box.
    void konec_bez_zamku_data() {
        QTest::addColumn<int>("signal"); // 0: the display server goes away
        radek("SIGTERM", int(SIGTERM));
        radek("SIGHUP", int(SIGHUP));
        radek("SIGINT", int(SIGINT));
        radek("SIGQUIT", int(SIGQUIT));
        radek("display lost", 0);
        radek("SIGTERM at the first start's box", -int(SIGTERM));
    }

    void konec_bez_zamku() {
        QFETCH(int, signal);
        const bool pri_startu = signal < 0; // no configuration: the first start's box is up
        signal = qAbs(signal);
        const QString program = qEnvironmentVariable("TARVIK_BIN_DIR") + u"/tarvik"_s;
        const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (!QFile::exists(program) || (signal == 0 && xvfb.isEmpty()))
            QSKIP("needs the program built and Xvfb");
        QProcess displej, tarvik;
        if (signal == 0) {
            const QString cislo = QString::number(200 + ::getpid() % 500);
            displej.start(xvfb, {":" + cislo, "-nolisten", "tcp", "-screen", "0", "800x600x24"});
            QVERIFY(testovaci_simulator::cekej(
                [&] { return QFile::exists("/tmp/.X11-unix/X" + cislo); }));
            tarvik.setEnvironment(QProcess::systemEnvironment() << "QT_QPA_PLATFORM=xcb"
                                                                << "DISPLAY=:" + cislo);
        }
        sestava s;
        if (!pri_startu)
            s.slozka.write(u"tarvik.ini"_s, "[system]\r\ncom=3\r\n");
        else // the default file's COM1 leads to the controller too
            QVERIFY(QFile::link(s.sim->cesta_zarizeni(), s.slozka.file(u"dosdevices/com1"_s)));
        const QString kopie = s.slozka.file(u"tarvik"_s);
        QVERIFY(QFile::copy(program, kopie));
        const QString zamek =
            "/run/lock/LCK.." + s.sim->cesta_zarizeni().mid(5).replace(u'/', u'_');
        tarvik.start(kopie, QStringList());
        // At start-up: once the program runs (not the test's fork before it) and handles the signal
        // itself (its mask of caught signals says so).
        const auto zachytava = [&] {
            const QString proces = u"/proc/%1/"_s.arg(tarvik.processId());
            if (QFileInfo(proces + u"exe"_s).canonicalFilePath() !=
                QFileInfo(kopie).canonicalFilePath())
                return false;
            QFile stav(proces + u"status"_s);
            const QByteArray text = stav.open(QIODevice::ReadOnly) ? stav.readAll() : QByteArray();
            const qsizetype i = text.indexOf("SigCgt:");
            return i >= 0 &&
                   (text.mid(i + 7, 17).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
        };
        QVERIFY(testovaci_simulator::cekej(
            [&] { return pri_startu ? zachytava() : s.sim->prijato().contains("XA\r\n"); }, 30000));
        QVERIFY(pri_startu || QFile::exists(zamek));
        signal ? void(::kill(pid_t(tarvik.processId()), signal)) : displej.kill();
        QVERIFY(tarvik.waitForFinished(20000));
        QCOMPARE(tarvik.exitStatus(), QProcess::NormalExit);
        QVERIFY(signal == 0 || tarvik.exitCode() == 0);
        QVERIFY(!QFile::exists(zamek));
    }
};

// Run as an operator by zamek_portu: opens COM3 of the folder given, prints the line that would
// follow the message, and exits with 10 plus the outcome. With TARVIK_TEST_PRIMO set it opens the
// device itself instead, as a program that honours no lock (busy: EBUSY, the device's exclusive
// use).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("TARVIK_TEST_OTEVRI")) {
        QCoreApplication aplikace(argc, argv);
        nastav_slozku_programu(qEnvironmentVariable("TARVIK_TEST_OTEVRI"));
        if (!qEnvironmentVariableIsEmpty("TARVIK_TEST_PRIMO"))
            return 10 + int(chyba_otevreni_zarizeni(cesta_serioveho_portu(3)) == EBUSY
                                ? vysledek_otevreni::obsazen
                                : vysledek_otevreni::chyba);
        seriovy_port port;
        const vysledek_otevreni v = port.otevri(3);
        std::fputs(port.rada().toUtf8().constData(), stdout);
        return 10 + int(v);
    }
    QApplication aplikace(argc, argv);
    tst_link test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_link.moc"
