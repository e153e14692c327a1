#include "fake_okno.h"
#include "link/linka.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tarvik;
using tarvik::test::fake_okno;
using tarvik::test::message_recorder;

namespace {

const QString uvod = QStringLiteral("Chyba komunikace. Chyba - ");
const QString neznamy = QStringLiteral("Neznámý typ paketu.");
const QString cekam_r = QStringLiteral("Je očekáván R paket.");
const QString cekam_s = QStringLiteral("Je očekáván S paket. Nebo špatný S-paket.");
const QString vyprsel = QStringLiteral("Timeout. Vypršel čas odezvy.");

QByteArray s_paket(const QByteArray& stavy) {
    return "XS" + stavy + "\r\n";
}
QByteArray s_paket_se_stavy(std::initializer_list<int> zapnute) {
    QByteArray stavy(pocet_stykacu, '0');
    for (int k : zapnute)
        stavy[k] = '1';
    return s_paket(stavy);
}

enum class pocatek { klid, ceka_r, ceka_s };

void priprav(linka& l, fake_okno& okno, pocatek p) {
    switch (p) {
    case pocatek::klid:
        break;
    case pocatek::ceka_r:
        l.posli_prikaz(QStringLiteral("5"), true);
        break;
    case pocatek::ceka_s:
        l.nacti_status();
        break;
    }
    okno.zaznam.clear();
}

} // namespace

Q_DECLARE_METATYPE(pocatek)

class test_linka : public QObject {
    Q_OBJECT
private slots:
    void nacti_status();
    void posli_prikaz_data();
    void posli_prikaz();
    void potvrzeni_vede_k_dotazu();
    void platny_s_paket();
    void chybne_pakety_data();
    void chybne_pakety();
    void dva_pakety_v_jedne_davce();
    void tik_statusu();
    void citac_statusu_nepretece();
    void restartuj_status_timer();
    void timeout();
    void timeout_se_nehromadi();
    void tik_statusu_behem_zpravy();
    void data_behem_zpravy_cekaji();
    void data_behem_timeoutu_cekaji();
    void chyba_linky_data();
    void chyba_linky();
    void chyba_linky_behem_zpravy();
    void otevri_port_data();
    void otevri_port();
};

void test_linka::nacti_status() {
    fake_okno okno;
    linka l(okno);
    l.nacti_status();
    QCOMPARE(okno.zaznam, QStringList({"zakaz", "panel3=XS"}));
    QCOMPARE(l.ocekavana_odpoved(), QByteArray("XS"));
    QVERIFY(l.nacitani_statusu());
    QVERIFY(l.watchdog_timer().isActive());
    QCOMPARE(l.watchdog_timer().interval(), 10000);
    QVERIFY(!l.status_timer().isActive());
}

void test_linka::posli_prikaz_data() {
    QTest::addColumn<QString>("cislo");
    QTest::addColumn<bool>("zapnout");
    QTest::addColumn<QByteArray>("odpoved");
    QTest::addColumn<QString>("panel");
    QTest::newRow("5 on") << "5" << true << QByteArray("XR005=1\r\n") << "XR005=1";
    QTest::newRow("42 off") << "42" << false << QByteArray("XR042=0\r\n") << "XR042=0";
    QTest::newRow("127 on") << "127" << true << QByteArray("XR127=1\r\n") << "XR127=1";
}

void test_linka::posli_prikaz() {
    QFETCH(QString, cislo);
    QFETCH(bool, zapnout);
    QFETCH(QByteArray, odpoved);
    QFETCH(QString, panel);
    fake_okno okno;
    linka l(okno);
    l.posli_prikaz(cislo, zapnout);
    QCOMPARE(okno.zaznam, QStringList({"zakaz", "panel3=" + panel}));
    QCOMPARE(l.ocekavana_odpoved(), odpoved);
    QVERIFY(l.watchdog_timer().isActive());
    QVERIFY(!l.nacitani_statusu());
}

void test_linka::potvrzeni_vede_k_dotazu() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_r);
    // The acknowledgement arrives in three pieces, after noise.
    l.precti_data_z_portu("\x01noiseXR0");
    l.precti_data_z_portu("05=");
    QVERIFY(okno.zaznam.isEmpty());
    l.precti_data_z_portu("1\r\n");
    QCOMPARE(okno.zaznam, QStringList({"povol", "zakaz", "panel3=XS"}));
    QCOMPARE(l.ocekavana_odpoved(), QByteArray("XS"));
    QVERIFY(l.watchdog_timer().isActive());
    QVERIFY(zpravy.zpravy.isEmpty());
}

