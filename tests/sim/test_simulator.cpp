// The controller simulator, driven through a real QSerialPort on its pseudo-terminal, byte for
// byte.

#include "tarvik-sim/sim_fixture.h"
#include "tarvik-sim/simulator.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

using tarvik::sim::nastaveni;
using tarvik::sim::porucha;
using tarvik::sim::testovaci_simulator;

namespace {

QByteArray s_paket(const QByteArray& stavy) {
    return "XS" + stavy.leftJustified(128, '0', true) + "\r\n";
}

// The program's side of the line: a QSerialPort at 9600 8N1 that collects what arrives.
class linka : public QObject {
public:
    explicit linka(bool cist = true) {
        if (cist)
            connect(&port, &QSerialPort::readyRead, this, [this] { prijato += port.readAll(); });
        connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            if (e != QSerialPort::NoError)
                chyby.append(e);
        });
    }

    bool otevri(const QString& cesta) {
        port.setPortName(cesta);
        port.setBaudRate(QSerialPort::Baud9600);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        return port.open(QIODevice::ReadWrite);
    }

    // Sends, waits until the simulator has taken it all in and sent all it meant to, and until
    // that has arrived here; returns what arrived since the call.
    QByteArray dotaz(testovaci_simulator& sim, const QByteArray& prikaz) {
        const qsizetype prijato_pred = prijato.size();
        const qsizetype odeslano_pred = sim->odeslano().size();
        port.write(prikaz);
        if (!sim.cekej_na_klid(sim->prijato().size() + prikaz.size()))
            return "(simulator did not settle)";
        const qsizetype odeslano = sim->odeslano().size() - odeslano_pred;
        if (!testovaci_simulator::cekej([&] { return prijato.size() - prijato_pred >= odeslano; }))
            return "(reply did not arrive)";
        return prijato.mid(prijato_pred);
    }

    QSerialPort port;
    QByteArray prijato;
    QList<QSerialPort::SerialPortError> chyby;
};

// Packets as the program's receiver cuts them: from "X" to line feed, noise outside dropped.
QList<QByteArray> pakety(const QByteArray& bajty) {
    QList<QByteArray> vysledek;
    QByteArray paket;
    bool uvnitr = false;
    for (const char c : bajty) {
        if (c == 'X')
            uvnitr = true;
        if (uvnitr)
            paket += c;
        if (c == '\n') {
            vysledek.append(paket);
            paket.clear();
            uvnitr = false;
        }
    }
    return vysledek;
}

bool je_spravny_s_paket(const QByteArray& p) {
    if (p.size() != 132 || !p.startsWith("XS") || !p.endsWith("\r\n"))
        return false;
    for (int i = 2; i < 130; ++i)
        if (p[i] != '0' && p[i] != '1')
            return false;
    return true;
}

} // namespace

class test_simulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void status_odpovida_stavum_data();
    void status_odpovida_stavum();
    void stav_zmeneny_za_zady_programu();
    void sepnuti_data();
    void sepnuti();
    void ramcovani_data();
    void ramcovani();
    void cizi_pakety_bez_odpovedi_data();
    void cizi_pakety_bez_odpovedi();
    void tempo_9600();

    void porucha_mlci();
    void porucha_spatne_potvrzeni();
    void porucha_spatny_s_paket();
    void porucha_sum();
    void porucha_deleni();
    void porucha_slucovani();
    void porucha_zpozdeni();
    void porucha_zaveseni_data();
    void porucha_zaveseni();
    void nahodne_opakovatelne_ze_semene();

    void odkaz_na_zarizeni();
    void odkaz_nahradi_stary_ale_ne_soubor();
    void spatne_cislo_portu();
    void program_zavre_a_znovu_otevre();
    void neprectena_odpoved_se_po_zavreni_zahodi();

private:
    static nastaveni se_stavy(const QByteArray& stavy) {
        nastaveni n;
        n.stavy = stavy;
        return n;
    }
};

// --- correct replies ----------------------------------------------------------------------------

