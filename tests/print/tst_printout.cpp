#include "config/codepage.h"
#include "platform/clock.h"
#include "platform/devices.h"
#include "platform/translations.h"
#include "print/printout.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>
#include <map>
#include <unistd.h>

using namespace tarvik;
using tarvik::test::radek;
using namespace Qt::StringLiterals;

namespace {

const QString titulek = u"Seznam a popis jednotlivých stykačů"_s;

// Names stored in the test configuration (74: the widest letter 22 times); every other contactor
// has none.
const std::map<int, QString> nazvy{
    {0, u"Čerpadlo č. 1"_s},     {5, u"Osvětlení haly - severní strana"_s},
    {63, u"Ventilátor"_s},       {74, QString(22, u'W')},
    {127, u"Poslední stykač"_s},
};

} // namespace

class tst_printout : public QObject {
    Q_OBJECT

    // The installed layout: tarvik.ini in the program's folder is a link to the file in a folder
    // of its own; a medium (a file system of its own) holds a backup. The user's home folder is a
    // temporary one too.
    test::docasna_slozka slozka_;
    QTemporaryDir konfigurace_, domov_, medium_{u"/dev/shm/tarvik-XXXXXX"_s};
    QByteArray ini_;
    test::zapisnik_zprav zpravy_;

    QString dokumenty() const { return domov_.filePath(u"Documents"_s); }
    // The file that the print dialog offers when no printer is installed.
    QString nabizeny_soubor() const { return dokumenty() + u"/tarvik-stykace-2026-03-05.pdf"_s; }

