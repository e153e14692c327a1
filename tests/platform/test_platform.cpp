// Where the program finds its serial devices and the backup medium.

#include "platform/devices.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tarvik;

class test_platform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void zarizeni_a_zaloha_data();
    void zarizeni_a_zaloha();
};

void test_platform::zarizeni_a_zaloha_data() {
    QTest::addColumn<QString>("cil");    // what dosdevices/com3 and dosdevices/a: link to
    QTest::addColumn<QString>("port");   // expected device of COM3 ("@" = the link itself)
    QTest::addColumn<QString>("zaloha"); // expected backup file ("" = no medium)
    QTest::newRow("no links") << QString() << QStringLiteral("/dev/ttyS2") << QStringLiteral("-");
    QTest::newRow("a mounted file system")
        << QStringLiteral("/proc") << QStringLiteral("/proc") << QStringLiteral("/proc/tarvik.ini");
    QTest::newRow("a folder on a mounted file system")
        << QStringLiteral("/proc/1") << QStringLiteral("/proc/1")
        << QStringLiteral("/proc/1/tarvik.ini");
    QTest::newRow("a folder beside the configuration, nothing mounted")
        << QStringLiteral("%slozka%/prazdna") << QStringLiteral("%slozka%/prazdna") << QString();
    QTest::newRow("dangling links")
        << QStringLiteral("/nonexistent/tarvik") << QStringLiteral("@") << QString();
}

void test_platform::zarizeni_a_zaloha() {
    QFETCH(QString, cil);
    QFETCH(QString, port);
    QFETCH(QString, zaloha);
    test::temp_folder slozka;
    const QDir dir(slozka.path());
    QVERIFY(dir.mkpath(QStringLiteral("dosdevices")) && dir.mkpath(QStringLiteral("prazdna")));
    const QString odkaz_portu = slozka.file(QStringLiteral("dosdevices/com3"));
    cil.replace(QStringLiteral("%slozka%"), slozka.path());
    port.replace(QStringLiteral("%slozka%"), slozka.path());
    if (!cil.isEmpty()) {
        QVERIFY(QFile::link(cil, odkaz_portu));
        QVERIFY(QFile::link(cil, slozka.file(QStringLiteral("dosdevices/a:"))));
    }
    QCOMPARE(cesta_serioveho_portu(3), port == QLatin1String("@") ? odkaz_portu : port);
    if (zaloha != QLatin1String("-"))
        QCOMPARE(cesta_zalohy(), zaloha);

    // A folder of its own is a medium only when a file system is mounted there.
    QFile::remove(slozka.file(QStringLiteral("dosdevices/a:")));
    QVERIFY(dir.mkpath(QStringLiteral("dosdevices/a:")));
    QCOMPARE(cesta_zalohy(), QString());
}

QTEST_MAIN(test_platform)
#include "test_platform.moc"