void test_simulator::status_odpovida_stavum_data() {
    QTest::addColumn<QByteArray>("stavy");
    QTest::addColumn<QByteArray>("odpoved");
    QTest::newRow("all off") << QByteArray() << s_paket("");
    QTest::newRow("some on") << QByteArray("1100101") << s_paket("1100101");
    QTest::newRow("last on") << QByteArray(127, '0') + '1' << s_paket(QByteArray(127, '0') + '1');
    QTest::newRow("all on") << QByteArray(128, '1') << s_paket(QByteArray(128, '1'));
    QTest::newRow("longer than 128") << QByteArray(130, '1') << s_paket(QByteArray(128, '1'));
    QTest::newRow("only 1 is on") << QByteArray("1x1 1") << s_paket("10101");
}

void test_simulator::status_odpovida_stavum() {
    QFETCH(QByteArray, stavy);
    QFETCH(QByteArray, odpoved);
    testovaci_simulator sim(se_stavy(stavy));
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));

    QCOMPARE(l.dotaz(sim, "XA\r\n"), odpoved);
    QCOMPARE(odpoved.size(), 132);
    QCOMPARE(sim->prijato(), QByteArray("XA\r\n"));
    QCOMPARE(sim->odeslano(), odpoved);
}

void test_simulator::stav_zmeneny_za_zady_programu() {
    testovaci_simulator sim;
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_odkazu()));
    sim->nastav_stav(9, true);
    sim->nastav_stav(127, true);
    sim->nastav_stav(128, true); // no such contactor: ignored
    sim->nastav_stav(-1, true);
    QCOMPARE(l.dotaz(sim, "XA\r\n"),
             s_paket(QByteArray(9, '0') + '1' + QByteArray(117, '0') + '1'));
}

void test_simulator::sepnuti_data() {
    QTest::addColumn<QByteArray>("stavy");
    QTest::addColumn<QByteArray>("prikaz");
    QTest::addColumn<QByteArray>("potvrzeni");
    QTest::addColumn<QByteArray>("potom");
    QTest::newRow("5 on") << QByteArray() << QByteArray("XW005=1\r\n") << QByteArray("XR005=1\r\n")
                          << QByteArray("000001");
    QTest::newRow("0 off") << QByteArray("11") << QByteArray("XW000=0\r\n")
                           << QByteArray("XR000=0\r\n") << QByteArray("01");
    QTest::newRow("127 on") << QByteArray() << QByteArray("XW127=1\r\n")
                            << QByteArray("XR127=1\r\n") << QByteArray(127, '0') + '1';
    QTest::newRow("on again") << QByteArray("0001") << QByteArray("XW003=1\r\n")
                              << QByteArray("XR003=1\r\n") << QByteArray("0001");
    QTest::newRow("off already off") << QByteArray("1") << QByteArray("XW042=0\r\n")
                                     << QByteArray("XR042=0\r\n") << QByteArray("1");
}

void test_simulator::sepnuti() {
    QFETCH(QByteArray, stavy);
    QFETCH(QByteArray, prikaz);
    QFETCH(QByteArray, potvrzeni);
    QFETCH(QByteArray, potom);
    testovaci_simulator sim(se_stavy(stavy));
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));

    QCOMPARE(l.dotaz(sim, prikaz), potvrzeni);
    QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket(potom));
    QCOMPARE(sim->stavy_text(), potom.leftJustified(128, '0'));
}

void test_simulator::ramcovani_data() {
    QTest::addColumn<QByteArrayList>("kusy");
    QTest::addColumn<QByteArray>("odpoved");
    QTest::newRow("command in three pieces")
        << QByteArrayList{"XW0", "05=", "1\r\n"} << QByteArray("XR005=1\r\n");
    QTest::newRow("two commands in one write")
        << QByteArrayList{"XW001=1\r\nXA\r\n"} << "XR001=1\r\n" + s_paket("01");
    QTest::newRow("noise before the packet")
        << QByteArrayList{QByteArray("ab\0\xFF\r", 5) + "XA\r\n"} << s_paket("");
    QTest::newRow("line feed alone, then a command")
        << QByteArrayList{"\n", "XA\r\n"} << s_paket("");
    QTest::newRow("X inside a packet starts it again")
        << QByteArrayList{"XW0XA\r\n"} << s_paket("");
    QTest::newRow("flood without line feed, then a command")
        << QByteArrayList{"X" + QByteArray(5000, 'A'), "XA\r\n"} << s_paket("");
}

