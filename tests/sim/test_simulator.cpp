// The controller simulator, driven through a real QSerialPort on its link, byte for byte.

#include "tarvik-sim/sim_fixture.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

using tarvik::sim::porucha;
using tarvik::sim::testovaci_simulator;

namespace {

QByteArray s_paket(const QByteArray& stavy) {
    return "XS" + stavy.leftJustified(128, '0', true) + "\r\n";
}

// A simulator and the program's side of its line: a QSerialPort on the link that collects all
// that arrives.
struct linka {
    explicit linka(tarvik::sim::nastaveni n = {}) : sim(std::move(n)), port(sim->cesta_odkazu()) {
        QObject::connect(&port, &QSerialPort::readyRead, &port,
                         [this] { prijato += port.readAll(); });
        port.open(QIODevice::ReadWrite);
    }

    // Sends, waits until the simulator has taken it all in and sent all it meant to, and until
    // that has arrived; returns what arrived.
    QByteArray dotaz(const QByteArray& prikaz) {
        const qsizetype pred = prijato.size();
        const qsizetype odeslano = sim->odeslano().size();
        const qsizetype prijme = sim->prijato().size() + prikaz.size();
        port.write(prikaz);
        const bool klid = sim.cekej_na_klid(prijme) && testovaci_simulator::cekej([&] {
                              return prijato.size() - pred >= sim->odeslano().size() - odeslano;
                          });
        return klid ? prijato.mid(pred) : QByteArray("(no calm on the line)");
    }

    testovaci_simulator sim;
    QSerialPort port;
    QByteArray prijato;
};

} // namespace

class test_simulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void odpovedi_data();
    void odpovedi();
    void poruchy_data();
    void poruchy();
    void zaveseni_data();
    void zaveseni();
    void nahodne_ze_semene();
    void zavreni_a_znovuotevreni();
};

void test_simulator::odpovedi_data() {
    QTest::addColumn<QByteArray>("stavy");
    QTest::addColumn<QByteArrayList>("zapisy");
    QTest::addColumn<QByteArray>("odpoved"); // all that comes back, in order
    const auto radek = [](const char* nazev, const QByteArray& stavy, const QByteArrayList& zapisy,
                          const QByteArray& odpoved) {
        QTest::newRow(nazev) << stavy << zapisy << odpoved;
    };
    const QByteArray xa = "XA\r\n";
    const QByteArray ruzne = "1100101" + QByteArray(120, '0') + '1';
    radek("status, all off", "", {xa}, s_paket(""));
    radek("status, first, some and last on", ruzne, {xa}, s_paket(ruzne));
    radek("switch 5 on", "", {"XW005=1\r\n", xa}, "XR005=1\r\n" + s_paket("000001"));
    radek("switch 0 off", "11", {"XW000=0\r\n", xa}, "XR000=0\r\n" + s_paket("01"));
    radek("switch 127 on", "", {"XW127=1\r\n", xa},
          "XR127=1\r\n" + s_paket(QByteArray(127, '0') + '1'));
    radek("command in three pieces", "", {"XW0", "05=", "1\r\n"}, "XR005=1\r\n");
    radek("two commands in one write", "", {"XW001=1\r\nXA\r\n"}, "XR001=1\r\n" + s_paket("01"));
    radek("noise and a lone line feed first", "", {QByteArray("ab\0\xFF\r\n", 6) + xa},
          s_paket(""));
    radek("X inside a packet starts it again", "", {"XW0XA\r\n"}, s_paket(""));
    radek("flood without line feed", "", {"X" + QByteArray(5000, 'A'), xa}, s_paket(""));
    // Not the controller's commands: no reply, nothing switched, the next status answered.
    for (const QByteArray& cizi : QByteArrayList{
             "xA\r\n", "XA\n", "XA0\r\n", "XQ\r\n", "X\n", "XR005=1\r\n", s_paket("1"),
             "XW128=1\r\n", "XW005=2\r\n", "XW05=1\r\n", "XW-01=1\r\n", "XW005:1\r\n", "XW005=1\n"})
        radek(qPrintable("no reply to " + tarvik::sim::citelne(cizi)), "", {cizi, xa}, s_paket(""));
}

