#include "config/codepage.h"
#include "platform/clock.h"
#include "print/print_surface.h"
#include "print/printout.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <map>

using namespace tarvik;

namespace {

const QString titulek = QStringLiteral("Seznam a popis jednotlivých stykačů");

// Names stored in the test configuration; every other contactor has none.
const std::map<int, QString> nazvy{
    {0, QStringLiteral("Čerpadlo č. 1")},
    {5, QStringLiteral("Osvětlení haly - severní strana")},
    {63, QStringLiteral("Ventilátor")},
    {74, QStringLiteral("WWWWWWWWWWWWWWWWWWWWWW")}, // 22 of the widest letter
    {127, QStringLiteral("Poslední stykač")},
};

// A table row as printed: the number, its name cut at 20 characters or "---", and the same for
// the contactor 64 further on.
QStringList pole_radku(int r) {
    QStringList pole;
    for (int cislo : {r, r + 64}) {
        const auto it = nazvy.find(cislo);
        pole << QString::number(cislo)
             << (it == nazvy.end() ? QStringLiteral("---") : it->second.left(20));
    }
    return pole;
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
        QString radek = QStringLiteral("|");
        for (const auto& p : polozky)
            radek += QStringLiteral(" %1:").arg(p.sloupec) +
                     (std::holds_alternative<int>(p.obsah)
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

    test::temp_folder slozka_;
    test::message_recorder zpravy_;

private slots:
    void initTestCase() {
        nastav_dnesni_datum(QDate(2026, 3, 5));
        QByteArray ini = "[system]\r\ncom=1\r\n[stykace]\r\n";
        for (const auto& [cislo, nazev] : nazvy)
            ini += "stykac" + QByteArray::number(cislo) + '=' + na_cp1250(nazev) + "\r\n";
        slozka_.write(QStringLiteral("tarvik.ini"), ini);
    }

    // Fonts, the title line left open and ended in the table font, numbers as numbers and names
    // as texts at their columns, the date, the end. A failure part-way stops at the failed call:
    // nothing after it, the document not ended, nothing said.
    void polozky_tisku() {
        zaznam_tisku plocha, selhani;
        selhani.selhat_pri = 47; // row 34
        tiskni_stykace(plocha, slozka_.ini());
        tiskni_stykace(selhani, slozka_.ini());
        QStringList ocekavane = QStringLiteral("Times New Roman CE;18pt;tucne;| 15:\"%1\" ...;"
                                               "Arial CE;9pt;tucne;bez kurzivy;|;|;|;|")
                                    .arg(titulek)
                                    .split(u';');
        for (int r = 0; r < 64; ++r) {
            const QStringList p = pole_radku(r);
            ocekavane << QStringLiteral("| 10:#%1 17:\"%2\" 70:#%3 77:\"%4\"")
                             .arg(p[0], p[1], p[2], p[3]);
        }
        ocekavane << QStringLiteral("|;|;|;| 10:\"datum tisku: 5.3.2026\";konec").split(u';');
        QCOMPARE(plocha.udalosti, ocekavane);
        QCOMPARE(selhani.udalosti, ocekavane.first(47));
        QVERIFY(zpravy_.zpravy.isEmpty());
    }

    // The page through the menu command and Qt's printing, read back as laid-out text.
    void stranka_pdf() {
        const QString soubor = slozka_.file(QStringLiteral("stykace.pdf"));
        menu_tisk_stykace(slozka_.ini(), [&](QPrinter& tiskarna) {
            tiskarna.setOutputFileName(soubor);
            return true;
        });
        QVERIFY(zpravy_.zpravy.isEmpty());
        QProcess pdftotext;
        pdftotext.start("pdftotext", {"-layout", "-enc", "UTF-8", soubor, "-"});
        QVERIFY(pdftotext.waitForFinished(-1) && pdftotext.exitCode() == 0);
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QCOMPARE(text.count(u'\f'), 1); // one page
        QStringList radky = text.split(u'\n');
        radky.removeIf([](const QString& r) { return r.trimmed().isEmpty(); });
        QCOMPARE(radky.size(), 66);
        QCOMPARE(radky.first().trimmed(), titulek);
        QCOMPARE(radky.last().trimmed(), QStringLiteral("datum tisku: 5.3.2026"));
        // Every row holds just its four fields, each starting where it does on the first row.
        QList<qsizetype> sloupce;
        for (int r = 0; r < 64; ++r) {
            QStringList pole = pole_radku(r);
            for (auto& p : pole)
                p = QRegularExpression::escape(p);
            const auto shoda =
                QRegularExpression("^\\s*(" + pole.join(")\\s+(") + ")\\s*$").match(radky[1 + r]);
            QList<qsizetype> zacatky;
            for (int i = 1; i <= 4 && shoda.hasMatch(); ++i)
                zacatky << shoda.capturedStart(i);
            if (r == 0)
                sloupce = zacatky;
            QVERIFY2(shoda.hasMatch() && zacatky == sloupce, qPrintable(radky[1 + r]));
        }
    }

    // Cancelling the print dialog prints nothing and says nothing.
    void zruseny_dialog() {
        const QString soubor = slozka_.file(QStringLiteral("zruseno.pdf"));
        menu_tisk_stykace(slozka_.ini(), [&](QPrinter& tiskarna) {
            tiskarna.setOutputFileName(soubor);
            return false;
        });
        QVERIFY(!QFile::exists(soubor));
        QVERIFY(zpravy_.zpravy.isEmpty());
    }
};

QTEST_MAIN(tst_printout)
#include "tst_printout.moc"
