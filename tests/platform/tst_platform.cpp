// Where the program finds its serial devices, the backup medium and Qt's plugins; the line-error
// box; the print dialog in Czech.

#include "platform/devices.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/program_folder.h"
#include "platform/translations.h"
#include "support/rows.h"
#include "support/temp_folder.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>

using namespace tarvik;
using tarvik::test::radek;
using namespace Qt::StringLiterals;

#ifndef Q_OS_WIN
namespace {

// The text a widget shows: a label's, a button's, a group's title.
QString text_widgetu(const QWidget* w) {
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    return {};
}

} // namespace
#endif

class tst_platform : public QObject {
    Q_OBJECT

private Q_SLOTS:
#ifndef Q_OS_WIN // Windows has its own device names (tests/windows) and its own print dialog
    // dosdevices/com3 and dosdevices/a: both link to `cil`; with no `cil`, com3 is missing and a:
    // is a folder of its own. `port` is the device COM3 opens ("@": the link itself), `zaloha` the
    // backup file (empty: no medium). "%s" stands for the program's folder.
    void zarizeni_a_zaloha_data() {
        test::sloupce<QString, QString, QString>({"cil", "port", "zaloha"});
        radek("no com3, a: a folder with nothing mounted", "", "/dev/ttyS2", "");
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

    // The print dialog in Czech, in its own words where Qt's catalogue has none, and every
    // access key of the dialog (the options shown) opens one thing only: Název, Vlastnosti,
    // Výstupní soubor, Tisk, Možnosti.
    void tiskovy_dialog() {
        QVERIFY(nacti_ceske_texty_qt());
        QPrinter tiskarna;
        tiskarna.setOutputFormat(QPrinter::PdfFormat);
        QPrintDialog d(&tiskarna);
        d.show();
        for (QPushButton* b : d.findChildren<QPushButton*>())
            if (b->text().startsWith(u"&Možnosti"_s))
                b->click();
        QCOMPARE(d.findChild<QGroupBox*>(u"gbPrintRange"_s)->title(), u"Rozsah tisku"_s);
        QStringList klavesy;
        static const QRegularExpression klavesa(u"&([^&])"_s);
        for (QWidget* w : d.findChildren<QWidget*>())
            if (const auto k = klavesa.match(text_widgetu(w)); k.hasMatch() && w->isVisibleTo(&d))
                klavesy << k.captured(1).toLower();
        klavesy.sort();
        QCOMPARE(klavesy, (QStringList{"m", "n", "s", "t", "v"}));
    }
#endif

    // The one write that puts a new content over an old one in place: the bytes that differ, all
    // within one 4096-byte page, never a shorter file. "-" where no such write exists.
    void zmena_na_miste_data() {
        test::sloupce<QByteArray, QByteArray, QString>({"stary", "novy", "usek"});
        const QByteArray a4094(4094, 'a');
        radek("one byte in the middle", "abcdef"_ba, "abXdef"_ba, u"2-3"_s);
        radek("nothing changes", "abc"_ba, "abc"_ba, u"3-3"_s);
        radek("grows at the end", "abc"_ba, "abcde"_ba, u"3-5"_s);
        radek("shorter", "abcdef"_ba, "abXd"_ba, u"-"_s);
        radek("the last byte of the first page", a4094 + "aa", a4094 + "ab", u"4095-4096"_s);
        radek("the first byte of the second page", a4094 + "aaa", a4094 + "aab", u"4096-4097"_s);
        radek("across the page boundary", a4094 + "aaa", a4094 + "abb", u"-"_s);
        radek("grows across the page boundary", a4094, a4094 + "bbb", u"-"_s);
    }

    void zmena_na_miste() {
        const auto [stary, novy, usek] = test::hodnoty<QByteArray, QByteArray, QString>();
        const auto u = tarvik::zmena_na_miste(stary, novy);
        QCOMPARE(u ? u"%1-%2"_s.arg(u->od).arg(u->po) : u"-"_s, usek);
    }

    // With Qt's Czech texts loaded, the line-error box keeps the English button texts its title
    // names. It is wide enough for the whole title in a bold face beside the window's icon and
    // three buttons, each at least as tall as the title's text, however short its own text. Enter
    // is its OK, Esc its Cancel.
    void ramecek_chyby_linky() {
        QVERIFY(nacti_ceske_texty_qt());
        const zprava z{.titulek = "Cancel - Konec, Ok - ignoruj chybu",
                       .tlacitka = tlacitka_zpravy::ok_storno,
                       .text_ok = "OK",
                       .text_storno = "Cancel"};
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

    // The program takes Qt's plugins from the system's folders alone, never from its own folder,
    // where no plugin belongs on Linux: not even as the application object is made and loads its
    // platform plugin (main() below makes it as the program does).
    void pluginy_ze_systemu() {
        const QString vlastni = QDir(QCoreApplication::applicationDirPath()).canonicalPath();
#ifdef Q_OS_WIN
        // On Windows the plugins live beside the program, in a folder administrators alone write.
        QVERIFY(QCoreApplication::libraryPaths().contains(vlastni));
#else
        QVERIFY(!QCoreApplication::libraryPaths().contains(vlastni));
        QVERIFY(QCoreApplication::libraryPaths().contains(
            QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath)).canonicalPath()));
#endif
    }
};

int main(int argc, char** argv) {
    pluginy_jen_ze_systemu();
    QApplication aplikace(argc, argv);
    tst_platform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