void test_simulator::odpovedi() {
    QFETCH(QByteArray, stavy);
    QFETCH(QByteArrayList, zapisy);
    QFETCH(QByteArray, odpoved);
    linka l;
    QVERIFY2(l.port.isOpen(), qPrintable(l.sim.chyba()));
    for (int i = 0; i < stavy.size(); ++i) // switched behind the program's back
        l.sim->nastav_stav(i, stavy[i] == '1');
    QByteArray prislo;
    for (const QByteArray& zapis : zapisy)
        prislo += l.dotaz(zapis);
    QCOMPARE(prislo, odpoved);
}

void test_simulator::poruchy_data() {
    // How the replies to a switch command [0] and to a status query [1] look: '=' right, '+' the
    // right packet amid noise or twice, '?' one packet of its kind but a wrong one, '-' none.
    // [2]: the writes each reply takes, '1' one, '2' two or more, '*' any.
    QTest::addColumn<porucha>("rezim");
    QTest::addColumn<QByteArray>("tvar");
    QTest::newRow("silent") << porucha::mlci << QByteArray("--*");
    QTest::newRow("wrong-ack") << porucha::spatne_potvrzeni << QByteArray("?=*");
    QTest::newRow("bad-status") << porucha::spatny_s_paket << QByteArray("=?*");
    QTest::newRow("noise") << porucha::sum << QByteArray("++*");
    QTest::newRow("split") << porucha::deleni << QByteArray("==2");
    QTest::newRow("merge") << porucha::slucovani << QByteArray("++1");
    QTest::newRow("delay") << porucha::zpozdeni << QByteArray("==*");
}

// Contactors 0, 9, 18, ... switched on in turn, each command followed by a status query; a
// command is carried out only when it is answered, and answered rightly.
void test_simulator::poruchy() {
    QFETCH(porucha, rezim);
    QFETCH(QByteArray, tvar);
    linka l({.rezim = rezim, .zpozdeni_ms = 10});
    QVERIFY2(l.port.isOpen(), qPrintable(l.sim.chyba()));
    QSignalSpy zapisy(&l.sim.sim(), &tarvik::sim::simulator::odeslano_bajty);
    QByteArray stavy(128, '0');
    for (int i = 0; i < 16; ++i) {
        const bool status = i % 2;
        const QByteArray cislo = QByteArray::number(i / 2 * 9).rightJustified(3, '0');
        const QByteArray spravne = status ? s_paket(stavy) : "XR" + cislo + "=1\r\n";
        zapisy.clear();
        const QByteArray odpoved = l.dotaz(status ? "XA\r\n" : "XW" + cislo + "=1\r\n");
        const qsizetype kopii = odpoved.count(spravne);
        switch (tvar[status]) {
        case '=':
            QCOMPARE(odpoved, spravne);
            break;
        case '+': // noise holds no X or line feed, so the program cuts just the right packets
            QVERIFY2(odpoved != spravne && kopii > 0 && odpoved.count('X') == kopii &&
                         odpoved.count('\n') == kopii,
                     odpoved.constData());
            break;
        case '?': // for a status: 131 or 133 bytes, or a state other than 0/1
            QVERIFY2(odpoved != spravne && odpoved.count('X') == 1 && odpoved.count('\n') == 1 &&
                         odpoved.startsWith(spravne.left(2)) && odpoved.endsWith("\r\n") &&
                         qAbs(odpoved.size() - spravne.size()) <= 1 &&
                         (!status || odpoved.count('0') + odpoved.count('1') != 128),
                     odpoved.constData());
            break;
        default:
            QCOMPARE(odpoved, QByteArray());
        }
        QVERIFY(tvar[2] == '*' || (tvar[2] == '1' ? zapisy.count() == 1 : zapisy.count() >= 2));
        if (!status && tvar[0] != '-' && tvar[0] != '?')
            stavy[i / 2 * 9] = '1';
    }
    QCOMPARE(l.sim->stavy_text(), stavy);

    if (rezim == porucha::zpozdeni) { // a delay far beyond this test: the reply waits
        l.sim->nastav_zpozdeni(3600 * 1000);
        const qsizetype odeslano = l.sim->odeslano().size();
        l.port.write("XA\r\n");
        QVERIFY(testovaci_simulator::cekej([&] { return l.sim->zodpovezeno() == 17; }));
        QVERIFY(l.sim->odesila());
        QCOMPARE(l.sim->odeslano().size(), odeslano);
    }
}

