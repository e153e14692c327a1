#include "link/serial_port.h"
#include "support/temp_folder.h"
#include "tarvik-sim/sim_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace tarvik;
using sim::testovaci_simulator;

namespace {

// Lets queued notifications arrive: a vanished device would keep reporting itself.
void nech_bezet_udalosti(int kol = 20) {
    for (int i = 0; i < kol; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(5);
    }
}

sim::nastaveni v_slozce(const QString& slozka) {
    sim::nastaveni n;
    n.slozka = slozka;
    n.port = 2;
    return n;
}

} // namespace

class test_serial_port : public QObject {
    Q_OBJECT
private slots:
    void klasifikuj_udalost_data();
    void klasifikuj_udalost();
    void neznama_udalost_data();
    void neznama_udalost();
    void klasifikuj_chybu_portu_data();
    void klasifikuj_chybu_portu();
    void prenos_v_obou_smerech();
    void chybejici_zarizeni();
    void dva_porty_na_jednom_zarizeni();
    void port_drzeny_jinym_procesem();
    void zmizele_zarizeni_hlaseno_jednou();
};

void test_serial_port::klasifikuj_udalost_data() {
    QTest::addColumn<int>("kod");
    QTest::addColumn<int>("skupina");
    QTest::addColumn<QString>("text");
    const int ign = int(skupina_udalosti::ignorovano);
    const int dat = int(skupina_udalosti::data);
    const int ud = int(skupina_udalosti::udalost);
    const int ch = int(skupina_udalosti::chyba);
    QTest::newRow("1") << 1 << ign << "";
    QTest::newRow("2") << 2 << dat << "";
    QTest::newRow("3") << 3 << ud << "Change in CTS Detected";
    QTest::newRow("4") << 4 << ud << "Change in DSR Detected";
    QTest::newRow("5") << 5 << ud << "Change in CD Detected";
    QTest::newRow("6") << 6 << ud << "The Phone is Ringing";
    QTest::newRow("7") << 7 << ud << "End of File Detected";
    QTest::newRow("1001") << 1001 << ud << "Break Received";
    QTest::newRow("1002") << 1002 << ch << "CTS Timeout";
    QTest::newRow("1003") << 1003 << ch << "DSR Timeout";
    QTest::newRow("1004") << 1004 << ud << "Framing Error";
    QTest::newRow("1005") << 1005 << ch << "Unknown error or event";
    QTest::newRow("1006") << 1006 << ch << "Overrun Error";
    QTest::newRow("1007") << 1007 << ch << "Carrier Detect Timeout";
    QTest::newRow("1008") << 1008 << ch << "Receive Buffer Overflow";
    QTest::newRow("1009") << 1009 << ud << "Parity Error";
    QTest::newRow("1010") << 1010 << ch << "Transmit Buffer Full";
}

void test_serial_port::klasifikuj_udalost() {
    QFETCH(int, kod);
    QFETCH(int, skupina);
    QFETCH(QString, text);
    const udalost_linky u = tarvik::klasifikuj_udalost(kod);
    QCOMPARE(int(u.skupina), skupina);
    QCOMPARE(u.text, text);
}

void test_serial_port::neznama_udalost_data() {
    QTest::addColumn<int>("kod");
    for (int kod : {0, -1, -32768, 8, 500, 1000, 1011, 8005, 32767})
        QTest::addRow("%d", kod) << kod;
}

void test_serial_port::neznama_udalost() {
    QFETCH(int, kod);
    QCOMPARE(tarvik::klasifikuj_udalost(kod),
             (udalost_linky{skupina_udalosti::chyba, "Unknown error or event"}));
}

void test_serial_port::klasifikuj_chybu_portu_data() {
    QTest::addColumn<int>("chyba");
    QTest::addColumn<int>("skupina");
    QTest::addColumn<QString>("text");
    const int ign = int(skupina_udalosti::ignorovano);
    const int ch = int(skupina_udalosti::chyba);
    QTest::newRow("no error") << int(QSerialPort::NoError) << ign << "";
    QTest::newRow("resource (vanished)")
        << int(QSerialPort::ResourceError) << ch << "Serial Device Lost";
    QTest::newRow("read") << int(QSerialPort::ReadError) << ch << "Serial Device Lost";
    QTest::newRow("write") << int(QSerialPort::WriteError) << ch << "Write Error";
    QTest::newRow("unknown") << int(QSerialPort::UnknownError) << ch << "Unknown error or event";
    QTest::newRow("unsupported") << int(QSerialPort::UnsupportedOperationError) << ch
                                 << "Unknown error or event";
    QTest::newRow("timeout") << int(QSerialPort::TimeoutError) << ign << "";
    QTest::newRow("not open") << int(QSerialPort::NotOpenError) << ign << "";
    QTest::newRow("permission") << int(QSerialPort::PermissionError) << ign << "";
}

