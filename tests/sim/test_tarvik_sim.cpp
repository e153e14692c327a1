// The tarvik-sim program: its options, its device line on standard output, the link it makes
// and removes, and a clean end on SIGTERM and on hanging up.

#include "tarvik-sim/sim_fixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

using tarvik::sim::testovaci_simulator;

namespace {

const QString program = QStringLiteral(TARVIK_SIM_PROGRAM);

// Starts the program and reads the device path it prints first; empty when it did not start.
QString spust(QProcess& p, const QStringList& argumenty) {
    p.start(program, argumenty);
    if (!p.waitForStarted())
        return QString();
    testovaci_simulator::cekej(
        [&] { return p.canReadLine() || p.state() == QProcess::NotRunning; });
    return QString::fromLocal8Bit(p.readLine()).trimmed();
}

QByteArray dotaz(QSerialPort& port, const QByteArray& prikaz, qsizetype delka) {
    QByteArray prislo;
    port.write(prikaz);
    testovaci_simulator::cekej([&] {
        prislo += port.readAll();
        return prislo.size() >= delka;
    });
    return prislo;
}

bool otevri(QSerialPort& port, const QString& cesta) {
    port.setPortName(cesta);
    port.setBaudRate(QSerialPort::Baud9600);
    return port.open(QIODevice::ReadWrite);
}

} // namespace

class test_tarvik_sim : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void napoveda_popisuje_vse();
    void spatne_volby_data();
    void spatne_volby();
    void odpovida_a_konci_na_sigterm();
    void po_zaveseni_skonci();
};

void test_tarvik_sim::napoveda_popisuje_vse() {
    QProcess p;
    p.start(program, {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(p.readAllStandardOutput());
    for (const char* slovo :
         {"--folder", "--port",         "--states",  "--pace",       "--fault",
          "--delay",  "--hangup-after", "--seed",    "--fault-rate", "--verbose",
          "none",     "silent",         "wrong-ack", "bad-status",   "noise",
          "split",    "merge",          "delay",     "hangup",       "random"})
        QVERIFY2(text.contains(QLatin1String(slovo)), slovo);
}

void test_tarvik_sim::spatne_volby_data() {
    QTest::addColumn<QStringList>("volby");
    QTest::newRow("port 10") << QStringList{"--port", "10"};
    QTest::newRow("states with 2") << QStringList{"--states", "102"};
    QTest::newRow("unknown fault") << QStringList{"--fault", "sometimes"};
    QTest::newRow("negative delay") << QStringList{"--delay", "-5"};
    QTest::newRow("fault rate above 1") << QStringList{"--fault-rate", "1.5"};
    QTest::newRow("seed too large") << QStringList{"--seed", "4294967296"};
    QTest::newRow("stray argument") << QStringList{"com1"};
}

void test_tarvik_sim::spatne_volby() {
    QFETCH(QStringList, volby);
    QTemporaryDir slozka;
    QProcess p;
    p.start(program, QStringList{"--folder", slozka.path()} + volby);
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(!p.readAllStandardError().isEmpty());
    QVERIFY(!QFileInfo::exists(slozka.path() + "/dosdevices"));
}

void test_tarvik_sim::odpovida_a_konci_na_sigterm() {
    QTemporaryDir slozka;
    QProcess p;
    const QString zarizeni =
        spust(p, {"--folder", slozka.path(), "--port", "3", "--states", "101", "--pace"});
    QVERIFY2(zarizeni.startsWith("/dev/"), qPrintable(p.readAllStandardError()));
    const QString odkaz = slozka.path() + "/dosdevices/com3";
    QCOMPARE(QFileInfo(odkaz).symLinkTarget(), zarizeni);

    {
        QSerialPort port;
        QVERIFY(otevri(port, odkaz));
        QCOMPARE(dotaz(port, "XW127=1\r\n", 9), QByteArray("XR127=1\r\n"));
        QCOMPARE(dotaz(port, "XA\r\n", 132), "XS101" + QByteArray(124, '0') + "1\r\n");
    }

    p.terminate(); // SIGTERM
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(!QFileInfo(odkaz).isSymLink());
}

void test_tarvik_sim::po_zaveseni_skonci() {
    QTemporaryDir slozka;
    QProcess p;
    const QString zarizeni =
        spust(p, {"--folder", slozka.path(), "--fault", "hangup", "--hangup-after", "1"});
    QVERIFY2(zarizeni.startsWith("/dev/"), qPrintable(p.readAllStandardError()));

    QSerialPort port;
    QVERIFY(otevri(port, zarizeni));
    QCOMPARE(dotaz(port, "XA\r\n", 132), "XS" + QByteArray(128, '0') + "\r\n");
    port.write("XA\r\n");
    QVERIFY(testovaci_simulator::cekej([&] { return p.state() == QProcess::NotRunning; }));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(!QFileInfo(slozka.path() + "/dosdevices/com1").isSymLink());
}

QTEST_GUILESS_MAIN(test_tarvik_sim)
#include "test_tarvik_sim.moc"