void test_simulator::zaveseni_data() {
    QTest::addColumn<int>("po"); // replies before hanging up, -1: hung up by hand
    QTest::newRow("on the first packet") << 0;
    QTest::newRow("after two replies") << 2;
    QTest::newRow("by hand") << -1;
}

void test_simulator::zaveseni() {
    QFETCH(int, po);
    linka l({.rezim = po < 0 ? porucha::zadna : porucha::zaveseni, .zaveseni_po = po});
    QVERIFY2(l.port.isOpen(), qPrintable(l.sim.chyba()));
    QSignalSpy zaveseno(&l.sim.sim(), &tarvik::sim::simulator::zaveseno);
    for (int i = 0; i < po; ++i)
        QCOMPARE(l.dotaz("XA\r\n"), s_paket(""));
    QCOMPARE(zaveseno.count(), 0);
    if (po < 0)
        l.sim->zaves();
    else
        l.port.write("XA\r\n");
    QVERIFY(testovaci_simulator::cekej([&] { return l.port.error() != QSerialPort::NoError; }));
    QCOMPARE(zaveseno.count(), 1);
    QVERIFY(!QFileInfo::exists(l.sim->cesta_zarizeni())); // the device went with it

    // Started again: a new device behind the same link, counting replies afresh.
    QVERIFY(l.sim->spust());
    l.port.close();
    QVERIFY(l.port.open(QIODevice::ReadWrite));
    if (po != 0)
        QCOMPARE(l.dotaz("XA\r\n"), s_paket(""));
}

// Seeds 3 and 10 bring several faults but no long delay in these six replies.
void test_simulator::nahodne_ze_semene() {
    const auto beh = [](porucha rezim, quint32 seme) {
        linka l({.rezim = rezim, .seme = seme, .podil_poruch = 0.5});
        QByteArray vse;
        for (int i = 0; i < 6 && l.port.isOpen(); ++i)
            vse += l.dotaz(i % 3 == 2 ? QByteArray("XA\r\n")
                                      : "XW1" + QByteArray::number(10 + i) +
                                            (i % 2 ? "=0\r\n" : "=1\r\n"));
        return vse + l.sim->stavy_text();
    };
    const QByteArray a = beh(porucha::nahodne, 3);
    QCOMPARE(beh(porucha::nahodne, 3), a);
    QVERIFY(beh(porucha::nahodne, 10) != a);
    QVERIFY(beh(porucha::zadna, 3) != a);
}

void test_simulator::zavreni_a_znovuotevreni() {
    linka l;
    QVERIFY2(l.port.isOpen(), qPrintable(l.sim.chyba()));
    for (int kolo = 0; kolo < 2; ++kolo) {
        l.port.close();
        { // a program that closes the port with a reply still unread in the line
            QSerialPort jiny(l.sim->cesta_odkazu());
            jiny.setReadBufferSize(1);
            QVERIFY(jiny.open(QIODevice::ReadWrite));
            const qsizetype odeslano = l.sim->odeslano().size();
            jiny.write("XA\r\n");
            QVERIFY(testovaci_simulator::cekej(
                [&] { return l.sim->odeslano().size() == odeslano + 132; }));
        }
        QVERIFY(testovaci_simulator::cekej([&] { return !l.sim->program_pripojen(); }));
        QVERIFY(l.port.open(QIODevice::ReadWrite));
        QCOMPARE(l.dotaz("XW001=1\r\n"), QByteArray("XR001=1\r\n")); // nothing stale before it
    }
}

QTEST_GUILESS_MAIN(test_simulator)
#include "test_simulator.moc"
