// Where the program finds its serial devices and the backup medium; the line-error box.

#include "platform/devices.h"
#include "platform/message_box.h"
#include "platform/translations.h"
#include "support/rows.h"
#include "support/temp_folder.h"

#include <QtTest>
#include <QtWidgets>

using namespace tarvik;
using tarvik::test::radek;

class tst_platform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // dosdevices/com3 and dosdevices/a: both link to `cil`; with no `cil`, com3 is missing and a:
    // is a folder of its own. `port` is the device COM3 opens ("@": the link itself), `zaloha` the
    // backup file (empty: no medium). "%s" stands for the program's folder.
    void zarizeni_a_zaloha_data() {
        test::sloupce<QString, QString, QString>({"cil", "port", "zaloha"});
        radek("no com3, a: a folder with nothing mounted", "", "/dev/ttyS2", "");
        radek("a mounted file system", "/proc", "/proc", "/proc/tarvik.ini");
        radek("a folder on a mounted file system", "/proc/1", "/proc/1", "/proc/1/tarvik.ini");
        radek("a folder beside the configuration, nothing mounted", "%s/prazdna", "%s/prazdna", "");
        radek("dangling links", "/nonexistent/tarvik", "@", "");
    }

    void zarizeni_a_zaloha() {
        auto [cil, port, zaloha] = test::hodnoty<QString, QString, QString>();
        test::docasna_slozka slozka;
        const QDir dir(slozka.path());
        QVERIFY(dir.mkpath("dosdevices") && dir.mkpath("prazdna"));
        const QString odkaz_portu = slozka.file("dosdevices/com3");
        cil.replace("%s", slozka.path());
        QVERIFY(cil.isEmpty() ? dir.mkdir("dosdevices/a:")
                              : QFile::link(cil, odkaz_portu) &&
                                    QFile::link(cil, slozka.file("dosdevices/a:")));
        QCOMPARE(cesta_serioveho_portu(3),
                 port == "@" ? odkaz_portu : port.replace("%s", dir.path()));
        QCOMPARE(cesta_zalohy(), zaloha);
    }

    // With Qt's Czech texts loaded, the line-error box keeps the English button texts its title
    // names, and is wide enough for its whole title in a bold face beside the window's icon and
    // three buttons, each at least as tall as the title's text. Enter is its OK, Esc its Cancel.
    void ramecek_chyby_linky() {
        QVERIFY(nacti_ceske_texty_qt());
        const zprava z{.titulek = "Cancel - Konec, Ok - ignoruj chybu",
                       .tlacitka = tlacitka_zpravy::ok_storno,
                       .text_ok = "OK",
                       .text_storno = "Cancel",
                       .cely_titulek = true};
        std::unique_ptr<QMessageBox> ceska(vytvor_zpravu(nullptr, {.tlacitka = z.tlacitka}));
        std::unique_ptr<QMessageBox> box(vytvor_zpravu(nullptr, z));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QFont titulek = box->font();
        titulek.setBold(true);
        const QFontMetrics m(titulek);
        const auto texty = [](const std::unique_ptr<QMessageBox>& b) {
            return b->button(QMessageBox::Ok)->text() + b->button(QMessageBox::Cancel)->text();
        };
        QCOMPARE(texty(ceska), "OKZrušit");
        QCOMPARE(texty(box), "OKCancel");
        QVERIFY(box->width() >= m.horizontalAdvance(z.titulek) + 4 * m.height());
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok)); // Enter
        QTest::keyClick(box.get(), Qt::Key_Escape);
        QCOMPARE(box->clickedButton(), box->button(QMessageBox::Cancel));
    }
};

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
