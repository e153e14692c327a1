#include "config/codepage.h"
#include "platform/clock.h"
#include "platform/translations.h"
#include "print/print_surface.h"
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

// The table's 64 rows, `vzor` filled with each row's fields: the number, its name cut at 20
// characters or "---", and the same for the contactor 64 further on.
QStringList radky_tabulky(const QString& vzor) {
    const auto nazev = [](int c) { return nazvy.contains(c) ? nazvy.at(c).left(20) : u"---"_s; };
    QStringList radky;
    for (int r = 0; r < 64; ++r)
        radky << vzor.arg(r).arg(nazev(r)).arg(r + 64).arg(nazev(r + 64));
    return radky;
}

// Writes down every call: fonts as they are set, a line as "|" and its items (column:#number or
// column:"text"), "..." for a line left open. Fails the print call that makes the n-th record.
class zaznam_tisku final : public tiskova_plocha {
public:
    QStringList udalosti;
    int selhat_pri = 0;

    void nastav_pismo(const QString& nazev) override { udalosti << nazev; }
    void nastav_velikost(qreal body) override { udalosti << QString::number(body) + "pt"; }
    void nastav_tucne(bool z) override { udalosti << (z ? "tucne" : "netucne"); }
    void nastav_kurzivu(bool z) override { udalosti << (z ? "kurziva" : "bez kurzivy"); }
    bool tiskni_radek(const std::vector<polozka_tisku>& polozky, konec_radku konec) override {
        QString radek = u"|"_s;
        for (const auto& p : polozky)
            radek += u" %1:"_s.arg(p.sloupec) + (std::holds_alternative<int>(p.obsah)
                                                     ? '#' + QString::number(std::get<int>(p.obsah))
                                                     : '"' + std::get<QString>(p.obsah) + '"');
        udalosti << radek + (konec == konec_radku::nechat_otevreny ? " ..." : "");
        return udalosti.size() != selhat_pri;
    }
    bool ukonci_dokument() override {
        udalosti << "konec";
        return udalosti.size() != selhat_pri;
    }
};

} // namespace

class tst_printout : public QObject {
    Q_OBJECT

    // The installed layout: tarvik.ini in the program's folder is a link to the file in a folder
    // of its own. The user's home folder is a temporary one too.
    test::docasna_slozka slozka_;
    QTemporaryDir konfigurace_, domov_;
    // The backup medium: a file system of its own, as dosdevices/a: must lead to.
    QTemporaryDir medium_{u"/dev/shm/tarvik-medium-XXXXXX"_s};
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
        nastav_dnesni_datum(QDate(2026, 3, 5));
        qputenv("HOME", domov_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", domov_.filePath(u".config"_s).toUtf8());
        QVERIFY(nacti_ceske_texty_qt());
        QCOMPARE(QPrintDialog::tr("&Print"), "&Tisk"); // the print dialog speaks Czech
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is installed here; the tests need a machine without one");
        ini_ = "[system]\r\ncom=1\r\n[stykace]\r\n";
        for (const auto& [cislo, nazev] : nazvy)
            ini_ += "stykac" + QByteArray::number(cislo) + '=' + na_cp1250(nazev) + "\r\n";
        slozka_.write(konfigurace_.filePath(u"tarvik.ini"_s), ini_);
        QVERIFY(QFile::link(konfigurace_.filePath(u"tarvik.ini"_s), slozka_.ini()));
        QVERIFY(QDir(slozka_.path()).mkdir(u"dosdevices"_s));
        QVERIFY(QFile::link(medium_.path(), slozka_.file(u"dosdevices/a:"_s)));
        slozka_.write(medium_.filePath("tarvik.ini"), ini_);
    }

    // Fonts, the title line left open and ended in the table font, numbers as numbers and names
    // as texts at their columns, the date, the end. A failure part-way (row 34) stops at the failed
    // call: nothing after it, the document not ended, nothing said.
    void polozky_tisku() {
        zaznam_tisku plocha, selhani;
        selhani.selhat_pri = 47;
        tiskni_stykace(plocha, slozka_.ini());
        tiskni_stykace(selhani, slozka_.ini());
        const QString radky = radky_tabulky(u"| 10:#%1 17:\"%2\" 70:#%3 77:\"%4\""_s).join(u';');
        const QStringList ocekavane = (u"Times New Roman CE;18pt;tucne;| 15:\""_s + titulek +
                                       u"\" ...;Arial CE;9pt;tucne;bez kurzivy;|;|;|;|;"_s + radky +
                                       u";|;|;|;| 10:\"datum tisku: 5.3.2026\";konec"_s)
                                          .split(u';');
        QCOMPARE(std::tuple(plocha.udalosti, selhani.udalosti, zpravy_.zpravy.size()),
                 std::tuple(ocekavane, ocekavane.first(47), qsizetype(0)));
    }

