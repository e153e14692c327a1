// The controller simulator, driven through a real QSerialPort on its link, byte for byte, and the
// tarvik-sim program around it. What the program's own tests already drive through it (replies,
// silence, wrong acknowledgements, bad status packets, losing the device) is not repeated here.

#include "tarvik-sim/sim_fixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using tarvik::sim::porucha;
using tarvik::sim::testovaci_simulator;

namespace {

QByteArray s_paket(const QByteArray& stavy) {
    return "XS" + stavy.leftJustified(128, '0', true) + "\r\n";
}

// A simulator and the program's side of its line: a QSerialPort that collects all that arrives.
struct linka {
    explicit linka(tarvik::sim::nastaveni n = {}) : sim(std::move(n)), port(sim->cesta_odkazu()) {
        QObject::connect(&port, &QSerialPort::readyRead, [this] { prijato += port.readAll(); });
        port.open(QIODevice::ReadWrite);
    }

    // Sends each in turn, waiting until the simulator has taken it in and all it sent has
    // arrived; returns what arrived.
    QByteArray dotaz(const QByteArrayList& prikazy) {
        const qsizetype pred = prijato.size(), odeslano = sim->odeslano().size();
        for (const QByteArray& prikaz : prikazy) {
            const qsizetype prijme = sim->prijato().size() + prikaz.size();
            port.write(prikaz);
            if (!sim.cekej_na_klid(prijme) || !testovaci_simulator::cekej([&] {
                    return prijato.size() - pred >= sim->odeslano().size() - odeslano;
                }))
                return "(no calm on the line)";
        }
        return prijato.mid(pred);
    }

    testovaci_simulator sim;
    QSerialPort port;
    QByteArray prijato;
};

} // namespace

class tst_simulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void odpovedi_data();
    void odpovedi();
    void poruchy_data();
    void poruchy();
    void nahodne_ze_semene();
    void zavreni_a_znovuotevreni();
    void program_volby_data();
    void program_volby();
    void program_bezi_a_uklidi();
    void program_chrli_zavesi_a_vrati_se();
};

// The bytes of replies, how odd input is framed, and what is not the controller's command: that
// gets no reply and switches nothing. Every row ends with a status query.
void tst_simulator::odpovedi_data() {
    QTest::addColumn<QByteArrayList>("zapisy");
    QTest::addColumn<QByteArray>("odpoved"); // all that comes back, in order
    const QByteArray xa = "XA\r\n";
    QTest::newRow("first and last on, first off")
        << QByteArrayList{"XW000=1\r\n", "XW127=1\r\n", "XW000=0\r\n", xa}
        << "XR000=1\r\nXR127=1\r\nXR000=0\r\n" + s_paket(QByteArray(127, '0') + '1');
    QTest::newRow("command in three pieces")
        << QByteArrayList{"XW0", "05=", "1\r\n", xa} << "XR005=1\r\n" + s_paket("000001");
    QTest::newRow("two in one write")
        << QByteArrayList{"XW001=1\r\n" + xa} << "XR001=1\r\n" + s_paket("01");
    QTest::newRow("noise and LF first")
        << QByteArrayList{QByteArray("ab\0\xFF\r\n", 6) + xa} << s_paket("");
    QTest::newRow("X restarts a packet") << QByteArrayList{"XW0XA\r\n"} << s_paket("");
    QTest::newRow("flood, no LF") << QByteArrayList{"X" + QByteArray(5000, 'A'), xa} << s_paket("");
    for (const QByteArray& cizi : QByteArrayList{"xA\r\n", "XA\n", "XR005=1\r\n", "XW128=1\r\n",
                                                 "XW005=2\r\n", "XW05=1\r\n"})
        QTest::addRow("no reply to %s", qPrintable(tarvik::sim::citelne(cizi)))
            << QByteArrayList{cizi, xa} << s_paket("");
}

void tst_simulator::odpovedi() {
    QFETCH(QByteArrayList, zapisy);
    QFETCH(QByteArray, odpoved);
    linka l;
    QCOMPARE(l.dotaz(zapisy), odpoved);
}