void test_simulator::ramcovani() {
    QFETCH(QByteArrayList, kusy);
    QFETCH(QByteArray, odpoved);
    testovaci_simulator sim;
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));
    QByteArray prislo;
    for (const QByteArray& kus : kusy)
        prislo += l.dotaz(sim, kus);
    QCOMPARE(prislo, odpoved);
}

void test_simulator::cizi_pakety_bez_odpovedi_data() {
    QTest::addColumn<QByteArray>("vstup");
    QTest::newRow("lower case x") << QByteArray("xA\r\n");
    QTest::newRow("status without CR") << QByteArray("XA\n");
    QTest::newRow("status with a body") << QByteArray("XA0\r\n");
    QTest::newRow("unknown type") << QByteArray("XQ\r\n");
    QTest::newRow("empty packet") << QByteArray("X\n");
    QTest::newRow("R packet") << QByteArray("XR005=1\r\n");
    QTest::newRow("S packet") << s_paket("1");
    QTest::newRow("contactor 128") << QByteArray("XW128=1\r\n");
    QTest::newRow("contactor 999") << QByteArray("XW999=1\r\n");
    QTest::newRow("value 2") << QByteArray("XW005=2\r\n");
    QTest::newRow("two digits") << QByteArray("XW05=1\r\n");
    QTest::newRow("sign in the number") << QByteArray("XW-01=1\r\n");
    QTest::newRow("colon for =") << QByteArray("XW005:1\r\n");
    QTest::newRow("switch without CR") << QByteArray("XW005=1\n");
    QTest::newRow("noise only") << QByteArray("abc\0\xFF\r", 7);
}

void test_simulator::cizi_pakety_bez_odpovedi() {
    QFETCH(QByteArray, vstup);
    testovaci_simulator sim;
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));

    QCOMPARE(l.dotaz(sim, vstup), QByteArray());
    QCOMPARE(sim->odeslano(), QByteArray());
    QCOMPARE(sim->zodpovezeno(), 0);
    // Still listening, and nothing was switched.
    QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket(""));
}

void test_simulator::tempo_9600() {
    nastaveni n;
    n.tempo_9600 = true;
    n.stavy = "101";
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));
    QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket("101"));
    QCOMPARE(l.dotaz(sim, "XW001=1\r\n"), QByteArray("XR001=1\r\n"));
    QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket("111"));
}

// --- faults -------------------------------------------------------------------------------------

void test_simulator::porucha_mlci() {
    nastaveni n;
    n.rezim = porucha::mlci;
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));
    QSignalSpy pakety_spy(&sim.sim(), &tarvik::sim::simulator::paket_prijat);

    QCOMPARE(l.dotaz(sim, "XW005=1\r\n"), QByteArray());
    QCOMPARE(l.dotaz(sim, "XA\r\n"), QByteArray());
    QCOMPARE(pakety_spy.count(), 2); // heard, but not answered
    QCOMPARE(sim->odeslano(), QByteArray());
    QVERIFY(!sim->stavy()[5]);

    sim->nastav_rezim(porucha::zadna);
    QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket(""));
}