    // With no printer the page goes to the file in the documents folder that the print dialog
    // offers, made when the operator has none, and the operator is told where: one page, read
    // back as laid-out text, every row holding just its four fields, each starting where it does
    // on the first row.
    void stranka_pdf() {
        QVERIFY(!QFileInfo::exists(dokumenty()));
        menu_tisk_stykace(slozka_.ini(), [&](QPrinter& t) { return vytiskni(t, u""_s); });
        QProcess pdftotext;
        pdftotext.start("pdftotext", {"-layout", "-enc", "UTF-8", nabizeny_soubor(), "-"});
        QVERIFY(pdftotext.waitForFinished(-1) && pdftotext.exitCode() == 0);
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QStringList radky = text.split(u'\n');
        radky.removeIf([](const QString& r) { return r.trimmed().isEmpty(); });
        QSet<QList<qsizetype>> sloupce; // where each row's fields start
        const QStringList pole = radky_tabulky(u"%1\t%2\t%3\t%4"_s);
        for (qsizetype r = 0; r < pole.size(); ++r) {
            QList<qsizetype> zacatky{-1};
            for (const QString& p : pole[r].split(u'\t'))
                zacatky << radky.value(1 + r).indexOf(p, zacatky.last() + 1);
            sloupce << zacatky;
        }
        for (QString& r : radky)
            r = r.simplified();
        QCOMPARE(std::tuple(text.count(u'\f'), radky, sloupce.size(), zpravy_.texty()),
                 std::tuple(qsizetype(1),
                            QStringList{titulek} + radky_tabulky(u"%1 %2 %3 %4"_s)
                                << u"datum tisku: 5.3.2026"_s,
                            qsizetype(1),
                            QStringList{u"Tabulka stykačů byla uložena do souboru:\n"_s +
                                        nabizeny_soubor()}));
        // Where no documents folder can be made, the home folder takes the file.
        QVERIFY(QFile::remove(nabizeny_soubor()) && QDir(dokumenty()).removeRecursively());
        slozka_.write(dokumenty(), "soubor, ne slozka");
        QCOMPARE(soubor_tisku_bez_tiskarny(), domov_.filePath(u"tarvik-stykace-2026-03-05.pdf"_s));
        QVERIFY(QFile::remove(dokumenty()));
    }

    // The chooser that "..." of the print dialog opens for a file deletes, renames and makes
    // nothing: an operator uses it without the password.
    void vyber_souboru_jen_vybira() {
        QPrinter tiskarna;
        bool videno = false, jen_cte = false;
        // The boxes are closed whatever they show, so that a failure does not leave them waiting.
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            QTimer::singleShot(0, [&] {
                if (auto* vyber = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    videno = true;
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
        QVERIFY(videno);
        QVERIFY(jen_cte);
    }

    // The printout never lands in the program's folder or the configuration's, however the name
    // leads there, nor in a device: the operator is told and nothing is written. A cancelled
    // dialog (null) prints nothing and says nothing.
    void cil_tisku_data() {
        QTest::addColumn<QString>("soubor");
        const QString program = slozka_.path(), dok = dokumenty();
        QVERIFY(QDir().mkpath(dok));
        const auto odkaz = [&](const QString& jmeno, const QString& cil) {
            QFile::link(cil, dok + u'/' + jmeno);
            return dok + u'/' + jmeno;
        };
        radek("podslozka programu", program + "/dosdevices/tabulka.pdf");
        radek("slozka konfigurace", konfigurace_.filePath("tabulka.pdf"));
        radek("..", dok + u'/' + QDir(dok).relativeFilePath(program + "/tarvik.ini"));
        radek("odkaz na tarvik.ini", odkaz("na-ini.pdf", program + "/tarvik.ini"));
        radek("odkaz nikam", odkaz("nikam.pdf", program + "/tabulka.pdf"));
        radek("odkaz na slozku a ..", odkaz("dos", program + "/dosdevices") + "/../tabulka.pdf");
        radek("tvrdy odkaz na konfiguraci", [&] {
            ::link(QFile::encodeName(konfigurace_.filePath("tarvik.ini")),
                   QFile::encodeName(dok + "/tvrdy.pdf"));
            return dok + "/tvrdy.pdf";
        }());
        radek("zaloha na mediu", medium_.filePath("tarvik.ini"));
        radek("odkaz na zalohu", odkaz("zaloha.pdf", medium_.filePath("tarvik.ini")));
        radek("zarizeni", u"/dev/null"_s);
        radek("zruseny dialog", QString());
    }

    void cil_tisku() {
        QFETCH(QString, soubor);
        QFile::remove(nabizeny_soubor());
        zpravy_.vymaz();
        menu_tisk_stykace(slozka_.ini(), [&](QPrinter& t) { return vytiskni(t, soubor); });
        QCOMPARE(zpravy_.texty(),
                 soubor.isNull() ? QStringList() : QStringList{zprava_cil_tisku_odmitnut});
        QCOMPARE(slozka_.read(u"tarvik.ini"_s), ini_);
        QCOMPARE(slozka_.read(medium_.filePath("tarvik.ini")), ini_);
        for (const QString& f :
             {nabizeny_soubor(), slozka_.file("tabulka.pdf"),
              slozka_.file("dosdevices/tabulka.pdf"), konfigurace_.filePath("tabulka.pdf")})
            QVERIFY2(!QFile::exists(f), qPrintable(f));
    }
};

QTEST_MAIN(tst_printout)
#include "tst_printout.moc"