void tst_simulator::poruchy_data() {
    QTest::addColumn<porucha>("rezim");
    // Each reply: [0] '=' just the right packet, '+' it amid noise or twice; [1] the writes it
    // takes: '1' one, '2' two or more, '*' any.
    QTest::addColumn<QByteArray>("tvar");
    QTest::newRow("noise") << porucha::sum << QByteArray("+*");
    QTest::newRow("split") << porucha::deleni << QByteArray("=2");
    QTest::newRow("merge") << porucha::slucovani << QByteArray("+1");
    QTest::newRow("delay") << porucha::zpozdeni << QByteArray("=*");
}

// Contactors 0, 9, 18, ... switched on in turn, each command followed by a status query.
void tst_simulator::poruchy() {
    QFETCH(porucha, rezim);
    QFETCH(QByteArray, tvar);
    linka l({.rezim = rezim, .zpozdeni_ms = 10});
    QSignalSpy zapisy(&l.sim.sim(), &tarvik::sim::simulator::odeslano_bajty);
    QByteArray stavy(128, '0');
    for (int i = 0; i < 16; ++i) {
        const bool status = i % 2;
        const QByteArray cislo = QByteArray::number(i / 2 * 9).rightJustified(3, '0');
        stavy[i / 2 * 9] = '1';
        const QByteArray spravne = status ? s_paket(stavy) : "XR" + cislo + "=1\r\n";
        zapisy.clear();
        const QByteArray odpoved = l.dotaz({status ? "XA\r\n" : "XW" + cislo + "=1\r\n"});
        const qsizetype kopii = odpoved.count(spravne);
        if (tvar[0] == '=')
            QCOMPARE(odpoved, spravne);
        else // noise holds no X or line feed, so the program cuts out just the right packets
            QVERIFY(odpoved != spravne && kopii > 0 && odpoved.count('X') == kopii &&
                    odpoved.count('\n') == kopii);
        QVERIFY(tvar[1] == '*' || (tvar[1] == '1' ? zapisy.count() == 1 : zapisy.count() >= 2));
    }
    QCOMPARE(l.sim->stavy_text(), stavy);

    if (rezim == porucha::zpozdeni) { // a delay far beyond this test: the reply waits
        l.sim->nastav_zpozdeni(3600 * 1000);
        l.port.write("XA\r\n");
        QVERIFY(testovaci_simulator::cekej([&] { return l.sim->zodpovezeno() == 17; }));
        QVERIFY(l.sim->odesila()); // queued, not sent
    }
}

// Seeds 3 and 10 bring several faults but no long delay in these six replies.
void tst_simulator::nahodne_ze_semene() {
    const auto beh = [](porucha rezim, quint32 seme) {
        linka l({.rezim = rezim, .seme = seme, .podil_poruch = 0.5});
        return l.dotaz({"XW110=1\r\n", "XW111=0\r\n", "XA\r\n", "XW113=0\r\n", "XW114=1\r\n",
                        "XA\r\n"}) +
               l.sim->stavy_text();
    };
    const QByteArray a = beh(porucha::nahodne, 3);
    QCOMPARE(beh(porucha::nahodne, 3), a);
    QVERIFY(beh(porucha::nahodne, 10) != a);
    QVERIFY(beh(porucha::zadna, 3) != a);
}

void tst_simulator::zavreni_a_znovuotevreni() {
    linka l;
    l.port.close();
    { // a program that closes the port with a reply still unread in the line
        QSerialPort jiny(l.sim->cesta_odkazu());
        jiny.setReadBufferSize(1);
        QVERIFY(jiny.open(QIODevice::ReadWrite));
        jiny.write("XA\r\n");
        QVERIFY(testovaci_simulator::cekej([&] { return l.sim->odeslano().size() == 132; }));
    }
    QVERIFY(testovaci_simulator::cekej([&] { return !l.sim->program_pripojen(); }));
    QVERIFY(l.port.open(QIODevice::ReadWrite));
    QCOMPARE(l.dotaz({"XW001=1\r\n"}), QByteArray("XR001=1\r\n")); // nothing stale before it
}