    // The print dialog as the operator leaves it: `soubor` typed over the file that it offers
    // (when given), then accepted; a null `soubor` cancels it.
    bool vytiskni(QPrinter& tiskarna, const QString& soubor) {
        QPrintDialog dialog(&tiskarna);
        dialog.show(); // as exec() does, without waiting
        auto* pole = dialog.findChild<QLineEdit*>(u"filename"_s);
        if (pole && !soubor.isEmpty())
            pole->setText(soubor);
        soubor.isNull() ? dialog.reject() : dialog.accept();
        return !soubor.isNull();
    }

private Q_SLOTS:
    void initTestCase() {
        // No printer, whatever this machine has: the print server is one that is not there.
        qputenv("CUPS_SERVER", "/nonexistent/tarvik-test/cups.sock");
        nastav_dnesni_datum(QDate(2026, 3, 5));
        qputenv("HOME", domov_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", domov_.filePath(u".config"_s).toUtf8());
        QVERIFY(nacti_ceske_texty_qt());
        QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
        ini_ = "[system]\r\ncom=1\r\n[stykace]\r\n";
        for (const auto& [cislo, nazev] : nazvy)
            ini_ += "stykac" + QByteArray::number(cislo) + '=' + na_cp1250(nazev) + "\r\n";
        slozka_.write(konfigurace_.filePath(u"tarvik.ini"_s), ini_);
        slozka_.write(medium_.filePath(u"tarvik.ini"_s), "zaloha");
        QVERIFY(QFile::link(konfigurace_.filePath(u"tarvik.ini"_s), slozka_.ini()) &&
                QDir(slozka_.path()).mkdir(u"dosdevices"_s) &&
                QFile::link(medium_.path(), slozka_.file(u"dosdevices/a:"_s)));
    }

    // With no printer the page goes to the file in the documents folder that the print dialog
    // offers, made when the operator has none, and the operator is told where. The one page read
    // back is stranka.txt: each line how far down it starts, then each field (words less than
    // 8 pt apart) where it starts, in tenths of a point, and what it says. Tab columns are average
    // character widths of the font in force (4.30 pt in Liberation Sans 9 pt bold, the table's;
    // 7.68 pt in Liberation Serif 18 pt bold, the title's), from the printable area 10.06 pt in
    // from the paper's edge: the title at column 15, the numbers at 10 and 70 after a blank of
    // 2.50 pt, the names (cut at 20 characters) at 17 and 77, the date at 10; three blank lines
    // between the title and the table, and between the table and the date.
    void stranka_pdf() {
        QVERIFY(!QFileInfo::exists(dokumenty()));
        menu_tisk_stykace(slozka_.ini(), [&](QPrinter& t) { return vytiskni(t, u""_s); });
        QProcess pdftotext;
        pdftotext.start("pdftotext", {"-bbox", nabizeny_soubor(), "-"});
        QVERIFY(pdftotext.waitForFinished());
        const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
        static const QRegularExpression slovo(
            uR"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)"[^>]*>([^<]*)</word>)re"_s);
        // Each word by its line (from the top), then from the left: where it ends, what it says.
        std::map<int, std::map<qreal, std::pair<qreal, QString>>> slova;
        for (const auto& s : slovo.globalMatch(html))
            slova[qRound(s.captured(2).toDouble() * 10)][s.captured(1).toDouble()] = {
                s.captured(3).toDouble(), s.captured(4)};
        QStringList stranka;
        for (const auto& [y, radek] : slova) {
            stranka << QString::number(y);
            qreal konec = -100;
            for (const auto& [x, s] : radek) {
                stranka.last() +=
                    (x - konec > 8 ? u" | %1 "_s.arg(qRound(x * 10)) : u" "_s) + s.second;
                konec = s.first;
            }
        }
        QCOMPARE(html.count(u"<page "_s), 1);
        QCOMPARE(stranka, QString::fromUtf8(slozka_.read(QFINDTESTDATA("stranka.txt")))
                              .split(u'\n', Qt::SkipEmptyParts));
        QCOMPARE(zpravy_.texty(),
                 QStringList{u"Tabulka stykačů byla uložena do souboru:\n"_s + nabizeny_soubor()});
    }

    // Without a home folder that it may write, the print dialog offers no file at all, so that
    // the operator says where the table goes: never a folder that other accounts share, such as
    // the temporary one, where another account's link may wait.
    void bez_domova() {
        const QByteArray domov = qgetenv("HOME");
        qputenv("HOME", "/proc/tarvik-bez-domova");
        const QString nabidnuto = soubor_tisku_bez_tiskarny();
        qputenv("HOME", domov);
        QCOMPARE(nabidnuto, QString());
    }

    // The chooser that "..." of the print dialog opens for a file deletes, renames and makes
    // nothing: an operator uses it without the password.
    void vyber_souboru_jen_vybira() {
        QPrinter tiskarna;
        bool jen_cte = false;
        // The boxes are closed whatever they show, so that a failure does not leave them waiting.
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            QTimer::singleShot(0, [&] {
                if (auto* vyber = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    auto* model = vyber->findChild<QFileSystemModel*>();
                    auto* nova_slozka = vyber->findChild<QToolButton*>(u"newFolderButton"_s);
                    jen_cte =
                        model && model->isReadOnly() && nova_slozka && !nova_slozka->isEnabled();
                    vyber->reject();
                }
            });
            if (dialog) {
                if (auto* tri_tecky = dialog->findChild<QToolButton*>(u"fileBrowser"_s))
                    tri_tecky->click();
                dialog->reject();
            }
        });
        QVERIFY(!dialog_tisku(nullptr)(tiskarna));
        QVERIFY(jen_cte);
    }

    // The printout never lands in the program's folder or the configuration's, however the name
    // leads there, nor in a device: the operator is told and nothing is written. A cancelled
    // dialog (null) prints nothing and says nothing.
    void cil_tisku_data() {
        QTest::addColumn<QString>("soubor");
        const QString program = slozka_.path(), dok = dokumenty();
        QVERIFY(QDir().mkpath(dok));
        const auto odkaz = [&](const QString& jmeno, const QString& cil, bool tvrdy = false) {
            (void)(tvrdy ? ::link(QFile::encodeName(cil), QFile::encodeName(dok + u'/' + jmeno))
                         : QFile::link(cil, dok + u'/' + jmeno));
            return dok + u'/' + jmeno;
        };
        radek("podslozka programu", program + "/dosdevices/tabulka.pdf");
        radek("slozka konfigurace", konfigurace_.filePath("tabulka.pdf"));
        radek("..", dok + u'/' + QDir(dok).relativeFilePath(program + "/tarvik.ini"));
        radek("odkaz na tarvik.ini", odkaz("na-ini.pdf", program + "/tarvik.ini"));
        radek("odkaz nikam, do slozky programu", odkaz("nikam.pdf", program + "/tabulka.pdf"));
        radek("odkaz na slozku a ..", odkaz("dos", program + "/dosdevices") + "/../tabulka.pdf");
        radek("tvrdy odkaz na konfiguraci",
              odkaz("tvrdy.pdf", konfigurace_.filePath("tarvik.ini"), true));
        radek("zarizeni", u"/dev/null"_s);
        radek("zaloha odkazem", odkaz("zaloha.pdf", medium_.filePath(u"tarvik.ini"_s)));
        radek("zruseny dialog", QString());
    }

    void cil_tisku() {
        QFETCH(QString, soubor);
        if (QByteArray(QTest::currentDataTag()).startsWith("zaloha") && cesta_zalohy().isEmpty())
            QSKIP("no file system of its own at /dev/shm to serve as the medium");
        QFile::remove(nabizeny_soubor());
        zpravy_.vymaz();
        menu_tisk_stykace(slozka_.ini(), [&](QPrinter& t) { return vytiskni(t, soubor); });
        QCOMPARE(
            zpravy_.texty(),
            soubor.isNull()
                ? QStringList()
                : QStringList{u"Do zvoleného souboru nelze tisknout. Tabulka se nesmí uložit do "
                              u"složky programu ani přes konfigurační soubor nebo jeho zálohu "
                              u"a musí jít do obyčejného souboru. Zvolte jiný soubor."_s});
        QCOMPARE(slozka_.read(u"tarvik.ini"_s), ini_);
        QCOMPARE(slozka_.read(medium_.filePath(u"tarvik.ini"_s)), "zaloha");
        for (const QString& f :
             {nabizeny_soubor(), slozka_.file("tabulka.pdf"),
              slozka_.file("dosdevices/tabulka.pdf"), konfigurace_.filePath("tabulka.pdf")})
            QVERIFY2(!QFile::exists(f), qPrintable(f));
    }
};

QTEST_MAIN(tst_printout)
#include "tst_printout.moc"