void test_linka::platny_s_paket() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_s);
    bool nacitani_pri_zobrazeni = false;
    QString panel3_pri_zobrazeni = QStringLiteral("?");
    okno.pri_zobrazeni = [&] {
        nacitani_pri_zobrazeni = l.nacitani_statusu();
        panel3_pri_zobrazeni = okno.panely[3];
    };
    l.tik_status_timeru(); // a reply is outstanding: counted, nothing sent
    QCOMPARE(l.citac_statusu(), qint16(1));
    l.precti_data_z_portu(s_paket_se_stavy({0, 5, 127}));
    QCOMPARE(okno.zaznam, QStringList({"panel3=", "zobraz", "povol"}));
    QVERIFY(nacitani_pri_zobrazeni); // cleared only after the cells were set
    QCOMPARE(panel3_pri_zobrazeni, QString());
    QVERIFY(!l.nacitani_statusu());
    QCOMPARE(l.ocekavana_odpoved(), QByteArray());
    QCOMPARE(l.citac_statusu(), qint16(0));
    QVERIFY(!l.watchdog_timer().isActive());
    for (int k = 0; k < pocet_stykacu; ++k) {
        const bool zap = k == 0 || k == 5 || k == 127;
        QCOMPARE(l.stav_stykacu()[k], zap);
        QCOMPARE(okno.zobrazeny_stav[k], zap);
    }
    QVERIFY(zpravy.zpravy.isEmpty());
}

void test_linka::chybne_pakety_data() {
    QTest::addColumn<pocatek>("stav");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("detail");
    const QByteArray s = s_paket(QByteArray(pocet_stykacu, '1'));
    QByteArray spatny_znak = s;
    spatny_znak[70] = '2';

    QTest::newRow("ack with other value")
        << pocatek::ceka_r << QByteArray("XR005=0\r\n") << cekam_r;
    QTest::newRow("ack with other number")
        << pocatek::ceka_r << QByteArray("XR006=1\r\n") << cekam_r;
    QTest::newRow("ack without CR") << pocatek::ceka_r << QByteArray("XR005=1\n") << cekam_r;
    QTest::newRow("S while ack awaited") << pocatek::ceka_r << s << cekam_s;
    QTest::newRow("R while status awaited")
        << pocatek::ceka_s << QByteArray("XR005=1\r\n") << cekam_r;
    QTest::newRow("S of 131 bytes") << pocatek::ceka_s << s.left(129) + "\r\n" << cekam_s;
    QTest::newRow("S of 133 bytes") << pocatek::ceka_s << s.left(130) + "1\r\n" << cekam_s;
    QTest::newRow("S with bad state") << pocatek::ceka_s << spatny_znak << cekam_s;
    QTest::newRow("S while idle") << pocatek::klid << s << cekam_s;
    QTest::newRow("R while idle") << pocatek::klid << QByteArray("XR005=1\r\n") << cekam_r;
    QTest::newRow("lone line feed") << pocatek::ceka_s << QByteArray("\n") << neznamy;
    QTest::newRow("lowercase x") << pocatek::ceka_r << QByteArray("xR005=1\r\n") << neznamy;
    QTest::newRow("unknown type") << pocatek::ceka_s << QByteArray("XA\r\n") << neznamy;
    QTest::newRow("flood without line feed")
        << pocatek::ceka_s << "XS" + QByteArray(5000, '1') + "\r\n"
        << cekam_s;
}

void test_linka::chybne_pakety() {
    QFETCH(pocatek, stav);
    QFETCH(QByteArray, data);
    QFETCH(QString, detail);
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, stav);
    l.precti_data_z_portu(data);

    QCOMPARE(zpravy.zpravy.size(), 1);
    const zprava& z = zpravy.zpravy.first();
    QCOMPARE(z.text, uvod + detail);
    QCOMPARE(z.titulek, QStringLiteral("Tarvik - chyba"));
    QCOMPARE(z.ikona, ikona_zpravy::kriticka);
    QCOMPARE(z.tlacitka, tlacitka_zpravy::ok);
    // Then a new status query; the states and cells are not touched.
    QCOMPARE(okno.zaznam, QStringList({"zakaz", "panel3=XS"}));
    QCOMPARE(l.ocekavana_odpoved(), QByteArray("XS"));
    QVERIFY(l.watchdog_timer().isActive());
    QCOMPARE(okno.pocet_zobrazeni, 0);
    QCOMPARE(l.stav_stykacu(), stavy_stykacu{});
}

void test_linka::dva_pakety_v_jedne_davce() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_r);
    l.precti_data_z_portu("XR005=1\r\n" + s_paket_se_stavy({5}));
    QCOMPARE(okno.zaznam,
             QStringList({"povol", "zakaz", "panel3=XS", "panel3=", "zobraz", "povol"}));
    QVERIFY(l.stav_stykacu()[5]);
    QVERIFY(zpravy.zpravy.isEmpty());
}

