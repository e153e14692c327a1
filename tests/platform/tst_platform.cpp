// Where the program finds its serial devices and the backup medium.

#include "platform/devices.h"
#include "platform/message_box.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

using namespace tarvik;

class tst_platform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void zarizeni_a_zaloha_data();
    void zarizeni_a_zaloha();
    void ramecek_chyby_linky();
};

void tst_platform::zarizeni_a_zaloha_data() {
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

void tst_platform::zarizeni_a_zaloha() {
    QFETCH(QString, cil);
    QFETCH(QString, port);
    QFETCH(QString, zaloha);
    test::docasna_slozka slozka;
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

// The line-error box with Qt's Czech texts loaded: its title names its buttons, so they keep their
// English texts, and the box is wide enough for its whole title in a bold face.
void tst_platform::ramecek_chyby_linky() {
    QTranslator preklad;
    QVERIFY(preklad.load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&preklad);
    const zprava z{.text = QStringLiteral("Receive Buffer Overflow"),
                   .titulek = QStringLiteral("Cancel - Konec, Ok - ignoruj chybu"),
                   .tlacitka = tlacitka_zpravy::ok_storno,
                   .text_ok = QStringLiteral("OK"),
                   .text_storno = QStringLiteral("Cancel"),
                   .cely_titulek = true};
    std::unique_ptr<QMessageBox> ceska(
        vytvor_zpravu(nullptr, {.text = z.text, .tlacitka = z.tlacitka}));
    QCOMPARE(ceska->button(QMessageBox::Cancel)->text().remove(u'&'), QStringLiteral("Zrušit"));
    std::unique_ptr<QMessageBox> box(vytvor_zpravu(nullptr, z));
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QCOMPARE(box->button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    QCOMPARE(box->button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));
    QFont titulek = box->font();
    titulek.setBold(true);
    // The title bar shows the title beside the window's icon and three buttons, each at least as
    // tall as the title's text.
    const QFontMetrics m(titulek);
    QVERIFY(box->geometry().width() >= m.horizontalAdvance(z.titulek) + 4 * m.height());
    QCoreApplication::removeTranslator(&preklad);
}

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
