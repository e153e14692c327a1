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
using namespace std::chrono_literals;
using sim::porucha;
using sim::testovaci_simulator;

namespace {

const QByteArray s_paket = "XS00000100" + QByteArray(120, '0') + "\r\n"; // contactor 5 on
const QString neznamy_typ = u"Neznámý typ paketu."_s, r_paket = u"Je očekáván R paket."_s,
              s_paket_chyba = u"Je očekáván S paket. Nebo špatný S-paket."_s,
              timeout = u"Timeout. Vypršel čas odezvy."_s;
// A reply time for the cases that wait for a silent line.
constexpr auto kratka_odezva = 500ms;

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
    bool odemceno = false; // a reply was awaited with the switches free while the loop ran
    test::docasna_slozka slozka;
    testovaci_simulator sim{{.slozka = slozka.path(), .port = 3, .stavy = "011"}};

    explicit sestava(std::chrono::milliseconds odezva = linka::cas_odezvy) : l(*this, odezva) {
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
    void zakaz_buttony() override { zaznam << u"zakaz"_s; }
    void povol_buttony() override { zaznam << u"povol"_s; }
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

    // The port open and the first status applied, as at start-up; nothing recorded yet.
    bool spust() {
        if (!sim.bezi() || !l.otevri_port(3))
            return false;
        l.nacti_status();
        const bool klid = cekej_na_klid();
        zaznam.clear();
        sim->vymaz_zaznam();
        return klid;
    }
    bool zamceno() const { return zaznam.lastIndexOf("zakaz") > zaznam.lastIndexOf("povol"); }
    // Until nothing is awaited and the switches are free.
    bool cekej_na_klid() {
        return testovaci_simulator::cekej([this] {
            odemceno |= !t.ocekavana_odpoved().isEmpty() && !zamceno();
            return t.ocekavana_odpoved().isEmpty() && !zamceno();
        });
    }
    // The link as one text: the reply awaited, the lock, the watchdog, the port, the states.
    QString stav() {
        return QStringList{text_odpovedi(t.ocekavana_odpoved()), zamceno() ? "zamceno" : "volno",
                           t.watchdog_timer().isActive() ? "watchdog" : "-",
                           t.port_otevren() ? "otevren" : "zavren", zapnute(t.stav_stykacu())}
            .join(u'|');
    }
};

// The lock file QSerialPort takes for a device.
QString zamek_linky(const QString& zarizeni) {
    return "/run/lock/LCK.." + zarizeni.mid(5).replace(u'/', u'_');
}

} // namespace

