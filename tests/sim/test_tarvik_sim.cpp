// The tarvik-sim program: its options, the device line it prints, the link it makes and removes,
// and a clean end on SIGTERM and on hanging up.

#include "tarvik-sim/sim_fixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

using tarvik::sim::testovaci_simulator;

static const QString program = QStringLiteral(TARVIK_SIM_PROGRAM);

class test_tarvik_sim : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void volby_data();
    void volby();
    void odpovida_a_uklidi_data();
    void odpovida_a_uklidi();
};

void test_tarvik_sim::volby_data() {
    QTest::addColumn<QStringList>("volby");
    QTest::addColumn<int>("kod");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("port 10") << QStringList{"--port", "10"} << 2;
    QTest::newRow("states with 2") << QStringList{"--states", "102"} << 2;
    QTest::newRow("unknown fault") << QStringList{"--fault", "sometimes"} << 2;
    QTest::newRow("fault rate above 1") << QStringList{"--fault-rate", "1.5"} << 2;
    QTest::newRow("seed too large") << QStringList{"--seed", "4294967296"} << 2;
    QTest::newRow("stray argument") << QStringList{"com1"} << 2;
}

// Help or a bad option: it ends at once, says why, and makes no link.
void test_tarvik_sim::volby() {
    QFETCH(QStringList, volby);
    QFETCH(int, kod);
    QTemporaryDir slozka;
    QProcess p;
    p.start(program, QStringList{"--folder", slozka.path()} + volby);
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), kod);
    QVERIFY(!(kod ? p.readAllStandardError() : p.readAllStandardOutput()).isEmpty());
    QVERIFY(!QFileInfo::exists(slozka.path() + "/dosdevices"));
}

void test_tarvik_sim::odpovida_a_uklidi_data() {
    QTest::addColumn<QString>("rezim");
    QTest::newRow("ended by SIGTERM") << QStringLiteral("none");
    QTest::newRow("hangs up and ends") << QStringLiteral("hangup");
}

void test_tarvik_sim::odpovida_a_uklidi() {
    QFETCH(QString, rezim);
    QTemporaryDir slozka;
    QProcess p;
    p.start(program, {"--folder", slozka.path(), "--port", "3", "--states", "101", "--pace",
                      "--fault", rezim, "--hangup-after", "2"});
    testovaci_simulator::cekej(
        [&] { return p.canReadLine() || p.state() == QProcess::NotRunning; });
    const QString zarizeni = QString::fromLocal8Bit(p.readLine()).trimmed();
    QVERIFY2(zarizeni.startsWith("/dev/"), p.readAllStandardError().constData());
    const QString odkaz = slozka.path() + "/dosdevices/com3";
    QCOMPARE(QFileInfo(odkaz).symLinkTarget(), zarizeni);

    QSerialPort port(odkaz);
    QVERIFY(port.open(QIODevice::ReadWrite));
    QByteArray prislo;
    port.write("XW127=1\r\nXA\r\n");
    testovaci_simulator::cekej([&] { return (prislo += port.readAll()).size() >= 141; });
    QCOMPARE(prislo, "XR127=1\r\nXS101" + QByteArray(124, '0') + "1\r\n");
    if (rezim == "hangup")
        port.write("XA\r\n");
    else
        p.terminate(); // SIGTERM
    QVERIFY(testovaci_simulator::cekej([&] { return p.state() == QProcess::NotRunning; }));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(!QFileInfo(odkaz).isSymLink());
}

QTEST_GUILESS_MAIN(test_tarvik_sim)
#include "test_tarvik_sim.moc"
