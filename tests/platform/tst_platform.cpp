// Where the program finds its serial devices and the backup medium; the line-error box.

#include "platform/devices.h"
#include "platform/message_box.h"
#include "support/rows.h"
#include "support/temp_folder.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

using namespace tarvik;
using tarvik::test::radek;

class tst_platform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // dosdevices/com3 and dosdevices/a: both link to `cil` (none when empty); `port` is the device
    // COM3 opens ("@": the link itself), `zaloha` the backup file (empty: no medium). "%s" stands
    // for the program's folder.
    void zarizeni_a_zaloha_data() {
        test::sloupce<QString, QString, QString>();
        const QString nic;
        radek("no links", nic, QString("/dev/ttyS2"), QString("-"));
        radek("a mounted file system", QString("/proc"), QString("/proc"),
              QString("/proc/tarvik.ini"));
        radek("a folder on a mounted file system", QString("/proc/1"), QString("/proc/1"),
              QString("/proc/1/tarvik.ini"));
        radek("a folder beside the configuration, nothing mounted", QString("%s/prazdna"),
              QString("%s/prazdna"), nic);
        radek("dangling links", QString("/nonexistent/tarvik"), QString("@"), nic);
    }

    void zarizeni_a_zaloha() {
        auto [cil, port, zaloha] = test::hodnoty<QString, QString, QString>();
        test::docasna_slozka slozka;
        const QDir dir(slozka.path());
        QVERIFY(dir.mkpath("dosdevices") && dir.mkpath("prazdna"));
        const QString odkaz_portu = slozka.file("dosdevices/com3");
        cil.replace("%s", slozka.path());
        QVERIFY(cil.isEmpty() ||
                (QFile::link(cil, odkaz_portu) && QFile::link(cil, slozka.file("dosdevices/a:"))));
        QCOMPARE(cesta_serioveho_portu(3),
                 port == "@" ? odkaz_portu : port.replace("%s", dir.path()));
        if (zaloha != "-") // the machine's own /media/floppy decides
            QCOMPARE(cesta_zalohy(), zaloha);

        // A folder of its own is a medium only when a file system is mounted there.
        QFile::remove(slozka.file("dosdevices/a:"));
        QVERIFY(dir.mkpath("dosdevices/a:"));
        QCOMPARE(cesta_zalohy(), QString());
    }

    // With Qt's Czech texts loaded, the line-error box keeps the English button texts its title
    // names, and is wide enough for its whole title in a bold face beside the window's icon and
    // three buttons, each at least as tall as the title's text.
    void ramecek_chyby_linky() {
        QTranslator preklad;
        QVERIFY(preklad.load(QLocale(QLocale::Czech), "qtbase", "_",
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&preklad);
        const zprava z{.text = "Receive Buffer Overflow",
                       .titulek = "Cancel - Konec, Ok - ignoruj chybu",
                       .tlacitka = tlacitka_zpravy::ok_storno,
                       .text_ok = "OK",
                       .text_storno = "Cancel",
                       .cely_titulek = true};
        std::unique_ptr<QMessageBox> ceska(vytvor_zpravu(nullptr, {.tlacitka = z.tlacitka}));
        QCOMPARE(ceska->button(QMessageBox::Cancel)->text().remove(u'&'), "Zrušit");
        std::unique_ptr<QMessageBox> box(vytvor_zpravu(nullptr, z));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QFont titulek = box->font();
        titulek.setBold(true);
        const QFontMetrics m(titulek);
        QCOMPARE(
            std::pair(box->button(QMessageBox::Ok)->text() +
                          box->button(QMessageBox::Cancel)->text(),
                      box->geometry().width() >= m.horizontalAdvance(z.titulek) + 4 * m.height()),
            std::pair(QString("OKCancel"), true));
        QCoreApplication::removeTranslator(&preklad);
    }
};

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
