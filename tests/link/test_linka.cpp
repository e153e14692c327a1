// The link: its receiver and message boxes against a recording window, then the whole line
// against the controller simulator through a real serial port on a pseudo-terminal.

#include "link/linka.h"
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
using sim::porucha;
using sim::testovaci_simulator;

namespace {

const QString neznamy = QStringLiteral("Neznámý typ paketu.");
const QString cekam_r = QStringLiteral("Je očekáván R paket.");
const QString cekam_s = QStringLiteral("Je očekáván S paket. Nebo špatný S-paket.");
const QString vyprsel = QStringLiteral("Timeout. Vypršel čas odezvy.");

// The contactors that are on, as "1,2,5".
QString zapnute(const stavy_stykacu& stavy) {
    QStringList k;
    for (int i = 0; i < pocet_stykacu; ++i)
        if (stavy[i])
            k << QString::number(i);
    return k.join(u',');
}

const QByteArray s_paket = "XS00000100" + QByteArray(120, '0') + "\r\n"; // contactor 5 on

// A reported packet: its message, then a new status query.
QStringList chyba(const QString& detail) {
    return {"!Chyba komunikace. Chyba - " + detail, "zakaz", "panel3=XS"};
}

// A window that records in order what the link asks of it.
struct fake_okno : okno_linky {
    QStringList zaznam; // "zakaz", "povol", "panel3=XS", "zobraz 1,5", "!<message box text>"
    const linka* l = nullptr;

    void zakaz_buttony() override { zaznam << QStringLiteral("zakaz"); }
    void povol_buttony() override { zaznam << QStringLiteral("povol"); }
    void nastav_panel(int panel, const QString& text) override {
        zaznam << QStringLiteral("panel%1=%2").arg(panel).arg(text);
    }
    void zobraz_stav_stykacu(const stavy_stykacu& stav) override {
        // Set while the status is still loading, so that the cells' changes send no commands.
        zaznam << (l->nacitani_statusu() ? "zobraz " : "loaded, zobraz ") + zapnute(stav);
    }
    QWidget* rodic_zprav() override { return nullptr; }
};

// The link with that window, its message boxes answered and recorded there too, and a
// controller simulator on COM1 of a program folder, contactors 1 and 2 on.
struct sestava {
    test::message_recorder zpravy;
    fake_okno okno;
    linka l{okno};
    std::function<void()> behem_zpravy; // inside every box, while the operator reads it
    bool odemceno = false; // a reply was awaited with the switches free while the loop ran
    test::temp_folder slozka;
    testovaci_simulator sim{{.slozka = slozka.path(), .port = 1, .stavy = "011"}};