void test_simulator::porucha_spatne_potvrzeni() {
    nastaveni n;
    n.rezim = porucha::spatne_potvrzeni;
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));

    for (int i = 0; i < 30; ++i) {
        const QByteArray cislo = QByteArray::number(i * 4).rightJustified(3, '0');
        const QByteArray hodnota = i % 2 ? "0" : "1";
        const QByteArray odpoved = l.dotaz(sim, "XW" + cislo + "=" + hodnota + "\r\n");
        QVERIFY2(odpoved.size() == 9 && odpoved.startsWith("XR") && odpoved.endsWith("\r\n") &&
                     odpoved[5] == '=' && (odpoved[6] == '0' || odpoved[6] == '1'),
                 odpoved.constData());
        QVERIFY2(odpoved != "XR" + cislo + "=" + hodnota + "\r\n", odpoved.constData());
        const int jine = odpoved.mid(2, 3).toInt();
        QVERIFY(jine >= 0 && jine < 128);
    }
    QCOMPARE(sim->stavy_text(), QByteArray(128, '0')); // nothing switched
    QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket(""));     // the status itself is right
}

void test_simulator::porucha_spatny_s_paket() {
    nastaveni n;
    n.rezim = porucha::spatny_s_paket;
    n.stavy = "1111";
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));

    QSet<int> delky;
    for (int i = 0; i < 30; ++i) {
        const QByteArray odpoved = l.dotaz(sim, "XA\r\n");
        const QList<QByteArray> p = pakety(odpoved);
        QCOMPARE(p.size(), 1);
        QCOMPARE(p.constFirst(), odpoved);
        QVERIFY(odpoved.startsWith("XS") && odpoved.endsWith("\r\n"));
        QVERIFY2(!je_spravny_s_paket(odpoved), odpoved.constData());
        delky.insert(int(odpoved.size()));
    }
    QVERIFY(delky.subtract({131, 132, 133}).isEmpty());
    QCOMPARE(l.dotaz(sim, "XW005=1\r\n"), QByteArray("XR005=1\r\n")); // switching is right
    QCOMPARE(sim->stavy_text().left(6), QByteArray("111101"));
}

void test_simulator::porucha_sum() {
    nastaveni n;
    n.rezim = porucha::sum;
    n.stavy = "01";
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));

    for (int i = 0; i < 20; ++i) {
        const QByteArray odpoved = l.dotaz(sim, "XA\r\n");
        QCOMPARE(pakety(odpoved), QList<QByteArray>{s_paket("01")});
        QVERIFY(odpoved.size() > 132);
        QCOMPARE(odpoved.count('X'), 1);
        QCOMPARE(odpoved.count('\n'), 1);
    }
    const QByteArray potvrzeni = l.dotaz(sim, "XW000=1\r\n");
    QCOMPARE(pakety(potvrzeni), QList<QByteArray>{"XR000=1\r\n"});
    QVERIFY(sim->stavy()[0]);
}

void test_simulator::porucha_deleni() {
    nastaveni n;
    n.rezim = porucha::deleni;
    n.stavy = "001";
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));
    QSignalSpy zapisy(&sim.sim(), &tarvik::sim::simulator::odeslano_bajty);

    for (int i = 0; i < 10; ++i) {
        zapisy.clear();
        QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket("001"));
        QVERIFY2(zapisy.count() >= 2 && zapisy.count() <= 6, QByteArray::number(zapisy.count()));
    }
    zapisy.clear();
    QCOMPARE(l.dotaz(sim, "XW002=0\r\n"), QByteArray("XR002=0\r\n"));
    QVERIFY(zapisy.count() >= 2);
}

void test_simulator::porucha_slucovani() {
    nastaveni n;
    n.rezim = porucha::slucovani;
    n.stavy = "1";
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));
    QSignalSpy zapisy(&sim.sim(), &tarvik::sim::simulator::odeslano_bajty);

    for (int i = 0; i < 10; ++i) {
        zapisy.clear();
        const QByteArray odpoved = l.dotaz(sim, "XA\r\n");
        QCOMPARE(zapisy.count(), 1); // all of it in one write
        const QList<QByteArray> p = pakety(odpoved);
        if (p.size() == 2) {
            QCOMPARE(odpoved, s_paket("1") + s_paket("1"));
        } else {
            QCOMPARE(p, QList<QByteArray>{s_paket("1")});
            QVERIFY(odpoved.size() > 132);
        }
    }
}