void tst_simulator::program_volby_data() {
    QTest::addColumn<QStringList>("volby");
    QTest::addColumn<int>("kod");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("port 10") << QStringList{"--port", "10"} << 2;
    QTest::newRow("unknown fault") << QStringList{"--fault", "sometimes"} << 2;
    QTest::newRow("burst 0") << QStringList{"--burst", "0"} << 2;
}

// Help or a bad option: it ends at once, says why, and makes no link.
void tst_simulator::program_volby() {
    QFETCH(QStringList, volby);
    QFETCH(int, kod);
    QTemporaryDir slozka;
    QProcess p;
    p.start(QStringLiteral(TARVIK_SIM_PROGRAM), QStringList{"--folder", slozka.path()} + volby);
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, kod);
    QVERIFY(!(kod ? p.readAllStandardError() : p.readAllStandardOutput()).isEmpty());
    QVERIFY(!QFileInfo::exists(slozka.path() + "/dosdevices"));
}

// It prints its device, answers on the link, and on SIGTERM ends cleanly and removes the link.
void tst_simulator::program_bezi_a_uklidi() {
    QTemporaryDir slozka;
    QProcess p;
    p.start(QStringLiteral(TARVIK_SIM_PROGRAM),
            {"--folder", slozka.path(), "--port", "3", "--states", "101", "--pace"});
    QVERIFY(testovaci_simulator::cekej([&] { return p.canReadLine(); }));
    const QString odkaz = slozka.path() + "/dosdevices/com3";
    QCOMPARE(QString::fromLocal8Bit(p.readLine()), QFileInfo(odkaz).symLinkTarget() + '\n');

    QSerialPort port(odkaz);
    QVERIFY(port.open(QIODevice::ReadWrite));
    QByteArray prislo;
    port.write("XW127=1\r\nXA\r\n");
    testovaci_simulator::cekej([&] { return (prislo += port.readAll()).size() >= 141; });
    QCOMPARE(prislo, "XR127=1\r\nXS101" + QByteArray(124, '0') + "1\r\n");
    p.terminate(); // SIGTERM
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, 0);
    QVERIFY(!QFileInfo(odkaz).isSymLink());
}

// A burst once the line is open, a hang-up on the first packet, and the way back under another
// device behind the same link, where it answers again.
void tst_simulator::program_chrli_zavesi_a_vrati_se() {
    QTemporaryDir slozka;
    QProcess p;
    p.start(QStringLiteral(TARVIK_SIM_PROGRAM),
            {"--folder", slozka.path(), "--fault", "hangup", "--come-back", "100", "--burst", "3"});
    QVERIFY(testovaci_simulator::cekej([&] { return p.canReadLine(); }));
    const QString prvni = QString::fromLocal8Bit(p.readLine()).trimmed();
    const QString odkaz = slozka.path() + "/dosdevices/com1";
    QByteArray prislo;
    {
        QSerialPort port(odkaz);
        QVERIFY(port.open(QIODevice::ReadWrite));
        QVERIFY(testovaci_simulator::cekej(
            [&] { return (prislo += port.readAll()).size() >= 3 * 132; }, 5000));
        QCOMPARE(prislo, s_paket("").repeated(3));
        port.write("XA\r\n");
        QVERIFY(testovaci_simulator::cekej([&] { return p.canReadLine(); }, 5000));
    }
    const QString druhe = QString::fromLocal8Bit(p.readLine()).trimmed();
    QVERIFY(druhe != prvni);
    QCOMPARE(QFileInfo(odkaz).symLinkTarget(), druhe);
    QSerialPort port(odkaz);
    QVERIFY(port.open(QIODevice::ReadWrite));
    port.write("XA\r\n");
    prislo.clear();
    QVERIFY(testovaci_simulator::cekej([&] { return (prislo += port.readAll()).size() >= 132; }));
    QCOMPARE(prislo, s_paket(""));
    p.terminate();
    QVERIFY(p.waitForFinished());
}

QTEST_GUILESS_MAIN(tst_simulator)
#include "tst_simulator.moc"