    sestava() {
        okno.l = &l;
        zpravy.behem_zpravy = [this](const zprava& z) {
            okno.zaznam << "!" + z.text;
            if (behem_zpravy)
                behem_zpravy();
        };
    }
    bool otevri() { return sim.bezi() && l.otevri_port(slozka.ini()); }
    bool zamceno() const {
        return okno.zaznam.lastIndexOf("zakaz") > okno.zaznam.lastIndexOf("povol");
    }
    // Until nothing is awaited and the switches are free.
    bool cekej_na_klid(int limit_ms = 10000) {
        return testovaci_simulator::cekej(
            [this] {
                odemceno |= !l.ocekavana_odpoved().isEmpty() && !zamceno();
                return l.ocekavana_odpoved().isEmpty() && !zamceno();
            },
            limit_ms);
    }
};

// Pages of this process resident in memory (0 where the system does not say).
qint64 rezidentni_stranky() {
    QFile f(QStringLiteral("/proc/self/statm"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(1).toLongLong() : 0;
}

} // namespace

class test_linka : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prijem_data();
    void prijem();
    void behem_zpravy_data();
    void behem_zpravy();
    void citac_statusu();
    void dopln_nuly();
    void otevreni_portu_data();
    void otevreni_portu();
    void na_lince_data();
    void na_lince();
    void davka_bez_dotazu();
    void odezva_na_case();
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

void test_linka::prijem_data() {
    QTest::addColumn<bool>("prepnuti"); // "XR005=1" awaited, else a status reply
    QTest::addColumn<QList<QByteArray>>("kusy");
    QTest::addColumn<QStringList>("zaznam");
    using L = QList<QByteArray>;
    const QByteArray& s = s_paket;
    const QStringList potvrzeno{"povol", "zakaz", "panel3=XS"};
    const QStringList stav{"panel3=", "zobraz 5", "povol"};
    QTest::newRow("noise, split ack")
        << true << L{"\x01\xffnoise\rXR0", "05=", "1\r\n"} << potvrzeno;
    QTest::newRow("two packets in one batch") << true << L{"XR005=1\r\n" + s} << potvrzeno + stav;
    QTest::newRow("lowercase x") << true << L{"xR005=1\r\n"} << chyba(neznamy);
    QTest::newRow("lone line feed") << false << L{"\n"} << chyba(neznamy);
    QTest::newRow("R without CR") << true << L{"XR005=1\n"} << chyba(cekam_r);
    QTest::newRow("S while ack awaited") << true << L{s} << chyba(cekam_s);
    QTest::newRow("S of 131 bytes") << false << L{s.left(129) + "\r\n"} << chyba(cekam_s);
    QTest::newRow("S of 133 bytes") << false << L{s.left(130) + "0\r\n"} << chyba(cekam_s);
    // An overlong line is cut and reported once; its rest is dropped up to its line feed or the
    // next "X", whichever comes first.
    QTest::newRow("flood without line feeds")
        << false << L{QByteArray(64 * 1024, 'X'), "\r\n" + s} << chyba(neznamy) + stav;
    QTest::newRow("overlong line, then the reply")
        << false << L{"X" + QByteArray(1100, 'a'), "aaa" + s} << chyba(neznamy) + stav;
}

void test_linka::prijem() {
    QFETCH(bool, prepnuti);
    QFETCH(QList<QByteArray>, kusy);
    QFETCH(QStringList, zaznam);
    sestava z;
    prepnuti ? z.l.posli_prikaz(5, true) : z.l.nacti_status();
    z.okno.zaznam.clear();
    for (const QByteArray& kus : kusy) {
        z.l.precti_data_z_portu(kus);
        QVERIFY(z.l.prijem().prijimany_paket().size() <= prijimac::nejvetsi_paket);
    }
    QCOMPARE(z.okno.zaznam, zaznam);
    QCOMPARE(z.l.prijem().cekajici_bajty(), 0);
}

void test_linka::behem_zpravy_data() {
    QTest::addColumn<QByteArray>("spoustec"); // bytes that are reported; none: the watchdog fires
    QTest::addColumn<QString>("detail");
    QTest::newRow("timeout") << QByteArray() << vyprsel;
    QTest::newRow("wrong acknowledgement") << QByteArray("XR005=0\r\n") << cekam_r;
}

void test_linka::behem_zpravy() {
    QFETCH(QByteArray, spoustec);
    QFETCH(QString, detail);
    sestava z;
    z.l.posli_prikaz(5, true);
    z.okno.zaznam.clear();
    const QByteArray& s = s_paket;
    z.behem_zpravy = [&] {
        // The operator leaves the box open: the timers tick and the line goes on talking.
        for (int i = 0; i < 5; ++i) {
            z.l.tik_watchdog_timeru();
            z.l.tik_status_timeru();
        }
        if (z.zpravy.zpravy.size() > 1)
            return;
        z.l.precti_data_z_portu(s.mid(20));
        z.l.com_port_OnComm(klasifikuj_udalost(1006));
        z.l.com_port_OnComm(klasifikuj_udalost(1008));
        z.l.precti_data_z_portu("\n");
    };
    z.l.precti_data_z_portu(spoustec + s.left(20));
    if (spoustec.isEmpty())
        z.l.tik_watchdog_timeru();
    // One box at a time, one query after it; what came while the box was open belongs to it (the
    // stray line feed is not reported on its own), then the first line error.
    QCOMPARE(z.okno.zaznam, chyba(detail) + QStringList{"!Overrun Error"});
}

void test_linka::citac_statusu() {
    sestava z;
    z.l.nacti_status();
    z.okno.zaznam.clear();
    // A reply is outstanding: ticks are counted, no query is sent.
    for (int i = 0; i < 70000; ++i)
        z.l.tik_status_timeru();
    QCOMPARE(z.l.citac_statusu(), qint16(32767));
    QVERIFY(z.okno.zaznam.isEmpty());
    z.l.zastav_watchdog_timer();
    z.l.tik_status_timeru();
    QCOMPARE(z.okno.zaznam, QStringList({"zakaz", "panel3=XS"}));
}

void test_linka::dopln_nuly() {
    const char* const radky[][2] = {{"5", "005"},   {"42", "042"}, {"127", "127"},
                                    {"---", "---"}, {"", ""},      {"1000", ""}};
    for (const auto& [cislo, na_lince] : radky)
        QCOMPARE(tarvik::dopln_nuly(cislo), QString(na_lince));
}

void test_linka::otevreni_portu_data() {
    QTest::addColumn<QByteArray>("com");
    QTest::addColumn<bool>("drzen"); // another opener holds the device
    QTest::addColumn<QString>("zprava");
    QTest::newRow("free") << QByteArray("1") << false << QString();
    QTest::newRow("missing device")
        << QByteArray("4") << false << QStringLiteral("Chyba při otevírání sériového portu.");
    QTest::newRow("held") << QByteArray("1") << true
                          << QStringLiteral(
                                 "Sériový port je již otevřen jiným programem. Zkontrolujte zda "
                                 "program není již spuštěn na liště. Pokud nic nepomůže, zkuste "
                                 "restartovat počítač.");
}

void test_linka::otevreni_portu() {
    QFETCH(QByteArray, com);
    QFETCH(bool, drzen);
    QFETCH(QString, zprava);
    sestava s;
    QVERIFY2(s.sim.bezi(), qPrintable(s.sim.chyba()));
    s.slozka.write(QStringLiteral("tarvik.ini"), "[system]\r\ncom=" + com + "\r\n");
    QFile::link(s.slozka.file("gone"), s.slozka.file("dosdevices/com4"));
    fake_okno jine_okno;
    linka jina(jine_okno);
    QVERIFY(!drzen || jina.otevri_port(s.slozka.ini()));
    QCOMPARE(s.l.otevri_port(s.slozka.ini()), zprava.isEmpty());
    QCOMPARE(s.okno.zaznam, QStringList{zprava.isEmpty() ? "panel2=COM1" : "!" + zprava});
    for (const auto& m : s.zpravy.zpravy)
        QCOMPARE(m.titulek, QStringLiteral("Tarvik - chyba"));
}

void test_linka::na_lince_data() {
    QTest::addColumn<porucha>("rezim");
    QTest::addColumn<QByteArray>("podvrh");   // received as is, instead of switching 5 on
    QTest::addColumn<QByteArray>("na_lince"); // what the program sent, in order
    QTest::addColumn<QStringList>("zaznam");
    const QByteArray prepnuti("XA\r\nXW005=1\r\nXA\r\n");
    const QStringList prikaz{"zakaz", "panel3=XR005=1"};
    const QStringList potvrzeno = prikaz + QStringList{"povol", "zakaz", "panel3=XS"};
    const QStringList stav{"panel3=", "zobraz 1,2", "povol"};
    const QStringList stav5{"panel3=", "zobraz 1,2,5", "povol"};
    QTest::newRow("switch") << porucha::zadna << QByteArray() << prepnuti << potvrzeno + stav5;
    QTest::newRow("wrong acknowledgement")
        << porucha::spatne_potvrzeni << QByteArray() << prepnuti << prikaz + chyba(cekam_r) + stav;
    QTest::newRow("malformed S") << porucha::spatny_s_paket << QByteArray() << prepnuti + "XA\r\n"
                                 << potvrzeno + chyba(cekam_s) + stav5;
    QTest::newRow("unexpected type") << porucha::zadna << QByteArray("XQ\r\n")
                                     << QByteArray("XA\r\nXA\r\n") << chyba(neznamy) + stav;
    QTest::newRow("timeout") << porucha::mlci << QByteArray() << prepnuti
                             << prikaz + chyba(vyprsel) + stav;
}

void test_linka::na_lince() {
    QFETCH(porucha, rezim);
    QFETCH(QByteArray, podvrh);
    QFETCH(QByteArray, na_lince);
    QFETCH(QStringList, zaznam);
    sestava s;
    QVERIFY(s.otevri());
    s.l.nacti_status(); // as at start-up
    QVERIFY(s.cekej_na_klid());
    s.okno.zaznam.clear();
    s.sim->nastav_rezim(rezim);
    // The controller behaves again by the time the operator has read the message.
    s.behem_zpravy = [&] { s.sim->nastav_rezim(porucha::zadna); };
    if (podvrh.isEmpty())
        s.l.posli_prikaz(5, true);
    else
        s.l.precti_data_z_portu(podvrh);
    if (rezim == porucha::mlci) {
        QVERIFY(s.sim.cekej_na_klid(13));
        s.l.tik_watchdog_timeru(); // the ten seconds are up
    }
    QVERIFY(s.cekej_na_klid());
    QVERIFY(!s.odemceno);
    QCOMPARE(s.okno.zaznam, zaznam);
    for (const zprava& m : s.zpravy.zpravy)
        QCOMPARE(m.titulek, QStringLiteral("Tarvik - chyba"));
    QCOMPARE(s.sim->prijato(), na_lince);
    QCOMPARE(zapnute(s.l.stav_stykacu()), zapnute(s.sim->stavy()));
}

void test_linka::chyby_linky_data() {
    QTest::addColumn<int>("kod");
    QTest::addColumn<QString>("text"); // empty: passed over silently
    QTest::addColumn<bool>("storno");
    for (int kod : {1, 2, 3, 4, 5, 6, 7, 1001, 1004, 1009})
        QTest::addRow("%d", kod) << kod << QString() << false;
    QTest::newRow("1002") << 1002 << QStringLiteral("CTS Timeout") << false;
    QTest::newRow("1003") << 1003 << QStringLiteral("DSR Timeout") << false;
    QTest::newRow("1006") << 1006 << QStringLiteral("Overrun Error") << false;
    QTest::newRow("1007") << 1007 << QStringLiteral("Carrier Detect Timeout") << false;
    QTest::newRow("1008") << 1008 << QStringLiteral("Receive Buffer Overflow") << false;
    QTest::newRow("1010") << 1010 << QStringLiteral("Transmit Buffer Full") << false;
    for (int kod : {1005, -1, 8, 1000, 1011})
        QTest::addRow("%d", kod) << kod << QStringLiteral("Unknown error or event") << false;
    QTest::newRow("Cancel") << 1008 << QStringLiteral("Receive Buffer Overflow") << true;
}

void test_linka::chyby_linky() {
    QFETCH(int, kod);
    QFETCH(QString, text);
    QFETCH(bool, storno);
    sestava s;
    QVERIFY(s.otevri());
    s.zpravy.odpovedi.push_back(storno ? odpoved_zpravy::storno : odpoved_zpravy::ok);
    s.l.com_port_OnComm(klasifikuj_udalost(kod));
    QCOMPARE(s.zpravy.texty(), text.isEmpty() ? QStringList() : QStringList{text});
    for (const zprava& m : s.zpravy.zpravy) {
        QCOMPARE(m.titulek, QStringLiteral("Cancel - Konec, Ok - ignoruj chybu"));
        QCOMPARE(m.tlacitka, tlacitka_zpravy::ok_storno);
        QCOMPARE(m.text_ok + m.text_storno, QStringLiteral("OKCancel"));
        QVERIFY(m.cely_titulek);
    }
    QCOMPARE(s.l.port_otevren(), !storno);
}

// A controller gone wild while the link is idle: one box, everything that came while it was open
// belongs to it, then one query, and the switches end at the controller's state.
void test_linka::davka_bez_dotazu() {
    sestava s;
    QVERIFY(s.otevri());
    s.l.nacti_status();
    QVERIFY(s.cekej_na_klid());
    s.sim->vymaz_zaznam();
    s.sim->nastav_stav(7, true); // behind the program's back
    // The operator reads the box until the whole burst is in.
    s.behem_zpravy = [&] {
        QVERIFY(testovaci_simulator::cekej([&] { return !s.sim->odesila(); }));
        QTest::qWait(100);
    };
    s.sim->vysli_davku(200);
    QVERIFY(testovaci_simulator::cekej([&] { return !s.zpravy.zpravy.isEmpty(); }));
    QVERIFY(s.cekej_na_klid());
    QTest::qWait(100);
    QCOMPARE(s.zpravy.texty(), QStringList{"Chyba komunikace. Chyba - " + cekam_s});
    QCOMPARE(s.sim->prijato(), QByteArray("XA\r\n"));
    QCOMPARE(zapnute(s.l.stav_stykacu()), zapnute(s.sim->stavy()));
    QCOMPARE(s.l.prijem().cekajici_bajty(), 0);
}

// The real timers against real pseudo-terminals, both at once: a reply 9.9 s after the query is
// accepted, and silence is reported no sooner than 10 s after the query went out.
void test_linka::odezva_na_case() {
    sestava pozdni;
    QVERIFY(pozdni.otevri());
    sestava mlcici;
    QVERIFY(mlcici.otevri());
    pozdni.sim->nastav_zpozdeni(9900);
    mlcici.sim->nastav_rezim(porucha::mlci);
    qint64 hlaseno_po = -1;
    QElapsedTimer od_dotazu;
    mlcici.behem_zpravy = [&] {
        if (hlaseno_po < 0)
            hlaseno_po = od_dotazu.elapsed();
        mlcici.sim->nastav_rezim(porucha::zadna);
    };
    od_dotazu.start();
    mlcici.l.nacti_status();
    pozdni.l.nacti_status();
    mlcici.l.watchdog_timer().start(300); // a timer that fires far too early
    pozdni.l.watchdog_timer().start(9800);
    QVERIFY(testovaci_simulator::cekej(
        [&] { return hlaseno_po >= 0 && pozdni.l.ocekavana_odpoved().isEmpty(); }, 13000));
    QVERIFY(pozdni.zpravy.zpravy.isEmpty());
    QCOMPARE(zapnute(pozdni.l.stav_stykacu()), QStringLiteral("1,2"));
    QVERIFY2(hlaseno_po >= 10000, qPrintable(QString::number(hlaseno_po)));
    QCOMPARE(mlcici.zpravy.texty(), QStringList{"Chyba komunikace. Chyba - " + vyprsel});
}

void test_linka::zmizele_zarizeni_data() {
    QTest::addColumn<bool>("zpet"); // the device is back, at a new node, before the box is answered
    QTest::addColumn<bool>("storno");
    QTest::addColumn<QStringList>("zpravy");
    const QString ztraceno = QStringLiteral("Serial Device Lost");
    QTest::newRow("back, OK") << true << false << QStringList{ztraceno};
    QTest::newRow("missing, OK") << false << false
                                 << QStringList{ztraceno, "Chyba při otevírání sériového portu."};
    QTest::newRow("Cancel") << true << true << QStringList{ztraceno};
}

void test_linka::zmizele_zarizeni() {
    QFETCH(bool, zpet);
    QFETCH(bool, storno);
    QFETCH(QStringList, zpravy);
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
    s.okno.zaznam.clear();
    s.sim->vymaz_zaznam();
    s.l.posli_prikaz(5, true);
    s.sim->zaves(); // before its acknowledgement
    QVERIFY(testovaci_simulator::cekej([&] { return !s.zpravy.zpravy.isEmpty(); }));
    QTest::qWait(100); // a device that stays gone would go on reporting itself
    s.behem_zpravy = {};
    QCOMPARE(s.zpravy.texty(), zpravy);
    if (storno) {
        // The port stays closed: not even the operator's request opens it.
        s.l.aktualizuj_stav();
        QTest::qWait(100);
        QVERIFY(!s.l.port_otevren());
        QVERIFY(s.sim->prijato().isEmpty());
        return;
    }
    if (!zpet) {
        // Nothing claims a line: panel 2 is empty, nothing is awaited, polls send nothing and
        // report nothing, the status request is free.
        QVERIFY(s.okno.zaznam.contains(QStringLiteral("panel2=")));
        QVERIFY(!s.zamceno() && !s.l.watchdog_timer().isActive());
        s.okno.zaznam.clear();
        for (int i = 0; i < 3; ++i)
            s.l.tik_status_timeru();
        QVERIFY(s.okno.zaznam.isEmpty());
        // The device comes back; the operator's request brings the line back.
        QVERIFY(s.sim->spust());
        s.l.aktualizuj_stav();
    }
    QVERIFY(s.sim->cesta_zarizeni() != stare);
    QVERIFY(s.okno.zaznam.contains(QStringLiteral("panel2=COM1")));
    QVERIFY(s.cekej_na_klid());
    s.l.posli_prikaz(5, true);
    QVERIFY(s.cekej_na_klid());
    QCOMPARE(s.sim->prijato(), QByteArray("XA\r\nXW005=1\r\nXA\r\n"));
    QCOMPARE(zapnute(s.l.stav_stykacu()), QStringLiteral("1,2,5"));
    QCOMPARE(s.zpravy.texty(), zpravy);
}

// Where an open is refused, which message it earns.
void test_linka::klasifikace_otevreni_data() {
    QTest::addColumn<int>("cislo");
    QTest::addColumn<QSerialPort::SerialPortError>("chyba");
    QTest::addColumn<stav_zamku>("zamek");
    QTest::addColumn<int>("chyba_systemu");
    QTest::addColumn<bool>("obsazen");
    using Q = QSerialPort;
    QTest::newRow("lock of a running process")
        << 1 << Q::PermissionError << stav_zamku::drzi_bezici_proces << 0 << true;
    QTest::newRow("exclusive use by another process")
        << 1 << Q::PermissionError << stav_zamku::zadny << EBUSY << true;
    QTest::newRow("lock of a dead process")
        << 1 << Q::PermissionError << stav_zamku::po_mrtvem_procesu << 0 << false;
    QTest::newRow("access refused")
        << 1 << Q::PermissionError << stav_zamku::zadny << EACCES << false;
    QTest::newRow("missing device")
        << 4 << Q::DeviceNotFoundError << stav_zamku::zadny << 0 << false;
    QTest::newRow("missing device, stale lock of a running process")
        << 4 << Q::DeviceNotFoundError << stav_zamku::drzi_bezici_proces << 0 << false;
    QTest::newRow("port 0") << 0 << Q::PermissionError << stav_zamku::drzi_bezici_proces << 0
                            << false;
}

void test_linka::klasifikace_otevreni() {
    QFETCH(int, cislo);
    QFETCH(QSerialPort::SerialPortError, chyba);
    QFETCH(stav_zamku, zamek);
    QFETCH(int, chyba_systemu);
    QFETCH(bool, obsazen);
    QCOMPARE(klasifikuj_selhani_otevreni({cislo, chyba, zamek, chyba_systemu}),
             obsazen ? vysledek_otevreni::obsazen : vysledek_otevreni::chyba);
}

// The same, end to end: an operator's program (this test run as "nobody") opening COM1.
void test_linka::otevreni_jinym_uzivatelem_data() {
    QTest::addColumn<QString>("pripad");
    QTest::addColumn<int>("vysledek");
    QTest::newRow("access refused") << "odepreno" << int(vysledek_otevreni::chyba);
    QTest::newRow("lock of a dead process") << "mrtvy" << int(vysledek_otevreni::chyba);
    QTest::newRow("lock of a running process") << "drzi" << int(vysledek_otevreni::obsazen);
}

void test_linka::otevreni_jinym_uzivatelem() {
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
    const QString zamek =
        QStringLiteral("/run/lock/LCK..") + s.sim->cesta_zarizeni().mid(5).replace(u'/', u'_');
    fake_okno jine_okno;
    linka drzitel(jine_okno);
    if (pripad == u"drzi")
        QVERIFY(drzitel.otevri_port(s.slozka.ini()));
    if (pripad == u"mrtvy") {
        QProcess skonceny;
        skonceny.start(QStringLiteral("true"));
        QVERIFY(skonceny.waitForFinished());
        QFile f(zamek);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::number(skonceny.processId()) + "\ntarvik\n" +
                QSysInfo::machineHostName().toUtf8() + "\n");
    }
    QProcess program;
    QProcessEnvironment prostredi = QProcessEnvironment::systemEnvironment();
    prostredi.insert(QStringLiteral("TARVIK_TEST_OTEVRI"), s.slozka.path());
    program.setProcessEnvironment(prostredi);
    program.start(setpriv, {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                            QCoreApplication::applicationFilePath()});
    QVERIFY(program.waitForFinished(20000));
    if (pripad == u"mrtvy") {
        QVERIFY(QFile::exists(zamek)); // the other user could not remove it
        QFile::remove(zamek);
    }
    QCOMPARE(program.exitCode(), 10 + vysledek);
}

// The program itself, ended by the system or by losing its display: the port is closed as on a
// normal close, and no lock file is left for the next operator.
void test_linka::konec_bez_zamku_data() {
    QTest::addColumn<int>("signal"); // 0: the display server goes away
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("display lost") << 0;
}

void test_linka::konec_bez_zamku() {
    QFETCH(int, signal);
    const QString program = qEnvironmentVariable("TARVIK_BIN_DIR") + QStringLiteral("/tarvik");
    if (!QFile::exists(program))
        QSKIP("the program is not built");
    QProcess displej;
    QProcessEnvironment prostredi = QProcessEnvironment::systemEnvironment();
    if (signal == 0) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("needs Xvfb");
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
    const QString zamek =
        QStringLiteral("/run/lock/LCK..") + s.sim->cesta_zarizeni().mid(5).replace(u'/', u'_');
    QProcess tarvik;
    tarvik.setProcessEnvironment(prostredi);
    tarvik.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tarvik.start(kopie, QStringList());
    QVERIFY(testovaci_simulator::cekej([&] { return s.sim->prijato().contains("XA\r\n"); }, 30000));
    QVERIFY(QFile::exists(zamek));
    if (signal)
        ::kill(pid_t(tarvik.processId()), signal);
    else
        displej.kill();
    QVERIFY(tarvik.waitForFinished(20000));
    QCOMPARE(tarvik.exitStatus(), QProcess::NormalExit);
    QVERIFY(!QFile::exists(zamek));
    displej.waitForFinished();
}

void test_linka::nahodne_poruchy() {
    // Switching cycles against a controller that misbehaves at random (seeded): the fault is
    // chosen anew for every command and every message. The watchdog fires as soon as the line
    // has fallen silent.
    sestava s;
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
    const auto dokonci = [&] {
        while (!s.cekej_na_klid(40))
            if (!s.sim->odesila())
                s.l.tik_watchdog_timeru();
    };
    qsizetype zprav = 0;
    qint64 stranky_ctvrt = 0;
    for (int cyklus = 0; cyklus < 600; ++cyklus) {
        if (cyklus == 150)
            stranky_ctvrt = rezidentni_stranky();
        s.behem_zpravy(); // the fault for this command
        if (nahoda.bounded(8) == 0)
            s.l.tik_status_timeru();
        else
            s.l.posli_prikaz(nahoda.bounded(pocet_stykacu), nahoda.bounded(2));
        dokonci();
        QVERIFY(s.l.prijem().prijimany_paket().size() <= prijimac::nejvetsi_paket);
        zprav += s.zpravy.zpravy.size();
        s.zpravy.vymaz();
        s.okno.zaznam.clear();
        s.sim->vymaz_zaznam();
    }
    QVERIFY(zprav > 60); // the faults did happen

    // The controller behaves again: once late replies have been reported and answered, the
    // states are the controller's.
    s.behem_zpravy = {};
    s.sim->nastav_rezim(porucha::zadna);
    s.sim->nastav_zpozdeni(0);
    for (int pokus = 0; pokus < 10 && (pokus == 0 || !s.zpravy.zpravy.isEmpty()); ++pokus) {
        dokonci();
        s.zpravy.vymaz();
        s.l.nacti_status();
        dokonci();
    }
    QVERIFY(s.zpravy.zpravy.isEmpty() && !s.odemceno);
    QCOMPARE(zapnute(s.l.stav_stykacu()), zapnute(s.sim->stavy()));
    // The last three quarters of the run must not grow the process. AddressSanitizer keeps freed
    // memory in quarantine, which looks like growth: CTest runs this test with it switched off.
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
    test_linka test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_linka.moc"