void test_simulator::porucha_zpozdeni() {
    nastaveni n;
    n.rezim = porucha::zpozdeni;
    n.zpozdeni_ms = 30;
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));
    QCOMPARE(l.dotaz(sim, "XW007=1\r\n"), QByteArray("XR007=1\r\n"));
    QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket("00000001"));

    // A delay far beyond this test: the reply waits, nothing has gone out.
    sim->nastav_zpozdeni(3600 * 1000);
    sim->vymaz_zaznam();
    l.port.write("XA\r\n");
    QVERIFY(testovaci_simulator::cekej([&] { return sim->zodpovezeno() == 3; }));
    QVERIFY(sim->odesila());
    QCOMPARE(sim->odeslano(), QByteArray());
}

void test_simulator::porucha_zaveseni_data() {
    QTest::addColumn<int>("po");
    QTest::newRow("on the first packet") << 0;
    QTest::newRow("after two replies") << 2;
    QTest::newRow("hung up by hand") << -1;
}

void test_simulator::porucha_zaveseni() {
    QFETCH(int, po);
    nastaveni n;
    n.rezim = po < 0 ? porucha::zadna : porucha::zaveseni;
    n.zaveseni_po = po;
    testovaci_simulator sim(n);
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));
    QSignalSpy zaveseno(&sim.sim(), &tarvik::sim::simulator::zaveseno);

    for (int i = 0; i < po; ++i)
        QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket(""));
    QCOMPARE(zaveseno.count(), 0);
    if (po < 0)
        sim->zaves();
    else
        l.port.write("XA\r\n");
    QVERIFY(testovaci_simulator::cekej([&] { return !l.chyby.isEmpty(); }));
    QVERIFY2(l.chyby.constFirst() == QSerialPort::ResourceError ||
                 l.chyby.constFirst() == QSerialPort::ReadError,
             QByteArray::number(l.chyby.constFirst()));
    QCOMPARE(zaveseno.count(), 1);
    QVERIFY(!sim.bezi());
    QVERIFY(!QFileInfo::exists(sim->cesta_zarizeni())); // the device is gone with the master
    sim->zaves();                                       // a second time does nothing
    QCOMPARE(zaveseno.count(), 1);

    if (po < 0) { // back on a new device, through the same link
        QVERIFY(sim->spust());
        linka znovu;
        QVERIFY(znovu.otevri(sim->cesta_odkazu()));
        QCOMPARE(znovu.dotaz(sim, "XA\r\n"), s_paket(""));
    }
}

void test_simulator::nahodne_opakovatelne_ze_semene() {
    // The same commands against seeds 7, 7 and 8, against a fault rate of 0 and without faults.
    const auto beh = [](porucha rezim, quint32 seme, double podil, QByteArray* stavy) {
        nastaveni n;
        n.rezim = rezim;
        n.seme = seme;
        n.podil_poruch = podil;
        testovaci_simulator sim(n);
        linka l;
        if (!sim.bezi() || !l.otevri(sim->cesta_zarizeni()))
            return QByteArray("(not started)");
        QByteArray vse;
        for (int i = 0; i < 24; ++i) {
            const QByteArray cislo = QByteArray::number((i * 37) % 128).rightJustified(3, '0');
            vse += l.dotaz(sim, i % 3 == 2 ? QByteArray("XA\r\n")
                                           : "XW" + cislo + (i % 2 ? "=0" : "=1") + "\r\n");
        }
        *stavy = sim->stavy_text();
        return vse == sim->odeslano() ? vse : QByteArray("(line and record differ)");
    };
    QByteArray stavy_a, stavy_b, stavy_c, stavy_nula, stavy_spravne;
    const QByteArray a = beh(porucha::nahodne, 7, 0.5, &stavy_a);
    const QByteArray b = beh(porucha::nahodne, 7, 0.5, &stavy_b);
    const QByteArray c = beh(porucha::nahodne, 8, 0.5, &stavy_c);
    const QByteArray nula = beh(porucha::nahodne, 7, 0.0, &stavy_nula);
    const QByteArray spravne = beh(porucha::zadna, 7, 0.5, &stavy_spravne);
    QVERIFY(a.size() > 100);
    QCOMPARE(a, b);
    QCOMPARE(stavy_a, stavy_b);
    QVERIFY(a != c);
    QVERIFY(a != spravne);
    QCOMPARE(nula, spravne);
    QCOMPARE(stavy_nula, stavy_spravne);
    QVERIFY(spravne.startsWith("XR000=1\r\nXR037=0\r\nXS1"));
}