void test_serial_port::klasifikuj_chybu_portu() {
    QFETCH(int, chyba);
    QFETCH(int, skupina);
    QFETCH(QString, text);
    const udalost_linky u =
        tarvik::klasifikuj_chybu_portu(static_cast<QSerialPort::SerialPortError>(chyba));
    QCOMPARE(int(u.skupina), skupina);
    QCOMPARE(u.text, text);
}

void test_serial_port::prenos_v_obou_smerech() {
    test::temp_folder slozka;
    testovaci_simulator sim(v_slozce(slozka.path()));
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    seriovy_port port;
    QCOMPARE(port.otevri(2), vysledek_otevreni::ok);
    QVERIFY(port.je_otevren());
    QCOMPARE(port.cislo(), 2);
    QCOMPARE(port.cesta(), sim->cesta_zarizeni()); // the link is followed to the device

    QByteArray prijato;
    connect(&port, &seriovy_port::prijata_data, [&](const QByteArray& d) { prijato += d; });
    port.posli("XA\r\n");
    QVERIFY(testovaci_simulator::cekej([&] { return prijato.endsWith('\n'); }));
    QCOMPARE(sim->prijato(), QByteArray("XA\r\n"));
    QCOMPARE(prijato, "XS" + QByteArray(128, '0') + "\r\n");
}

void test_serial_port::chybejici_zarizeni() {
    test::temp_folder slozka;
    QDir(slozka.path()).mkdir(QStringLiteral("dosdevices"));
    QFile::link(slozka.file(QStringLiteral("nic")), slozka.file(QStringLiteral("dosdevices/com4")));
    seriovy_port port;
    QCOMPARE(port.otevri(4), vysledek_otevreni::chyba);
    QCOMPARE(port.otevri(0), vysledek_otevreni::chyba);
    QVERIFY(!port.je_otevren());
}

void test_serial_port::dva_porty_na_jednom_zarizeni() {
    test::temp_folder slozka;
    testovaci_simulator sim(v_slozce(slozka.path()));
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    // A second link to the same device must not get around the lock either.
    QFile::link(sim->cesta_zarizeni(), slozka.file(QStringLiteral("dosdevices/com3")));
    seriovy_port prvni;
    seriovy_port druhy;
    QCOMPARE(prvni.otevri(2), vysledek_otevreni::ok);
    QCOMPARE(druhy.otevri(2), vysledek_otevreni::obsazen);
    QCOMPARE(druhy.otevri(3), vysledek_otevreni::obsazen);
    prvni.zavri();
    QCOMPARE(druhy.otevri(3), vysledek_otevreni::ok);
}

void test_serial_port::port_drzeny_jinym_procesem() {
    test::temp_folder slozka;
    testovaci_simulator sim(v_slozce(slozka.path()));
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    // Another program holds the device: this test's own executable in its holding role.
    QProcess drzitel;
    drzitel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    drzitel.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--drz"), sim->cesta_zarizeni()});
    QVERIFY(drzitel.waitForReadyRead(20000));
    QCOMPARE(drzitel.readLine().trimmed(), QByteArray("drzim"));
    seriovy_port port;
    QCOMPARE(port.otevri(2), vysledek_otevreni::obsazen);
    drzitel.closeWriteChannel(); // the holder ends when its input closes
    QVERIFY(drzitel.waitForFinished(20000));
    QCOMPARE(port.otevri(2), vysledek_otevreni::ok);
}

void test_serial_port::zmizele_zarizeni_hlaseno_jednou() {
    test::temp_folder slozka;
    testovaci_simulator sim(v_slozce(slozka.path()));
    QVERIFY2(sim.bezi(), qPrintable(sim.chyba()));
    seriovy_port port;
    QCOMPARE(port.otevri(2), vysledek_otevreni::ok);
    QSignalSpy udalosti(&port, &seriovy_port::udalost);
    sim->zaves();
    QVERIFY(testovaci_simulator::cekej([&] { return !udalosti.isEmpty(); }));
    nech_bezet_udalosti();
    QCOMPARE(udalosti.size(), 1);
    const auto u = udalosti.first().first().value<udalost_linky>();
    QCOMPARE(u.skupina, skupina_udalosti::chyba);
    QCOMPARE(u.text, QStringLiteral("Serial Device Lost"));
    QVERIFY(!port.je_otevren());
    port.posli("XA\r\n"); // nothing happens
    nech_bezet_udalosti();
    QCOMPARE(udalosti.size(), 1);
}

// Holding role for port_drzeny_jinym_procesem: opens the device the way the program does and
// keeps it until standard input closes.
static int drz_port(const QString& zarizeni) {
    QSerialPort port(zarizeni);
    if (!port.open(QIODevice::ReadWrite))
        return 2;
    QFile vystup;
    vystup.open(stdout, QIODevice::WriteOnly);
    vystup.write("drzim\n");
    vystup.flush();
    QFile vstup;
    vstup.open(stdin, QIODevice::ReadOnly);
    vstup.readAll();
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--drz") {
        QCoreApplication app(argc, argv);
        return drz_port(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    test_serial_port t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "test_serial_port.moc"