void test_linka::tik_statusu() {
    fake_okno okno;
    linka l(okno);
    l.tik_status_timeru();
    QCOMPARE(okno.dotazy(), 1);
    QCOMPARE(l.citac_statusu(), qint16(0));
    // Outstanding reply: ticks are counted, nothing is sent.
    l.tik_status_timeru();
    l.tik_status_timeru();
    QCOMPARE(okno.dotazy(), 1);
    QCOMPARE(l.citac_statusu(), qint16(2));
    l.precti_data_z_portu(s_paket_se_stavy({}));
    QCOMPARE(l.citac_statusu(), qint16(0));
    l.tik_status_timeru();
    QCOMPARE(okno.dotazy(), 2);
}

void test_linka::citac_statusu_nepretece() {
    fake_okno okno;
    linka l(okno);
    l.nacti_status();
    for (int i = 0; i < 70000; ++i)
        l.tik_status_timeru();
    QCOMPARE(l.citac_statusu(), qint16(32767));
    QCOMPARE(okno.dotazy(), 1);
    l.zastav_watchdog_timer();
    l.tik_status_timeru();
    QCOMPARE(okno.dotazy(), 2);
    QCOMPARE(l.citac_statusu(), qint16(0));
}

void test_linka::restartuj_status_timer() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    // Administrator mode: polling is off; a late status reply sets the cells, whose changes
    // restart the period, and polling must stay off.
    l.nacti_status();
    okno.pri_zobrazeni = [&] { l.restartuj_status_timer(); };
    l.precti_data_z_portu(s_paket_se_stavy({1}));
    QVERIFY(!l.status_timer().isActive());

    l.spust_status_timer();
    QCOMPARE(l.status_timer().interval(), 60000);
    l.restartuj_status_timer();
    QVERIFY(l.status_timer().isActive());
    l.zastav_status_timer();
    QVERIFY(!l.status_timer().isActive());
}

void test_linka::timeout() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_r);
    bool watchdog_behem_zpravy = false;
    zpravy.behem_zpravy = [&](const zprava&) {
        watchdog_behem_zpravy = l.watchdog_timer().isActive();
    };
    l.tik_watchdog_timeru();
    QCOMPARE(zpravy.texty(), QStringList{uvod + vyprsel});
    QVERIFY(watchdog_behem_zpravy);
    QCOMPARE(okno.zaznam, QStringList({"zakaz", "panel3=XS"}));
    QCOMPARE(l.ocekavana_odpoved(), QByteArray("XS"));
}

void test_linka::timeout_se_nehromadi() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_s);
    zpravy.behem_zpravy = [&](const zprava&) {
        // The operator leaves the box open: the watchdog and the status timer go on ticking.
        for (int i = 0; i < 5; ++i) {
            l.tik_watchdog_timeru();
            l.tik_status_timeru();
        }
    };
    l.tik_watchdog_timeru();
    QCOMPARE(zpravy.zpravy.size(), 1);
    QCOMPARE(okno.dotazy(), 1); // one follow-up query, after the box
}

void test_linka::tik_statusu_behem_zpravy() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_r);
    // The watchdog is already disarmed while a wrong reply is reported.
    zpravy.behem_zpravy = [&](const zprava&) {
        QVERIFY(!l.watchdog_timer().isActive());
        l.tik_status_timeru();
        l.tik_status_timeru();
    };
    l.precti_data_z_portu("XR005=0\r\n");
    QCOMPARE(zpravy.zpravy.size(), 1);
    QCOMPARE(okno.dotazy(), 1);
}

void test_linka::data_behem_zpravy_cekaji() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_r);
    QStringList poradi;
    int hloubka = 0;
    zpravy.behem_zpravy = [&](const zprava& z) {
        ++hloubka;
        QCOMPARE(hloubka, 1); // never a box inside a box
        poradi << z.text;
        if (poradi.size() == 1) {
            // While the first box is open: the rest of a status reply, then a stray line feed.
            l.precti_data_z_portu(s_paket_se_stavy({9}).mid(20));
            l.precti_data_z_portu("\n");
            QCOMPARE(okno.pocet_zobrazeni, 0);
        }
        --hloubka;
    };
    // A wrong acknowledgement and the start of the status reply in one batch.
    l.precti_data_z_portu("XR005=0\r\n" + s_paket_se_stavy({9}).left(20));
    // The wrong ack is reported, then its query goes out, then the queued S is accepted as its
    // reply, then the stray line feed is reported and answered with one more query.
    QCOMPARE(poradi, QStringList({uvod + cekam_r, uvod + neznamy}));
    QCOMPARE(okno.pocet_zobrazeni, 1);
    QVERIFY(l.stav_stykacu()[9]);
    QCOMPARE(okno.zaznam, QStringList({"zakaz", "panel3=XS", "panel3=", "zobraz", "povol", "zakaz",
                                       "panel3=XS"}));
}

