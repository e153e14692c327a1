// The link: its receiver and message boxes against a recording window, then the whole line
// against the controller simulator through a real serial port on a pseudo-terminal.

#include "link/link.h"
#include "platform/program_folder.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"
#include "tarvik-sim/sim_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarvik;
using namespace std::chrono_literals;
using sim::porucha;
using sim::testovaci_simulator;

namespace {

const QString neznamy = QStringLiteral("Neznámý typ paketu.");
const QString cekam_r = QStringLiteral("Je očekáván R paket.");
const QString cekam_s = QStringLiteral("Je očekáván S paket. Nebo špatný S-paket.");
const QString vyprsel = QStringLiteral("Timeout. Vypršel čas odezvy.");
const QString neotevren = QStringLiteral("!Chyba při otevírání sériového portu.");
const QByteArray s_paket = "XS00000100" + QByteArray(120, '0') + "\r\n"; // contactor 5 on
// A reply time for the cases that wait for a silent line.
constexpr auto kratka_odezva = 500ms;

// The contactors that are on, as "1,2,5".
QString zapnute(const stavy_stykacu& stavy) {
    QStringList k;
    for (int i = 0; i < pocet_stavu; ++i)
        if (stavy[i])
            k << QString::number(i);
    return k.join(u',');
}

// A reported packet: its message, then a new status query.
QStringList chyba(const QString& detail) {
    return {"!Chyba komunikace. Chyba - " + detail, "zakaz", "panel3=XS"};
}

// A timer's tick, as its timeout brings it.
void tik(QTimer& timer) {
    QMetaObject::invokeMethod(&timer, "timeout");
}

// The link and the window it shows itself in, which records in order what the link asks of it:
// "zakaz", "povol", "panel3=XS", "zobraz 1,5", and each message box, answered and recorded ("!" an
// error box, "?" a line error's OK/Cancel box). A controller simulator is on COM1 of a program
// folder, contactors 1 and 2 on.
struct sestava : okno_linky {
    test::message_recorder zpravy;
    QStringList zaznam, boxy;
    linka l;
    std::function<void()> behem_zpravy; // inside every box, while the operator reads it
    bool odemceno = false; // a reply was awaited with the switches free while the loop ran
    test::temp_folder slozka;
    testovaci_simulator sim{{.slozka = slozka.path(), .port = 1, .stavy = "011"}};

    explicit sestava(std::chrono::milliseconds odezva = linka::cas_odezvy) : l(*this, odezva) {
        zpravy.behem_zpravy = [this](const zprava& z) {
            const bool chybova = z.titulek == titulek_chyba && z.tlacitka == tlacitka_zpravy::ok;
            const bool linkova = z.titulek == u"Cancel - Konec, Ok - ignoruj chybu" &&
                                 z.tlacitka == tlacitka_zpravy::ok_storno &&
                                 z.ikona == ikona_zpravy::zadna && z.cely_titulek &&
                                 z.text_ok + z.text_storno == u"OKCancel";
            boxy << (chybova ? "!" : linkova ? "?" : "box of a wrong form: ") + z.text;
            zaznam << boxy.last();
            if (behem_zpravy)
                behem_zpravy();
        };
    }
    void zakaz_buttony() override { zaznam << QStringLiteral("zakaz"); }
    void povol_buttony() override { zaznam << QStringLiteral("povol"); }
    void nastav_panel(int panel, const QString& text) override {
        zaznam << QStringLiteral("panel%1=%2").arg(panel).arg(text);
    }
    void zobraz_stav_stykacu(const stavy_stykacu& stav) override {
        // Set while the status is still loading, so that the cells' changes send no commands.
        zaznam << (l.nacitani_statusu() ? "zobraz " : "loaded, zobraz ") + zapnute(stav);
    }
    QWidget* rodic_zprav() override { return nullptr; }

