// The controller simulator, where the program's own tests do not drive it: how it frames odd
// input, a reply in pieces, and the tarvik-sim program around it (options, the burst, hanging up
// and coming back, cleaning up). The replies, the burst itself and the fault modes the link meets
// (silence, late and wrong replies, hanging up) are driven by the link's tests.

#include "support/rows.h"
#include "tarvik-sim/sim_fixture.h"

#include <QtSerialPort>
#include <QtTest>

using namespace tarvik;
using tarvik::test::radek;
using namespace tarvik::sim;

namespace {

QByteArray s_paket(const QByteArray& stavy) {
    return "XS" + stavy.leftJustified(128, '0', true) + "\r\n";
}

// What the simulator sends back to the writes on its line, each taken in before the next.
QByteArray odpoved(testovaci_simulator& sim, const QByteArrayList& zapisy) {
    QSerialPort port(sim->cesta_odkazu());
    qsizetype celkem = 0;
    for (const QByteArray& zapis : zapisy)
        if (!(port.isOpen() || port.open(QIODevice::ReadWrite)) ||
            port.write(zapis) != zapis.size() || !sim.cekej_na_klid(celkem += zapis.size()))
            return "(no calm on the line)";
    return sim->odeslano();
}

} // namespace

class tst_simulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The bytes of replies (sent whole, or in pieces that arrive each byte once), how odd input is
    // framed, and what is not the controller's command: that gets no reply and switches nothing.
    // Every row ends with a status query.
    void odpovedi_data() {
        test::sloupce<porucha, QByteArrayList, QByteArray>({"rezim", "zapisy", "vysledek"});
        using L = QByteArrayList;
        radek("contactor 0, two packets in one write", porucha::zadna, L{"XW000=1\r\nXA\r\n"},
              "XR000=1\r\n" + s_paket("1").repeated(2));
        radek("command in three pieces", porucha::zadna, L{"XW0", "05=", "1\r\n"},
              "XR005=1\r\n" + s_paket("000001"));
        radek("reply in pieces", porucha::deleni, L{}, s_paket(""));
        const QByteArray sum("ab\0\xFF\r\n", 6), zaplava = "X" + QByteArray(5000, 'A');
        const L zadny_prikaz{sum,           zaplava,       "xA\r\n",     "XA\n", "XR005=1\r\n",
                             "XW128=1\r\n", "XW005=2\r\n", "XW05=1\r\n", "XW0"};
        radek("no reply to what is no command; X restarts a packet", porucha::zadna, zadny_prikaz,
              s_paket(""));
    }

    void odpovedi() {
        auto [rezim, zapisy, vysledek] = test::hodnoty<porucha, QByteArrayList, QByteArray>();
        testovaci_simulator sim({.rezim = rezim});
        // Noise and floods are dropped: every packet taken in starts with "X", and none is longer
        // than the simulator collects (and its line feed).
        QObject::connect(&sim.sim(), &simulator::paket_prijat, [](const QByteArray& p) {
            QVERIFY(p.startsWith('X') && p.size() <= 1024 + 1);
        });
        QCOMPARE(odpoved(sim, zapisy << "XA\r\n"), vysledek);
    }

    void program_data() {
        // The exit code is -1 while it runs.
        test::sloupce<QString, int>({"volby", "kod"});
        radek("help", "--help", 0);
        radek("port 256", "--port 256", 2);
        radek("runs", "--port 3 --states 101 --pace --burst 2 --fault hangup --come-back 100", -1);
    }

    // Help or a bad option: it ends at once, says why, and makes no link. Running: it prints its
    // device, sends its burst once the line is open, hangs up on the first packet and comes back
    // under a new device behind the same link, printed again, answers there, and on SIGTERM ends
    // cleanly and removes the link.
    void program() {
        const auto [volby, kod] = test::hodnoty<QString, int>();
        QTemporaryDir slozka;
        QProcess p;
        p.start(QStringLiteral(TARVIK_SIM_PROGRAM),
                QStringList{"--folder", slozka.path()} + volby.split(' '));
        const QString odkaz = slozka.path() + "/dosdevices/com3";
        const auto vypsano = [&] {
            QVERIFY(testovaci_simulator::cekej([&] { return p.canReadLine(); }, 5000));
            QCOMPARE(QFileInfo(odkaz).symLinkTarget(),
                     QString::fromLocal8Bit(p.readLine()).trimmed());
        };
        if (kod < 0) {
            vypsano();
            const QString prvni = QFileInfo(odkaz).symLinkTarget();
            QSerialPort port(odkaz);
            QVERIFY(port.open(QIODevice::ReadWrite));
            QVERIFY(testovaci_simulator::cekej([&] { return port.bytesAvailable() >= 2 * 132; }));
            QCOMPARE(port.readAll(), s_paket("101").repeated(2));
            port.write("XA\r\n"); // hung up on
            vypsano();
            QVERIFY(QFileInfo(odkaz).symLinkTarget() != prvni);
            port.close();
            QVERIFY(port.open(QIODevice::ReadWrite) && port.write("XA\r\n") == 4);
            QVERIFY(testovaci_simulator::cekej([&] { return port.bytesAvailable() >= 132; }));
            QCOMPARE(port.readAll(), s_paket("101")); // the states kept
            p.terminate();                            // SIGTERM
        }
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, qMax(kod, 0));
        QVERIFY(kod < 0 || !(kod ? p.readAllStandardError() : p.readAllStandardOutput()).isEmpty());
        QVERIFY(kod < 0 ? !QFileInfo(odkaz).isSymLink()
                        : !QFileInfo::exists(slozka.path() + "/dosdevices"));
    }
};

QTEST_GUILESS_MAIN(tst_simulator)
#include "tst_simulator.moc"