// --- the device and its link --------------------------------------------------------------------

void test_simulator::odkaz_na_zarizeni() {
    QString odkaz;
    {
        testovaci_simulator sim;
        QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
        odkaz = sim->cesta_odkazu();
        QCOMPARE(odkaz, sim.slozka() + "/dosdevices/com1");
        QVERIFY(QFileInfo(odkaz).isSymLink());
        QCOMPARE(QFileInfo(odkaz).symLinkTarget(), sim->cesta_zarizeni());
        QVERIFY(sim->cesta_zarizeni().startsWith("/dev/"));

        linka l; // through the link, as the program opens it
        QVERIFY(l.otevri(odkaz));
        QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket(""));
        l.port.close();
    }
    QVERIFY(!QFileInfo(odkaz).isSymLink()); // removed on the way out
}

void test_simulator::odkaz_nahradi_stary_ale_ne_soubor() {
    QTemporaryDir slozka;
    QVERIFY(QDir(slozka.path()).mkdir("dosdevices"));
    const QString stary = slozka.path() + "/dosdevices/com2";
    QVERIFY(QFile::link("/nonexistent/pts/99", stary));
    const QString soubor = slozka.path() + "/dosdevices/com3";
    {
        QFile f(soubor);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }

    nastaveni n;
    n.slozka = slozka.path();
    n.port = 2;
    {
        testovaci_simulator sim(n);
        QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
        QCOMPARE(QFileInfo(stary).symLinkTarget(), sim->cesta_zarizeni());
    }
    n.port = 3;
    testovaci_simulator sim(n);
    QVERIFY(!sim.bezi());
    QVERIFY(sim.chyba().contains("not a link"));
    QFile f(soubor);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
}

void test_simulator::spatne_cislo_portu() {
    for (const int port : {0, 10, -1}) {
        nastaveni n;
        n.port = port;
        testovaci_simulator sim(n);
        QVERIFY(!sim.bezi());
        QVERIFY(!sim.chyba().isEmpty());
        QVERIFY(!QFileInfo(sim.slozka() + "/dosdevices").exists());
    }
}

void test_simulator::program_zavre_a_znovu_otevre() {
    testovaci_simulator sim(se_stavy("1"));
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    for (int kolo = 0; kolo < 3; ++kolo) {
        linka l;
        QVERIFY(l.otevri(sim->cesta_odkazu()));
        QCOMPARE(l.dotaz(sim, "XA\r\n"), s_paket("1"));
        l.port.close();
        QVERIFY(testovaci_simulator::cekej([&] { return !sim->program_pripojen(); }));
        QVERIFY(sim.bezi()); // a closed line is no reason to stop
    }
}

void test_simulator::neprectena_odpoved_se_po_zavreni_zahodi() {
    testovaci_simulator sim;
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    {
        // A program that closes the port while a reply is still in the line.
        linka l(false);
        l.port.setReadBufferSize(1);
        QVERIFY(l.otevri(sim->cesta_zarizeni()));
        l.port.write("XA\r\n");
        QVERIFY(testovaci_simulator::cekej([&] { return sim->odeslano().size() == 132; }));
        l.port.close();
    }
    QVERIFY(testovaci_simulator::cekej([&] { return !sim->program_pripojen(); }));

    linka l;
    QVERIFY(l.otevri(sim->cesta_zarizeni()));
    QCOMPARE(l.dotaz(sim, "XW001=1\r\n"), QByteArray("XR001=1\r\n")); // and nothing stale before it
}

QTEST_GUILESS_MAIN(test_simulator)
#include "test_simulator.moc"