    bool otevri() { return sim.bezi() && l.otevri_port(1); }
    bool zamceno() const { return zaznam.lastIndexOf("zakaz") > zaznam.lastIndexOf("povol"); }
    // Until nothing is awaited and the switches are free.
    bool cekej_na_klid(int limit_ms = 10000) {
        return testovaci_simulator::cekej(
            [this] {
                odemceno |= !l.ocekavana_odpoved().isEmpty() && !zamceno();
                return l.ocekavana_odpoved().isEmpty() && !zamceno();
            },
            limit_ms);
    }
    // The link as one text: the reply awaited, the lock, the watchdog, the port, the states.
    QString stav() {
        return QStringList{text_odpovedi(l.ocekavana_odpoved()), zamceno() ? "zamceno" : "volno",
                           l.watchdog_timer().isActive() ? "watchdog" : "-",
                           l.port_otevren() ? "otevren" : "zavren", zapnute(l.stav_stykacu())}
            .join(u'|');
    }
    // At rest with the port open and the controller's states.
    QString klid() { return "|volno|-|otevren|" + zapnute(sim->stavy()); }
};

// Pages of this process resident in memory (0 where the system does not say).
qint64 rezidentni_stranky() {
    QFile f(QStringLiteral("/proc/self/statm"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(1).toLongLong() : 0;
}

// The lock file QSerialPort takes for a device.
QString zamek_linky(const QString& zarizeni) {
    return "/run/lock/LCK.." + zarizeni.mid(5).replace(u'/', u'_');
}

bool zapis(const QString& soubor, const QByteArray& obsah) {
    QFile f(soubor);
    return f.open(QIODevice::WriteOnly) && f.write(obsah) == obsah.size();
}

} // namespace

class tst_link : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prijem_data();
    void prijem();
    void behem_zpravy_data();
    void behem_zpravy();
    void citac_statusu();
    void dopln_nuly();
    void na_lince_data();
    void na_lince();
    void chyby_linky_data();
    void chyby_linky();
    void zmizele_zarizeni_data();
    void zmizele_zarizeni();
    void klasifikace_otevreni_data();
    void klasifikace_otevreni();
    void otevreni_jinym_uzivatelem_data();
    void otevreni_jinym_uzivatelem();
    void konec_bez_zamku_data();
    void konec_bez_zamku();
    void nahodne_poruchy();
};

// How bytes become packets and packets reactions. The checks of single packets against what is
// awaited are the packet fuzzer's (fuzz/packet_fuzz.cpp), the framing rules the receiver's.
void tst_link::prijem_data() {
    QTest::addColumn<bool>("prepnuti"); // "XR005=1" awaited, else a status reply
    QTest::addColumn<QByteArrayList>("kusy");
    QTest::addColumn<QStringList>("zaznam");
    using L = QByteArrayList;
    const QByteArray& s = s_paket;
    const QStringList potvrzeno{"povol", "zakaz", "panel3=XS"};
    const QStringList stav{"panel3=", "zobraz 5", "povol"};
    QTest::newRow("noise, split ack")
        << true << L{"\x01\xffnoise\rXR0", "05=", "1\r\n"} << potvrzeno;
    QTest::newRow("two packets in one batch") << true << L{"XR005=1\r\n" + s} << potvrzeno + stav;
    QTest::newRow("lone line feed") << false << L{"\n"} << chyba(neznamy);
    QTest::newRow("S while ack awaited") << true << L{s} << chyba(cekam_s);
    // An overlong line is cut and reported once; its rest is dropped up to its line feed or the
    // next "X", whichever comes first.
    QTest::newRow("flood without line feeds")
        << false << L{QByteArray(64 * 1024, 'X'), "\r\n" + s} << chyba(neznamy) + stav;
    QTest::newRow("overlong line, then the reply")
        << false << L{"X" + QByteArray(1100, 'a'), "aaa" + s} << chyba(neznamy) + stav;
}

void tst_link::prijem() {
    QFETCH(bool, prepnuti);
    QFETCH(QByteArrayList, kusy);
    QFETCH(QStringList, zaznam);
    sestava z;
    prepnuti ? z.l.posli_prikaz(5, true) : z.l.nacti_status();
    z.zaznam.clear();
    for (const QByteArray& kus : kusy)
        z.l.precti_data_z_portu(kus);
    QCOMPARE(z.zaznam, zaznam);
    // The watchdog runs exactly while a reply is awaited.
    QCOMPARE(z.l.watchdog_timer().isActive(), !z.l.ocekavana_odpoved().isEmpty());
}

void tst_link::behem_zpravy_data() {
    QTest::addColumn<QByteArray>("spoustec"); // bytes that are reported; none: the watchdog fires
    QTest::addColumn<QString>("detail");
    QTest::newRow("timeout") << QByteArray() << vyprsel;
    QTest::newRow("wrong acknowledgement") << QByteArray("XR005=0\r\n") << cekam_r;
}

void tst_link::behem_zpravy() {
    QFETCH(QByteArray, spoustec);
    QFETCH(QString, detail);
    sestava z(kratka_odezva);
    z.l.posli_prikaz(5, true);
    z.zaznam.clear();
    z.behem_zpravy = [&] {
        // The operator leaves the box open: the timers tick and the line goes on talking.
        if (z.boxy.size() > 1)
            return;
        for (int i = 0; i < 5; ++i)
            tik(z.l.status_timer());
        z.l.precti_data_z_portu(s_paket.mid(20));
        Q_EMIT z.l.com_port().udalost(klasifikuj_chybu_portu(QSerialPort::WriteError));
        Q_EMIT z.l.com_port().udalost(klasifikuj_chybu_portu(QSerialPort::UnknownError));
        QTest::qWait(int(kratka_odezva.count()) + 100); // the watchdog fires meanwhile
        z.l.precti_data_z_portu("\n");
    };
    z.l.precti_data_z_portu(spoustec + s_paket.left(20));
    QVERIFY(testovaci_simulator::cekej([&] { return !z.boxy.isEmpty(); }));
    // One box at a time, one query after it; what came while the box was open belongs to it (the
    // stray line feed is not reported on its own), then the first line error.
    QCOMPARE(z.zaznam, chyba(detail) + QStringList{"?Write Error"});
}

void tst_link::citac_statusu() {
    sestava z;
    z.l.nacti_status();
    z.zaznam.clear();
    // A reply is outstanding: ticks are counted (without overflowing), no query is sent.
    for (int i = 0; i < 70000; ++i)
        tik(z.l.status_timer());
    QCOMPARE(z.zaznam, QStringList());
    z.l.zastav_watchdog_timer();
    tik(z.l.status_timer());
    QCOMPARE(z.zaznam, QStringList({"zakaz", "panel3=XS"}));
}

void tst_link::dopln_nuly() {
    const char* const radky[][2] = {{"5", "005"},   {"42", "042"}, {"127", "127"},
                                    {"---", "---"}, {"", ""},      {"1000", ""}};
    for (const auto& [cislo, na_lince] : radky)
        QCOMPARE(tarvik::dopln_nuly(cislo), QString(na_lince));
}

// Against the controller: what the program sent, what it showed, and where it came to rest.
void tst_link::na_lince_data() {
    QTest::addColumn<porucha>("rezim");
    QTest::addColumn<QByteArray>("podvrh"); // received as is, instead of switching 5 on
    QTest::addColumn<int>("davka");         // unasked status packets, instead of switching 5 on
    QTest::addColumn<QByteArray>("na_lince");
    QTest::addColumn<QStringList>("zaznam");
    const QByteArray prepnuti("XA\r\nXW005=1\r\nXA\r\n"), dva_dotazy("XA\r\nXA\r\n");
    const QStringList prikaz{"zakaz", "panel3=XR005=1"};
    const QStringList potvrzeno = prikaz + QStringList{"povol", "zakaz", "panel3=XS"};
    const QStringList stav{"panel3=", "zobraz 1,2", "povol"};
    const QStringList stav5{"panel3=", "zobraz 1,2,5", "povol"};
    const QByteArray nic;
    QTest::newRow("switch") << porucha::zadna << nic << 0 << prepnuti << potvrzeno + stav5;
    QTest::newRow("late replies") << porucha::zpozdeni << nic << 0 << prepnuti << potvrzeno + stav5;
    QTest::newRow("wrong acknowledgement")
        << porucha::spatne_potvrzeni << nic << 0 << prepnuti << prikaz + chyba(cekam_r) + stav;
    QTest::newRow("malformed S") << porucha::spatny_s_paket << nic << 0 << prepnuti + "XA\r\n"
                                 << potvrzeno + chyba(cekam_s) + stav5;
    QTest::newRow("unexpected type")
        << porucha::zadna << QByteArray("XQ\r\n") << 0 << dva_dotazy << chyba(neznamy) + stav;
    QTest::newRow("timeout") << porucha::mlci << nic << 0 << prepnuti
                             << prikaz + chyba(vyprsel) + stav;
    // A controller gone wild while the link is idle: one box for the whole burst, one query.
    QTest::newRow("burst") << porucha::zadna << nic << 200 << dva_dotazy << chyba(cekam_s) + stav;
}

void tst_link::na_lince() {
    QFETCH(porucha, rezim);
    QFETCH(QByteArray, podvrh);
    QFETCH(int, davka);
    QFETCH(QByteArray, na_lince);
    QFETCH(QStringList, zaznam);
    static_assert(linka::cas_odezvy == 10s); // what the controller promises
    sestava s(kratka_odezva);
    QVERIFY(s.otevri());
    s.l.nacti_status(); // as at start-up
    QVERIFY(s.cekej_na_klid());
    s.zaznam.clear();
    s.sim->nastav_rezim(rezim);
    s.sim->nastav_zpozdeni(rezim == porucha::zpozdeni ? 400 : 0); // just within the reply time
    // The controller behaves again by the time the operator has read the message, and has said
    // all it had to say.
    QElapsedTimer od_prikazu;
    qint64 hlaseno_po = -1;
    s.behem_zpravy = [&] {
        hlaseno_po = hlaseno_po < 0 ? od_prikazu.elapsed() : hlaseno_po;
        s.sim->nastav_rezim(porucha::zadna);
        QVERIFY(testovaci_simulator::cekej([&] { return !s.sim->odesila(); }));
        QTest::qWait(50);
    };
    od_prikazu.start();
    if (davka) {
        s.sim->vysli_davku(davka);
    } else if (!podvrh.isEmpty()) {
        s.l.precti_data_z_portu(podvrh);
    } else {
        s.l.posli_prikaz(5, true);
        s.l.watchdog_timer().start(50); // a timer that fires far too early
    }
    QVERIFY(testovaci_simulator::cekej([&] { return !s.zaznam.isEmpty(); }));
    QVERIFY(s.cekej_na_klid());
    QTest::qWait(50); // a late packet would be reported now
    QVERIFY(!s.odemceno);
    QVERIFY2(rezim != porucha::mlci || hlaseno_po >= kratka_odezva.count(),
             qPrintable(QString::number(hlaseno_po)));
    QCOMPARE(s.zaznam, zaznam);
    QCOMPARE(s.sim->prijato(), na_lince);
    QCOMPARE(s.stav(), s.klid());
}

// What the port reports while open: errors ask OK/Cancel (zmizele_zarizeni shows the box and its
// answers), everything else passes silently.
void tst_link::chyby_linky_data() {
    QTest::addColumn<QSerialPort::SerialPortError>("chyba");
    QTest::addColumn<QString>("text"); // empty: passed over silently
    using Q = QSerialPort;
    for (auto chyba : {Q::NoError, Q::DeviceNotFoundError, Q::PermissionError, Q::OpenError,
                       Q::TimeoutError, Q::NotOpenError})
        QTest::addRow("%d", int(chyba)) << chyba << QString();
    QTest::newRow("write") << Q::WriteError << "Write Error";
    QTest::newRow("unsupported") << Q::UnsupportedOperationError << "Unknown error or event";
    QTest::newRow("unknown") << Q::UnknownError << "Unknown error or event";
    QTest::newRow("resource") << Q::ResourceError << "Serial Device Lost";
    QTest::newRow("read") << Q::ReadError << "Serial Device Lost";
}

void tst_link::chyby_linky() {
    QFETCH(QSerialPort::SerialPortError, chyba);
    QFETCH(QString, text);
    const udalost_linky u = klasifikuj_chybu_portu(chyba);
    QCOMPARE(u.text, text);
    QCOMPARE(u.skupina, text.isEmpty() ? skupina_udalosti::ignorovano : skupina_udalosti::chyba);
}

void tst_link::zmizele_zarizeni_data() {
    QTest::addColumn<bool>("zpet"); // the device is back, at a new node, before the box is answered
    QTest::addColumn<bool>("storno");
    QTest::addColumn<QStringList>("boxy");
    const QString ztraceno = QStringLiteral("?Serial Device Lost");
    QTest::newRow("back, OK") << true << false << QStringList{ztraceno};
    QTest::newRow("missing, OK") << false << false << QStringList{ztraceno, neotevren};
    QTest::newRow("Cancel") << true << true << QStringList{ztraceno};
}

void tst_link::zmizele_zarizeni() {
    QFETCH(bool, zpet);
    QFETCH(bool, storno);
    QFETCH(QStringList, boxy);
    sestava s;
    QVERIFY(s.otevri());
    s.l.nacti_status();
    QVERIFY(s.cekej_na_klid());
    const QString stare = s.sim->cesta_zarizeni();
    s.zpravy.odpovedi.push_back(storno ? odpoved_zpravy::storno : odpoved_zpravy::ok);
    s.behem_zpravy = [&] {
        if (zpet && !s.sim.bezi())
            QVERIFY(s.sim->spust());
    };
    s.zaznam.clear();
    s.sim->vymaz_zaznam();
    s.l.posli_prikaz(5, true);
    s.sim->zaves(); // before its acknowledgement
    QVERIFY(testovaci_simulator::cekej([&] { return !s.boxy.isEmpty(); }));
    QTest::qWait(100); // a device that stays gone would go on reporting itself
    s.behem_zpravy = {};
    QCOMPARE(s.boxy, boxy);
    if (storno) { // the port stays closed: not even the operator's request opens it
        s.l.aktualizuj_stav();
        QTest::qWait(100);
        QVERIFY(!s.l.port_otevren() && s.sim->prijato().isEmpty());
        return;
    }
    if (!zpet) {
        // Nothing claims a line: panel 2 is empty, nothing is awaited, polls send nothing and
        // report nothing. The device comes back; the operator's request brings the line back.
        QVERIFY(s.zaznam.contains(QStringLiteral("panel2=")));
        QCOMPARE(s.stav(), QStringLiteral("|volno|-|zavren|1,2"));
        s.zaznam.clear();
        tik(s.l.status_timer());
        QCOMPARE(s.zaznam, QStringList());
        QVERIFY(s.sim->spust());
        s.l.aktualizuj_stav();
    }
    QVERIFY(s.sim->cesta_zarizeni() != stare); // resolved afresh
    QVERIFY(s.zaznam.contains(QStringLiteral("panel2=COM1")));
    QVERIFY(s.cekej_na_klid());
    s.l.posli_prikaz(5, true);
    QVERIFY(s.cekej_na_klid());
    QCOMPARE(s.sim->prijato(), QByteArray("XA\r\nXW005=1\r\nXA\r\n"));
    QCOMPARE(s.stav(), QStringLiteral("|volno|-|otevren|1,2,5"));
    QCOMPARE(s.boxy, boxy);
}

// Where an open is refused, which message it earns.
void tst_link::klasifikace_otevreni_data() {
    QTest::addColumn<int>("cislo");
    QTest::addColumn<QSerialPort::SerialPortError>("chyba");
    QTest::addColumn<stav_zamku>("zamek");
    QTest::addColumn<int>("chyba_systemu");
    QTest::addColumn<vysledek_otevreni>("vysledek");
    using Q = QSerialPort;
    using enum stav_zamku;
    using enum vysledek_otevreni;
    QTest::newRow("lock of a running process")
        << 1 << Q::PermissionError << drzi_bezici_proces << 0 << obsazen;
    QTest::newRow("exclusive use by another process")
        << 1 << Q::PermissionError << zadny << EBUSY << obsazen;
    QTest::newRow("lock of a dead process")
        << 1 << Q::PermissionError << po_mrtvem_procesu << 0 << chyba;
    QTest::newRow("access refused") << 1 << Q::PermissionError << zadny << EACCES << chyba;
    QTest::newRow("missing device") << 4 << Q::DeviceNotFoundError << zadny << 0 << chyba;
    QTest::newRow("missing device, stale lock of a running process")
        << 4 << Q::DeviceNotFoundError << drzi_bezici_proces << 0 << chyba;
    QTest::newRow("port 0") << 0 << Q::PermissionError << drzi_bezici_proces << 0 << chyba;
}

void tst_link::klasifikace_otevreni() {
    QFETCH(int, cislo);
    QFETCH(QSerialPort::SerialPortError, chyba);
    QFETCH(stav_zamku, zamek);
    QFETCH(int, chyba_systemu);
    QFETCH(vysledek_otevreni, vysledek);
    QCOMPARE(klasifikuj_selhani_otevreni({cislo, chyba, zamek, chyba_systemu}), vysledek);
}

// The same, end to end: an operator's program (this test run as "nobody") opening COM1.
void tst_link::otevreni_jinym_uzivatelem_data() {
    QTest::addColumn<QString>("pripad");
    QTest::addColumn<int>("vysledek");
    QTest::newRow("access refused") << "odepreno" << int(vysledek_otevreni::chyba);
    QTest::newRow("lock of a dead process") << "mrtvy" << int(vysledek_otevreni::chyba);
    QTest::newRow("lock of a running process") << "drzi" << int(vysledek_otevreni::obsazen);
}

void tst_link::otevreni_jinym_uzivatelem() {
    QFETCH(QString, pripad);
    QFETCH(int, vysledek);
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty())
        QSKIP("needs root and setpriv to run the program as another user");
    sestava s;
    QVERIFY(s.sim.bezi());
    QFile::setPermissions(s.slozka.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther);
    const QByteArray zarizeni = QFile::encodeName(s.sim->cesta_zarizeni());
    QVERIFY(::chmod(zarizeni.constData(), pripad == u"odepreno" ? 0600 : 0666) == 0);
    const QString zamek = zamek_linky(s.sim->cesta_zarizeni());
    QVERIFY(pripad != u"drzi" || s.l.otevri_port(1));
    if (pripad == u"mrtvy") {
        QProcess skonceny;
        skonceny.start(QStringLiteral("true"));
        QVERIFY(skonceny.waitForFinished());
        QVERIFY(zapis(zamek, QByteArray::number(skonceny.processId()) + "\ntarvik\n" +
                                 QSysInfo::machineHostName().toUtf8() + "\n"));
    }
    QProcess program;
    QProcessEnvironment prostredi = QProcessEnvironment::systemEnvironment();
    prostredi.insert(QStringLiteral("TARVIK_TEST_OTEVRI"), s.slozka.path());
    program.setProcessEnvironment(prostredi);
    program.start(setpriv, {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                            QCoreApplication::applicationFilePath()});
    QVERIFY(program.waitForFinished(20000));
    QVERIFY(pripad != u"mrtvy" || QFile::remove(zamek)); // the other user could not remove it
    QCOMPARE(program.exitCode(), 10 + vysledek);
}