void test_linka::data_behem_timeoutu_cekaji() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_r);
    zpravy.behem_zpravy = [&](const zprava&) {
        if (zpravy.zpravy.size() > 1)
            return;
        l.precti_data_z_portu("XR005=1\r\n"); // the late acknowledgement
        QCOMPARE(okno.zaznam, QStringList{});
    };
    l.tik_watchdog_timeru();
    // Judged after the box, against the new awaited "XS".
    QCOMPARE(zpravy.texty(), QStringList({uvod + vyprsel, uvod + cekam_r}));
    QCOMPARE(okno.dotazy(), 2);
}

void test_linka::chyba_linky_data() {
    QTest::addColumn<int>("kod");
    QTest::addColumn<QString>("text"); // empty: nothing shown
    QTest::newRow("data") << 2 << QString();
    QTest::newRow("parity error") << 1009 << QString();
    QTest::newRow("framing error") << 1004 << QString();
    QTest::newRow("break") << 1001 << QString();
    QTest::newRow("CD change") << 5 << QString();
    QTest::newRow("receive buffer overflow") << 1008 << "Receive Buffer Overflow";
    QTest::newRow("1005") << 1005 << "Unknown error or event";
}

void test_linka::chyba_linky() {
    QFETCH(int, kod);
    QFETCH(QString, text);
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    l.com_port_OnComm(klasifikuj_udalost(kod));
    if (text.isEmpty()) {
        QVERIFY(zpravy.zpravy.isEmpty());
        return;
    }
    QCOMPARE(zpravy.zpravy.size(), 1);
    const zprava& z = zpravy.zpravy.first();
    QCOMPARE(z.text, text);
    QCOMPARE(z.titulek, QStringLiteral("Cancel - Konec, Ok - ignoruj chybu"));
    QCOMPARE(z.ikona, ikona_zpravy::zadna);
    QCOMPARE(z.tlacitka, tlacitka_zpravy::ok_storno);
    QVERIFY(okno.zaznam.isEmpty());
}

void test_linka::chyba_linky_behem_zpravy() {
    message_recorder zpravy;
    fake_okno okno;
    linka l(okno);
    priprav(l, okno, pocatek::ceka_s);
    int hloubka = 0;
    zpravy.behem_zpravy = [&](const zprava&) {
        QCOMPARE(++hloubka, 1);
        if (zpravy.zpravy.size() == 1) {
            l.com_port_OnComm(klasifikuj_udalost(1006));
            l.com_port_OnComm(klasifikuj_udalost(1008));
        }
        --hloubka;
    };
    l.tik_watchdog_timeru();
    QCOMPARE(zpravy.texty(), QStringList({uvod + vyprsel, "Overrun Error"}));
}

void test_linka::otevri_port_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("cislo");
    QTest::newRow("com 3") << QByteArray("[system]\r\ncom=3\r\n") << 3;
    QTest::newRow("com missing") << QByteArray("[system]\r\n") << 1;
    QTest::newRow("no file") << QByteArray() << 1;
    QTest::newRow("com 12 reads as 1") << QByteArray("[system]\r\ncom=12\r\n") << 1;
    QTest::newRow("com x is 0") << QByteArray("[system]\r\ncom=x\r\n") << 0;
    QTest::newRow("com empty is 0") << QByteArray("[system]\r\ncom=\r\n") << 0;
}

void test_linka::otevri_port() {
    QFETCH(QByteArray, ini);
    QFETCH(int, cislo);
    test::temp_folder slozka;
    message_recorder zpravy;
    if (!ini.isEmpty())
        slozka.write(QStringLiteral("tarvik.ini"), ini);
    // Every port leads to a device that does not exist.
    QDir(slozka.path()).mkdir(QStringLiteral("dosdevices"));
    for (int n = 0; n <= 9; ++n)
        QFile::link(slozka.file(QStringLiteral("chybi")),
                    slozka.file(QStringLiteral("dosdevices/com%1").arg(n)));
    fake_okno okno;
    linka l(okno);
    QVERIFY(!l.otevri_port(slozka.ini()));
    QCOMPARE(l.cislo_portu(), cislo);
    QVERIFY(!l.port_otevren());
    QCOMPARE(zpravy.texty(), QStringList{QStringLiteral("Chyba při otevírání sériového portu.")});
    QCOMPARE(zpravy.zpravy.first().titulek, QStringLiteral("Tarvik - chyba"));
    QCOMPARE(zpravy.zpravy.first().ikona, ikona_zpravy::kriticka);
    QVERIFY(okno.zaznam.isEmpty()); // panel 2 untouched
    // Sending on the closed port does nothing.
    l.nacti_status();
    l.posli_prikaz(QStringLiteral("5"), true);
}

QTEST_MAIN(test_linka)
#include "test_linka.moc"
