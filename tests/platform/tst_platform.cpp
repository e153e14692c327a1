// Where the program finds its serial devices and the backup medium; the line-error box; the
// manual quoting the program's messages exactly: every message it quotes is one of the texts in
// the program's sources.

#include "platform/devices.h"
#include "platform/message_box.h"
#include "platform/translations.h"
#include "support/rows.h"
#include "support/temp_folder.h"

#include <QtTest>
#include <QtWidgets>

using namespace tarvik;
using tarvik::test::radek;

namespace {

QString precti(const QString& cesta) {
    QFile f(cesta);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The string literals of the program's sources, blanks simplified, literals on adjacent lines
// joined as the compiler joins them; comments and character literals are skipped.
QSet<QString> texty_programu() {
    static const QRegularExpression spoj(QString::fromLatin1(R"re("\s*\n\s*(?:u8|u|U|L)?")re"));
    static const QRegularExpression token(
        QString::fromLatin1(
            R"re((?:u8|u|U|L)?"((?:[^"\\\n]|\\.)*)"|//[^\n]*|/\*.*?\*/|'(?:[^'\\\n]|\\.)*')re"),
        QRegularExpression::DotMatchesEverythingOption);
    QSet<QString> texty;
    QDirIterator soubory(QStringLiteral(TARVIK_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (soubory.hasNext())
        for (const auto& shoda : token.globalMatch(precti(soubory.next()).remove(spoj)))
            if (shoda.captured(0).endsWith(u'"'))
                texty.insert(shoda.captured(1)
                                 .replace(QLatin1String("\\\""), QLatin1String("\""))
                                 .replace(QLatin1String("\\\\"), QLatin1String("\\"))
                                 .replace(QLatin1String("\\n"), QLatin1String("\n"))
                                 .simplified());
    return texty;
}

} // namespace

class tst_platform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // dosdevices/com3 and dosdevices/a: both link to `cil`; with no `cil`, com3 is missing and a:
    // is a folder of its own. `port` is the device COM3 opens ("@": the link itself), `zaloha` the
    // backup file (empty: no medium). "%s" stands for the program's folder.
    void zarizeni_a_zaloha_data() {
        test::sloupce<QString, QString, QString>();
        radek("no com3, a: a folder with nothing mounted", "", "/dev/ttyS2", "");
        radek("a mounted file system", "/proc", "/proc", "/proc/tarvik.ini");
        radek("a folder on a mounted file system", "/proc/1", "/proc/1", "/proc/1/tarvik.ini");
        radek("a folder beside the configuration, nothing mounted", "%s/prazdna", "%s/prazdna", "");
        radek("dangling links", "/nonexistent/tarvik", "@", "");
    }

    void zarizeni_a_zaloha() {
#ifdef Q_OS_WIN
        QSKIP("Linux's device links; Windows has its own names (tests/windows/tst_windows.cpp)");
#endif
        auto [cil, port, zaloha] = test::hodnoty<QString, QString, QString>();
        test::docasna_slozka slozka;
        const QDir dir(slozka.path());
        QVERIFY(dir.mkpath("dosdevices") && dir.mkpath("prazdna"));
        const QString odkaz_portu = slozka.file("dosdevices/com3");
        cil.replace("%s", slozka.path());
        QVERIFY(cil.isEmpty() ? dir.mkdir("dosdevices/a:")
                              : QFile::link(cil, odkaz_portu) &&
                                    QFile::link(cil, slozka.file("dosdevices/a:")));
        QCOMPARE(std::pair(cesta_serioveho_portu(3), cesta_zalohy()),
                 std::pair(port == "@" ? odkaz_portu : port.replace("%s", dir.path()), zaloha));
    }

    // With Qt's Czech texts loaded, the line-error box keeps the English button texts its title
    // names, and is wide enough for its whole title in a bold face beside the window's icon and
    // three buttons, each at least as tall as the title's text.
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
        QCOMPARE(std::tuple(texty(ceska), texty(box),
                            box->width() >= m.horizontalAdvance(z.titulek) + 4 * m.height()),
                 std::tuple(QString("OKZrušit"), QString("OKCancel"), true));
    }

    // The messages that the manual quotes: marked <b class="hlaseni">, or a sentence in Czech
    // quotation marks. A message is one text of the program, or two joined (a heading and its
    // detail).
    void hlaseni_v_napovede() {
        const QSet<QString> texty = texty_programu();
        QVERIFY(texty.contains(QStringLiteral("Tarvik - chyba")));
        static const QRegularExpression citace(
            QString::fromUtf8(R"re(<b class="hlaseni">(.*?)</b>|„([^“]*\.)“)re"),
            QRegularExpression::DotMatchesEverythingOption);
        int pocet = 0;
        QStringList chybi;
        for (const auto& shoda : citace.globalMatch(
                 precti(QStringLiteral(TARVIK_SOURCE_DIR "/resources/tarvik.hlp")))) {
            const QString html = shoda.captured(1) + shoda.captured(2);
            const QString zprava = QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
            bool nalezena = texty.contains(zprava);
            for (auto t = texty.cbegin(); !nalezena && t != texty.cend(); ++t)
                nalezena =
                    zprava.startsWith(*t) && texty.contains(zprava.mid(t->size()).simplified());
            if (!nalezena)
                chybi << zprava;
            ++pocet;
        }
        QCOMPARE(std::pair(chybi, pocet > 20), std::pair(QStringList(), true));
    }
};

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