// The program itself, ended by the system or by losing its display: the port is closed as on a
// normal close, and no lock file is left for the next operator.
void tst_link::konec_bez_zamku_data() {
    QTest::addColumn<int>("signal"); // 0: the display server goes away
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("display lost") << 0;
}

void tst_link::konec_bez_zamku() {
    QFETCH(int, signal);
    const QString program = qEnvironmentVariable("TARVIK_BIN_DIR") + QStringLiteral("/tarvik");
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (!QFile::exists(program) || (signal == 0 && xvfb.isEmpty()))
        QSKIP("needs the program built and Xvfb");
    QProcess displej;
    QProcessEnvironment prostredi = QProcessEnvironment::systemEnvironment();
    if (signal == 0) {
        const QString cislo = QString::number(200 + ::getpid() % 500);
        displej.start(xvfb, {":" + cislo, "-nolisten", "tcp", "-screen", "0", "800x600x24"});
        QVERIFY(testovaci_simulator::cekej(
            [&] { return QFile::exists("/tmp/.X11-unix/X" + cislo); }, 10000));
        prostredi.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        prostredi.insert(QStringLiteral("DISPLAY"), ":" + cislo);
    }
    sestava s;
    QVERIFY(s.sim.bezi());
    s.slozka.write(QStringLiteral("tarvik.ini"), "[system]\r\ncom=1\r\n");
    const QString kopie = s.slozka.file(QStringLiteral("tarvik"));
    QVERIFY(QFile::copy(program, kopie));
    const QString zamek = zamek_linky(s.sim->cesta_zarizeni());
    QProcess tarvik;
    tarvik.setProcessEnvironment(prostredi);
    tarvik.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tarvik.start(kopie, QStringList());
    QVERIFY(testovaci_simulator::cekej([&] { return s.sim->prijato().contains("XA\r\n"); }, 30000));
    QVERIFY(QFile::exists(zamek));
    signal ? void(::kill(pid_t(tarvik.processId()), signal)) : displej.kill();
    QVERIFY(tarvik.waitForFinished(20000));
    QCOMPARE(tarvik.exitStatus(), QProcess::NormalExit);
    QVERIFY(!QFile::exists(zamek));
    displej.waitForFinished();
}

