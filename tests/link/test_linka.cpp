// The link: its receiver and message boxes against a recording window, then the whole line
// against the controller simulator through a real serial port on a pseudo-terminal.

#include "link/linka.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"
#include "tarvik-sim/sim_fixture.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

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
private slots:
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
    void odpoved_behem_zpravy_se_precte();
    void chyby_linky_data();
    void chyby_linky();
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
    QTest::newRow("flood without line feeds")
        << false << L(64, QByteArray(64 * 1024, 'X')) + L{"\r\n" + s} << chyba(neznamy) + stav;
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
    // One box at a time, one query after it; then the first line error, then the waiting bytes
    // in order: the status reply answers that query, the stray line feed is reported.
    const QStringList mezi{"!Overrun Error", "panel3=", "zobraz 5", "povol"};
    QCOMPARE(z.okno.zaznam, chyba(detail) + mezi + chyba(neznamy));
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

// A reply that reaches the port while a packet's message box is open is read when the box
// closes, even when nothing more comes after it.
void test_linka::odpoved_behem_zpravy_se_precte() {
    sestava s;
    QVERIFY(s.otevri());
    s.l.nacti_status();
    QVERIFY(s.cekej_na_klid());
    s.sim->nastav_rezim(porucha::spatne_potvrzeni);
    s.behem_zpravy = [&] {
        s.sim->nastav_rezim(porucha::zadna);
        s.l.com_port().posli("XA\r\n");
        QVERIFY(s.sim.cekej_na_klid(4 + 9 + 4)); // its S packet is on the line now
        s.sim->nastav_rezim(porucha::mlci);      // and nothing answers the query after the box
    };
    s.l.posli_prikaz(5, true);
    QVERIFY(s.cekej_na_klid(3000));
    QCOMPARE(s.zpravy.texty(), QStringList{"Chyba komunikace. Chyba - " + cekam_r});
}

void test_linka::chyby_linky_data() {
    QTest::addColumn<int>("kod");      // 0: the device vanishes
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
    QTest::newRow("device vanished") << 0 << QStringLiteral("Serial Device Lost") << false;
}

void test_linka::chyby_linky() {
    QFETCH(int, kod);
    QFETCH(QString, text);
    QFETCH(bool, storno);
    sestava s;
    QVERIFY(s.otevri());
    s.zpravy.odpovedi.push_back(storno ? odpoved_zpravy::storno : odpoved_zpravy::ok);
    if (kod) {
        s.l.com_port_OnComm(klasifikuj_udalost(kod));
    } else {
        s.sim->zaves();
        QVERIFY(testovaci_simulator::cekej([&] { return !s.zpravy.zpravy.isEmpty(); }));
        QTest::qWait(100); // a device that stays gone would go on reporting itself
    }
    QCOMPARE(s.zpravy.texty(), text.isEmpty() ? QStringList() : QStringList{text});
    for (const zprava& m : s.zpravy.zpravy) {
        QCOMPARE(m.titulek, QStringLiteral("Cancel - Konec, Ok - ignoruj chybu"));
        QCOMPARE(m.tlacitka, tlacitka_zpravy::ok_storno);
    }
    QCOMPARE(s.l.port_otevren(), kod && !storno);
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

QTEST_MAIN(test_linka)
#include "test_linka.moc"