class tst_link : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // How bytes become packets and packets reactions. The checks of single packets against what is
    // awaited are the packet fuzzer's (fuzz/packet_fuzz.cpp), the framing rules the receiver's.
    // Columns: "XR005=1" awaited (else a status reply), the pieces read, what the window recorded.
    // After a reported packet there is one query.
    void prijem_data() {
        test::sloupce<bool, QByteArrayList, QStringList>({"prepnuti", "kusy", "zaznam"});
        using L = QByteArrayList;
        const QStringList potvrzeno{"povol", "zakaz", "panel3=XS"};
        const QStringList stav{"panel3=", "zobraz 5", "povol"};
        radek("noise, split ack", true, L{"\x01\xffnoise\rXR0", "05=", "1\r\n"}, potvrzeno);
        radek("two packets in one batch", true, L{"XR005=1\r\n" + s_paket}, potvrzeno + stav);
        radek("lone line feed", false, L{"\n"}, chyba(neznamy_typ));
        // An overlong line is cut and reported once; its rest is dropped.
        radek("overlong line, then the reply", false,
              L{"X" + QByteArray(1100, 'a'), "aaa" + s_paket}, chyba(neznamy_typ) + stav);
    }

    void prijem() {
        const auto [prepnuti, kusy, zaznam] = test::hodnoty<bool, QByteArrayList, QStringList>();
        sestava z(kratka_odezva);
        QVERIFY(z.spust());
        z.sim->nastav_rezim(porucha::mlci); // the test speaks for the controller
        prepnuti ? z.l.posli_prikaz(5, true) : z.l.nacti_status();
        z.zaznam.clear();
        // While a reply is outstanding, ticks are counted (without overflowing) and ask nothing.
        for (int i = 0; i < 70000; ++i)
            z.t.tik_statusu();
        for (const QByteArray& kus : kusy)
            z.t.prijmi(kus);
        QVERIFY(
            testovaci_simulator::cekej([&, n = zaznam.size()] { return z.zaznam.size() >= n; }));
        QCOMPARE(z.zaznam, zaznam);
        // The watchdog runs exactly while a reply is awaited; a tick asks only an idle line.
        const bool ceka = z.t.stav() == stav_linky::ceka_stav;
        QCOMPARE(std::pair(z.t.watchdog_timer().isActive(), z.t.ocekavana_odpoved().isEmpty()),
                 std::pair(ceka, !ceka));
        const QStringList pred = z.zaznam;
        z.t.tik_statusu();
        QCOMPARE(z.zaznam, ceka ? pred : (pred + QStringList{"zakaz", "panel3=XS"}));
    }

    // Against the controller: what the program sent, what it showed, and where it came to rest.
    // Columns: the controller's fault, unasked status packets (instead of switching 42 on), the
    // bytes on the line, what the window recorded.
    void na_lince_data() {
        test::sloupce<porucha, int, QByteArray, QStringList>(
            {"porucha", "davka", "na_lince", "zaznam"});
        const QByteArray prepnuti("XW042=1\r\nXA\r\n"), dotaz("XA\r\n");
        const QStringList prikaz{"zakaz", "panel3=XR042=1"};
        const QStringList potvrzeno = prikaz + QStringList{"povol", "zakaz", "panel3=XS"};
        const QStringList stav{"panel3=", "zobraz 1,2", "povol"};
        const QStringList stav42{"panel3=", "zobraz 1,2,42", "povol"};
        radek("switch", porucha::zadna, 0, prepnuti, potvrzeno + stav42);
        radek("late replies", porucha::zpozdeni, 0, prepnuti, potvrzeno + stav42);
        radek("wrong acknowledgement", porucha::spatne_potvrzeni, 0, prepnuti,
              prikaz + chyba(r_paket) + stav);
        radek("malformed S", porucha::spatny_s_paket, 0, prepnuti + "XA\r\n",
              potvrzeno + chyba(s_paket_chyba) + stav42);
        radek("timeout", porucha::mlci, 0, prepnuti, prikaz + chyba(timeout) + stav);
        // A controller gone wild while the link is idle: one box for the whole burst, one query.
        radek("burst", porucha::zadna, 200, dotaz, chyba(s_paket_chyba) + stav);
    }

    void na_lince() {
        const auto [rezim, davka, na_lince, zaznam] =
            test::hodnoty<porucha, int, QByteArray, QStringList>();
        sestava s(kratka_odezva);
        QVERIFY(s.spust());
        s.sim->nastav_rezim(rezim);
        s.sim->nastav_zpozdeni(rezim == porucha::zpozdeni ? 400 : 0); // just within the reply time
        // The controller behaves again by the time the operator has read the message, and has said
        // all it had to say.
        s.behem_zpravy = [&] {
            s.sim->nastav_rezim(porucha::zadna);
            QVERIFY(testovaci_simulator::cekej([&] { return !s.sim->odesila(); }));
            QTest::qWait(50);
        };
        if (davka) {
            s.sim->vysli_davku(davka);
        } else {
            s.l.posli_prikaz(42, true);
            s.t.tik_watchdogu(); // the watchdog fires far too early
        }
        QVERIFY(testovaci_simulator::cekej([&] { return !s.zaznam.isEmpty(); }));
        QVERIFY(s.cekej_na_klid());
        QTest::qWait(50); // a late packet would be reported now
        QVERIFY(!s.odemceno);
        QCOMPARE(s.zaznam, zaznam);
        QCOMPARE(s.sim->prijato(), na_lince);
        QCOMPARE(s.stav(), "|volno|-|otevren|" + zapnute(s.sim->stavy()));
    }

    // Columns: the device is back (at a new node) before the box is answered, the answer, the
    // boxes, what panel 2 showed and the switches set back (switch 5 at once, to the last known
    // states, shown unknown), the link after the operator has asked for the status, then for 127.
    void zmizele_zarizeni_data() {
        test::sloupce<bool, odpoved_zpravy, QStringList, QString>(
            {"zpet", "odpoved", "okno", "konec"});
        const QString ztraceno = u"?Serial Device Lost"_s;
        // The link left to the device that went ("%s" the program's folder, "%d" the device).
        const QString neotevren =
            u"!Chyba při otevírání sériového portu.\n\nCOM3 je odkaz %s/dosdevices/com3 na %d; "
            u"takové zařízení v systému není nebo neodpovídá. Připojte převodník, nebo ať správce "
            u"nasměruje odkaz na zařízení řídicí jednotky:\nsudo ln -sfn ADAPTER "
            u"%s/dosdevices/com3"_s;
        const QString zapnuto = u"|volno|-|otevren|1,2,127"_s;
        const QString zpet_nezname = u"nezname 1,2"_s;
        radek("back, OK", true, odpoved_zpravy::ok,
              QStringList{zpet_nezname, ztraceno, "panel2=COM3"}, zapnuto);
        radek("missing, OK", false, odpoved_zpravy::ok,
              QStringList{zpet_nezname, ztraceno, "panel2=", neotevren, "panel2=COM3"}, zapnuto);
        // The port stays closed, shown closed, and nothing waits on it: polls ask nothing; the
        // operator's request and a switch are told at once that it is closed, and the switch goes
        // back.
        const QString zavren =
            u"!Sériový port je zavřený, řídicí jednotce nebylo nic odesláno. Port znovu otevřete "
            u"volbou Konfigurace – Číslo COMu v administrátorském režimu, nebo program ukončete a "
            u"spusťte znovu."_s;
        radek("Cancel", true, odpoved_zpravy::storno,
              QStringList{zpet_nezname, ztraceno, "panel2=", zavren, zavren, zpet_nezname},
              u"|volno|-|zavren|1,2"_s);
    }

    void zmizele_zarizeni() {
        auto [zpet, odpoved, okno, konec] =
            test::hodnoty<bool, odpoved_zpravy, QStringList, QString>();
        sestava s;
        QVERIFY(s.spust());
        // The system's timings: a status query every 60 s while the line is idle, 10 s a reply.
        QCOMPARE(s.t.status_timer().interval(), 60000);
        QCOMPARE(s.t.watchdog_timer().interval(), 10000);
        s.zpravy.odpovedi.push_back(odpoved);
        s.behem_zpravy = [&, zpet = zpet] {
            if (zpet && !s.sim.bezi())
                QVERIFY(s.sim->spust());
        };
        s.l.posli_prikaz(5, true);
        okno.replaceInStrings(u"%s"_s, s.slozka.path())
            .replaceInStrings(u"%d"_s, s.sim->cesta_zarizeni());
        s.sim->zaves(); // before its acknowledgement
        QVERIFY(testovaci_simulator::cekej([&] { return !s.zpravy.zpravy.isEmpty(); }));
        QTest::qWait(100); // a device that stays gone would go on reporting itself
        s.behem_zpravy = {};
        if (odpoved == odpoved_zpravy::storno) {
            s.t.tik_statusu();
            s.l.aktualizuj_stav();
            s.l.posli_prikaz(127, true);
        } else if (!zpet) {
            // Nothing claims a line: nothing is awaited, polls send nothing and report nothing. The
            // device comes back; the operator's request brings the line back.
            QCOMPARE(s.stav(), u"|volno|-|zavren|1,2"_s);
            const qsizetype zaznamu = s.zaznam.size();
            s.t.tik_statusu();
            QCOMPARE(s.zaznam.size(), zaznamu);
            QVERIFY(s.sim->spust());
            s.l.aktualizuj_stav();
        }
        if (odpoved == odpoved_zpravy::ok) {
            QVERIFY(s.cekej_na_klid());
            s.l.posli_prikaz(127, true);
            QVERIFY(s.cekej_na_klid());
        }
        QCOMPARE(s.sim->prijato(),
                 QByteArray(odpoved == odpoved_zpravy::ok ? "XA\r\nXW127=1\r\nXA\r\n" : ""));
        // The adapter named is one that the machine has, or /dev/ttyUSB0.
        QCOMPARE(s.zaznam.filter(QRegularExpression(u"^(panel2=|!|\\?|loaded|nezname)"_s))
                     .replaceInStrings(QRegularExpression(u"ln -sfn /dev/tty(USB|ACM)\\d+"_s),
                                       u"ln -sfn ADAPTER"_s),
                 okno);
        QCOMPARE(s.stav(), konec);
    }

    // What the port reports while open: errors ask OK/Cancel with these texts (zmizele_zarizeni
    // shows the box and its answers), everything else ("-") passes silently.
    void klasifikace() {
        using Q = QSerialPort;
        QStringList texty;
        for (auto chyba :
             {Q::NoError, Q::DeviceNotFoundError, Q::PermissionError, Q::OpenError, Q::TimeoutError,
              Q::NotOpenError, Q::WriteError, Q::UnsupportedOperationError, Q::UnknownError,
              Q::ResourceError, Q::ReadError}) {
            const udalost_linky u = klasifikuj_chybu_portu(chyba);
            texty << (u.skupina == skupina_udalosti::chyba ? u.text : "-" + u.text);
        }
        QCOMPARE(texty, QStringList({"-", "-", "-", "-", "-", "-", "Write Error",
                                     "Unknown error or event", "Unknown error or event",
                                     "Serial Device Lost", "Serial Device Lost"}));
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
    // "plna": a lock folder with no room left.
    void zamek_portu_data() {
        test::sloupce<QString, QString, int, QString, bool>(
            {"zamek", "vlastnik", "vysledek", "rada", "zustava"});
        const int ok = int(vysledek_otevreni::ok), obsazen = int(vysledek_otevreni::obsazen);
        const QString kde = u"COM3 je odkaz %s/dosdevices/com3 na %d"_s;
        const QString drzi = kde + u"; drží ho proces %p (%1) účtu root zámkem %z. Ukončete ten "
                                   u"program; nejde-li to, požádejte správce o odstranění %z "
                                   u"(vlastník root)."_s;
        radek("nothing", "", "nobody", ok, "", false);
        radek("FIFO without a writer", "fifo", "daemon", ok, "", true);
        radek("link to /dev/zero", "odkaz", "daemon", ok, "", true);
        radek("device node", "zarizeni", "root", ok, "", true);
        radek("folder", "slozka", "daemon", ok, "", true);
        radek("1 MiB of garbage, root's", "smeti", "root", ok, "", true);
        radek("a dead process's lock, root's", "mrtvy", "root", ok, "", true);
        radek("own lock of a killed program", "mrtvy", "nobody", ok, "", false);
        radek("pid 1, of an account without the device", "jedna", "daemon", ok, "", true);
        radek("another program's live lock", "bezi", "root", obsazen, drzi.arg("sleep"), true);
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
        if (zamek == u"bezi" || zamek == u"mrtvy") {
            jiny_program.start(u"sleep"_s, {u"1000"_s});
            QVERIFY(jiny_program.waitForStarted());
            pid = jiny_program.processId();
            if (zamek == u"mrtvy") {
                jiny_program.kill();
                QVERIFY(jiny_program.waitForFinished());
            }
        }
        const auto s_pidem = [](qint64 p) {
            return QByteArray::number(p).rightJustified(10) + '\n';
        };
        if (zamek == u"fifo")
            QVERIFY(::mkfifo(c.constData(), 0644) == 0);
        else if (zamek == u"odkaz")
            QVERIFY(::symlink("/dev/zero", c.constData()) == 0);
        else if (zamek == u"zarizeni")
            QVERIFY(::mknod(c.constData(), S_IFCHR | 0644, ::makedev(1, 5)) == 0);
        else if (zamek == u"slozka")
            QVERIFY(::mkdir(c.constData(), 0755) == 0);
        else if (zamek == u"smeti")
            s.slozka.write(cesta, QByteArray(1 << 20, 'x'));
        else if (zamek == u"jedna")
            s.slozka.write(cesta, s_pidem(1));
        else if (pid) // the HDB format of terminal programs; a killed program's holds more lines
            s.slozka.write(cesta, s_pidem(pid) + (zamek == u"mrtvy" ? "tarvik\nhost\n" : ""));
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
        const QString zamek = zamek_linky(s.sim->cesta_zarizeni());
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