// Switching cycles against a controller that misbehaves at random (seeded): the fault is chosen
// anew for every command and every message. The process must not grow over the last three
// quarters of the run.
void tst_link::nahodne_poruchy() {
    sestava s(200ms);
    QVERIFY(s.otevri());
    QRandomGenerator nahoda(20240607);
    const porucha poruchy[] = {porucha::mlci,    porucha::spatne_potvrzeni, porucha::spatny_s_paket,
                               porucha::sum,     porucha::deleni,           porucha::slucovani,
                               porucha::zpozdeni};
    s.behem_zpravy = [&] {
        const porucha p = nahoda.bounded(10) < 3 ? poruchy[nahoda.bounded(7)] : porucha::zadna;
        s.sim->nastav_zpozdeni(p == porucha::zpozdeni ? 1 + nahoda.bounded(20) : 0);
        s.sim->nastav_rezim(p);
    };
    qsizetype zprav = 0;
    qint64 stranky_ctvrt = 0;
    for (int cyklus = 0; cyklus < 600; ++cyklus) {
        stranky_ctvrt = cyklus == 150 ? rezidentni_stranky() : stranky_ctvrt;
        s.behem_zpravy(); // the fault for this command
        nahoda.bounded(8) == 0 ? tik(s.l.status_timer())
                               : s.l.posli_prikaz(nahoda.bounded(pocet_stavu), nahoda.bounded(2));
        QVERIFY(s.cekej_na_klid());
        zprav += s.boxy.size();
        s.boxy.clear();
        s.zaznam.clear();
        s.sim->vymaz_zaznam();
    }
    QVERIFY(zprav > 60); // the faults did happen
    // The controller behaves again: once late replies have been reported and answered, the
    // states are the controller's.
    s.behem_zpravy = {};
    s.sim->nastav_rezim(porucha::zadna);
    s.sim->nastav_zpozdeni(0);
    for (int pokus = 0; pokus < 10 && (pokus == 0 || !s.boxy.isEmpty()); ++pokus) {
        s.boxy.clear();
        s.l.nacti_status();
        QVERIFY(s.cekej_na_klid());
    }
    QVERIFY(s.boxy.isEmpty() && !s.odemceno);
    QCOMPARE(s.stav(), s.klid());
    // AddressSanitizer keeps freed memory in quarantine, which looks like growth: CTest runs this
    // test with it switched off.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
    if (!qEnvironmentVariable("ASAN_OPTIONS").contains(QStringLiteral("quarantine_size_mb=0")))
        QSKIP("resident memory is only meaningful with quarantine_size_mb=0");
#endif
#endif
    QVERIFY(rezidentni_stranky() - stranky_ctvrt < 2048); // 8 MiB in pages of 4 KiB
}

// Run as another user by otevreni_jinym_uzivatelem: opens COM1 of the folder given and exits with
// 10 plus the outcome.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("TARVIK_TEST_OTEVRI")) {
        QCoreApplication aplikace(argc, argv);
        nastav_slozku_programu(qEnvironmentVariable("TARVIK_TEST_OTEVRI"));
        seriovy_port port;
        return 10 + int(port.otevri(1));
    }
    QApplication aplikace(argc, argv);
    tst_link test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_link.moc"
