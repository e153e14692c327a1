#include "config/codepage.h"
#include "pdf_tools.h"
#include "platform/clock.h"
#include "print/printout.h"
#include "recording_surface.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <map>

using namespace tarvik;

namespace {

const QString titulek = QStringLiteral("Seznam a popis jednotlivých stykačů");

// Names stored in the test configuration, and how the printout shows them.
const std::map<int, QString> ulozene_nazvy{
    {0, QStringLiteral("Čerpadlo č. 1")},
    {5, QStringLiteral("Osvětlení haly - severní strana")}, // 31 characters
    {10, QStringLiteral("MMMMMMMMMMMMMMMMMMMMMMMMM")},      // 25 characters
    {63, QStringLiteral("Ventilátor")},
    {64, QStringLiteral("Kompresor")},
    {74, QStringLiteral("WWWWWWWWWWWWWWWWWWWW")}, // the widest 20 characters
    {100, QString()},                             // present but empty
    {127, QStringLiteral("Poslední stykač")},
};

QString tisteny_nazev(int cislo, bool s_nazvy) {
    if (!s_nazvy)
        return QStringLiteral("---");
    const auto it = ulozene_nazvy.find(cislo);
    return it == ulozene_nazvy.end() ? QStringLiteral("---") : it->second.left(20);
}

QByteArray konfigurace_s_nazvy() {
    QByteArray ini = "[system]\r\ncom=1\r\n[stykace]\r\n";
    for (const auto& [cislo, nazev] : ulozene_nazvy)
        ini += "stykac" + QByteArray::number(cislo) + '=' + na_cp1250(nazev) + "\r\n";
    return ini + "[chlivky]\r\nchlivek0=---\r\n";
}

// Plays an accepted print dialog that sends the page to a PDF file; tells the printable area.
volba_tiskarny do_pdf(const QString& soubor, QPageSize::PageSizeId papir = QPageSize::A4,
                      QRectF* tiskova_oblast = nullptr) {
    return [soubor, papir, tiskova_oblast](QPrinter& tiskarna) {
        tiskarna.setOutputFormat(QPrinter::PdfFormat);
        tiskarna.setOutputFileName(soubor);
        tiskarna.setPageSize(QPageSize(papir));
        if (tiskova_oblast)
            *tiskova_oblast = tiskarna.pageLayout().paintRect(QPageLayout::Point);
        return true;
    };
}

QString radek_tabulky(int r, bool s_nazvy) {
    return QStringLiteral("radek 10:#%1 17:\"%2\" 70:#%3 77:\"%4\"")
        .arg(r)
        .arg(tisteny_nazev(r, s_nazvy))
        .arg(r + 64)
        .arg(tisteny_nazev(r + 64, s_nazvy));
}

} // namespace

class tst_printout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void prubeh_tisku();
    void bez_konfigurace_jsou_vsechny_nazvy_pomlcky_data();
    void bez_konfigurace_jsou_vsechny_nazvy_pomlcky();
    void nazev_konci_znakem_nul();
    void datum_tisku_data();
    void datum_tisku();
    void selhani_ukonci_tisk_data();
    void selhani_ukonci_tisk();

    void stranka_pdf_data();
    void stranka_pdf();
    void zruseny_dialog_nic_netiskne();
    void zruseny_tiskovy_dialog();
    void nedostupna_tiskarna_nic_nehlasi();

private:
    std::unique_ptr<test::temp_folder> slozka_;
    std::unique_ptr<test::message_recorder> zpravy_;
};

void tst_printout::init() {
    slozka_ = std::make_unique<test::temp_folder>();
    zpravy_ = std::make_unique<test::message_recorder>();
    nastav_dnesni_datum(QDate(2026, 3, 5));
}

void tst_printout::cleanup() {
    nastav_dnesni_datum(QDate());
    zpravy_.reset();
    slozka_.reset();
}

// Every call in order: fonts, the title line left open and ended in the table font, the blank
// lines, numbers as numbers and names as texts at their columns, the date, the end.
void tst_printout::prubeh_tisku() {
    slozka_->write(QStringLiteral("tarvik.ini"), konfigurace_s_nazvy());
    test::recording_surface plocha;
    tiskni_stykace(plocha, slozka_->ini());

    QStringList ocekavane{
        QStringLiteral("pismo \"Times New Roman CE\""),
        QStringLiteral("velikost 18"),
        QStringLiteral("tucne 1"),
        QStringLiteral("radek 15:\"%1\" otevreny").arg(titulek),
        QStringLiteral("pismo \"Arial CE\""),
        QStringLiteral("velikost 9"),
        QStringLiteral("tucne 1"),
        QStringLiteral("kurziva 0"),
        QStringLiteral("radek"),
        QStringLiteral("radek"),
        QStringLiteral("radek"),
        QStringLiteral("radek"),
    };
    for (int r = 0; r < 64; ++r)
        ocekavane.append(radek_tabulky(r, true));
    ocekavane << QStringLiteral("radek") << QStringLiteral("radek") << QStringLiteral("radek")
              << QStringLiteral("radek 10:\"datum tisku: 5.3.2026\"")
              << QStringLiteral("konec dokumentu");
    QCOMPARE(plocha.udalosti, ocekavane);

    // The rows that the edge cases are about, spelled out.
    QCOMPARE(plocha.udalosti[12],
             QStringLiteral("radek 10:#0 17:\"Čerpadlo č. 1\" 70:#64 77:\"Kompresor\""));
    QCOMPARE(plocha.udalosti[17],
             QStringLiteral("radek 10:#5 17:\"Osvětlení haly - sev\" 70:#69 77:\"---\""));
    QCOMPARE(plocha.udalosti[22], QStringLiteral("radek 10:#10 17:\"MMMMMMMMMMMMMMMMMMMM\" 70:#74 "
                                                 "77:\"WWWWWWWWWWWWWWWWWWWW\""));
    QCOMPARE(plocha.udalosti[48], QStringLiteral("radek 10:#36 17:\"---\" 70:#100 77:\"\""));
    QCOMPARE(plocha.udalosti[75],
             QStringLiteral("radek 10:#63 17:\"Ventilátor\" 70:#127 77:\"Poslední stykač\""));
}

void tst_printout::bez_konfigurace_jsou_vsechny_nazvy_pomlcky_data() {
    QTest::addColumn<QByteArray>("obsah");
    QTest::addColumn<bool>("soubor_existuje");
    QTest::newRow("soubor chybi") << QByteArray() << false;
    QTest::newRow("prazdny soubor") << QByteArray() << true;
    QTest::newRow("bez sekce stykace") << QByteArray("[system]\r\ncom=1\r\n") << true;
    QTest::newRow("poskozeny soubor") << QByteArray("\x00\xff[stykace\nstykac0\n=x\n", 22) << true;
}

void tst_printout::bez_konfigurace_jsou_vsechny_nazvy_pomlcky() {
    QFETCH(QByteArray, obsah);
    QFETCH(bool, soubor_existuje);
    if (soubor_existuje)
        slozka_->write(QStringLiteral("tarvik.ini"), obsah);
    test::recording_surface plocha;
    tiskni_stykace(plocha, slozka_->ini());
    const QStringList tisky = plocha.tisky();
    QCOMPARE(tisky.size(), 74);
    for (int r = 0; r < 64; ++r)
        QCOMPARE(tisky[5 + r], radek_tabulky(r, false));
    QCOMPARE(tisky.last(), QStringLiteral("konec dokumentu"));
    QCOMPARE(slozka_->read(QStringLiteral("tarvik.ini")), obsah); // only read, never written
}

void tst_printout::nazev_konci_znakem_nul() {
    slozka_->write(QStringLiteral("tarvik.ini"),
                   QByteArray("[stykace]\r\nstykac1=Pec\0zbytek\r\nstykac65=\0\r\n", 41));
    test::recording_surface plocha;
    tiskni_stykace(plocha, slozka_->ini());
    QCOMPARE(plocha.tisky()[6], QStringLiteral("radek 10:#1 17:\"Pec\" 70:#65 77:\"\""));
}

void tst_printout::datum_tisku_data() {
    QTest::addColumn<QDate>("datum");
    QTest::addColumn<QString>("radek");
    QTest::newRow("jednociferny den a mesic")
        << QDate(2026, 3, 5) << "radek 10:\"datum tisku: 5.3.2026\"";
    QTest::newRow("dvouciferny den a mesic")
        << QDate(1999, 12, 31) << "radek 10:\"datum tisku: 31.12.1999\"";
    QTest::newRow("prestupny den") << QDate(2028, 2, 29) << "radek 10:\"datum tisku: 29.2.2028\"";
}

void tst_printout::datum_tisku() {
    QFETCH(QDate, datum);
    QFETCH(QString, radek);
    nastav_dnesni_datum(datum);
    test::recording_surface plocha;
    tiskni_stykace(plocha, slozka_->ini());
    const QStringList tisky = plocha.tisky();
    QCOMPARE(tisky[tisky.size() - 2], radek);
}

void tst_printout::selhani_ukonci_tisk_data() {
    QTest::addColumn<int>("selhani");
    // Print calls: 1 title, 2 its end, 3-5 blank, 6-69 table, 70-72 blank, 73 date, 74 end.
    QTest::newRow("titulek") << 1;
    QTest::newRow("konec titulku") << 2;
    QTest::newRow("prazdny radek") << 4;
    QTest::newRow("prvni radek tabulky") << 6;
    QTest::newRow("posledni radek tabulky") << 69;
    QTest::newRow("prazdny radek pod tabulkou") << 71;
    QTest::newRow("datum") << 73;
    QTest::newRow("konec dokumentu") << 74;
}

// The printout stops at the call that failed: nothing is printed after it and the document is
// not ended by the printout.
void tst_printout::selhani_ukonci_tisk() {
    QFETCH(int, selhani);
    test::recording_surface plocha;
    plocha.selhat_pri_tisku = selhani;
    tiskni_stykace(plocha, slozka_->ini());
    QCOMPARE(plocha.tisky().size(), selhani);
    QCOMPARE(plocha.udalosti.last(), plocha.tisky().last());
    QCOMPARE(plocha.udalosti.count(QStringLiteral("konec dokumentu")), selhani == 74 ? 1 : 0);
}

void tst_printout::stranka_pdf_data() {
    QTest::addColumn<QPageSize::PageSizeId>("papir");
    QTest::addColumn<bool>("s_nazvy");
    QTest::newRow("A4 s nazvy") << QPageSize::A4 << true;
    QTest::newRow("Letter s nazvy") << QPageSize::Letter << true;
    QTest::newRow("A4 bez nazvu") << QPageSize::A4 << false;
    QTest::newRow("Letter bez nazvu") << QPageSize::Letter << false;
}

// The real page through the menu command, read back as text: one page; the title; 64 rows whose
// four columns stand at the same place on every row; the date line.
void tst_printout::stranka_pdf() {
    QFETCH(QPageSize::PageSizeId, papir);
    QFETCH(bool, s_nazvy);
    slozka_->write(QStringLiteral("tarvik.ini"),
                   s_nazvy ? konfigurace_s_nazvy() : QByteArray("[stykace]\r\n"));
    const QString soubor = slozka_->file(QStringLiteral("stykace.pdf"));
    QRectF oblast;
    menu_tisk_stykace(slozka_->ini(), do_pdf(soubor, papir, &oblast));

    QVERIFY(QFile::exists(soubor));
    QCOMPARE(test::pdf_pocet_stran(soubor), 1);
    QVERIFY(zpravy_->zpravy.isEmpty());

    // Everything lies inside the printable area, the widest names included.
    const auto slova = test::pdf_slova(soubor);
    // Title 5 words, 64 rows of 4 (the names "---"), date 3; the stored names add 5 words.
    QCOMPARE(slova.size(), 5 + 64 * 4 + 3 + (s_nazvy ? 5 : 0));
    for (const auto& s : slova)
        QVERIFY2(oblast.adjusted(-0.5, -0.5, 0.5, 0.5)
                     .contains(QRectF(QPointF(s.x_min, s.y_min), QPointF(s.x_max, s.y_max))),
                 qPrintable(QStringLiteral("%1 at %2,%3-%4,%5")
                                .arg(s.text)
                                .arg(s.x_min)
                                .arg(s.y_min)
                                .arg(s.x_max)
                                .arg(s.y_max)));

    // The title in a bold serif face, the rest in a bold sans-serif face, nothing in italics.
    const QStringList pisma = test::pdf_pisma(soubor);
    const auto pouzito = [&](QLatin1String rodina) {
        for (const auto& p : pisma)
            if (p.contains(rodina) && p.contains(QLatin1String("Bold")))
                return true;
        return false;
    };
    QVERIFY2(pouzito(QLatin1String("Serif")) || pouzito(QLatin1String("Times")),
             qPrintable(pisma.join(u',')));
    QVERIFY2(pouzito(QLatin1String("Sans")) || pouzito(QLatin1String("Arial")),
             qPrintable(pisma.join(u',')));
    for (const auto& p : pisma)
        QVERIFY2(!p.contains(QLatin1String("Italic")) && !p.contains(QLatin1String("Oblique")),
                 qPrintable(p));

    QStringList radky;
    for (const QString& r : test::pdf_text(soubor).split(QLatin1Char('\n')))
        if (!r.trimmed().isEmpty() && r.trimmed() != QLatin1String("\f"))
            radky.append(r);
    QCOMPARE(radky.size(), 66);
    QCOMPARE(radky.first().trimmed(), titulek);
    QCOMPARE(radky.last().trimmed(), QStringLiteral("datum tisku: 5.3.2026"));

    // Each table row: the four fields in order, only blanks around them, each starting in the
    // same character column as on the first row.
    std::array<qsizetype, 4> sloupce_prvniho{};
    for (int r = 0; r < 64; ++r) {
        const QString& radek = radky[1 + r];
        const std::array<QString, 4> pole{QString::number(r), tisteny_nazev(r, s_nazvy),
                                          QString::number(r + 64), tisteny_nazev(r + 64, s_nazvy)};
        std::array<qsizetype, 4> sloupce{};
        qsizetype pozice = 0;
        for (std::size_t i = 0; i < pole.size(); ++i) {
            if (pole[i].isEmpty()) {
                sloupce[i] = sloupce_prvniho[i];
                continue;
            }
            const qsizetype nalez = radek.indexOf(pole[i], pozice);
            QVERIFY2(nalez >= 0,
                     qPrintable(QStringLiteral("%1 missing in: %2").arg(pole[i], radek)));
            QVERIFY2(radek.mid(pozice, nalez - pozice).trimmed().isEmpty(), qPrintable(radek));
            sloupce[i] = nalez;
            pozice = nalez + pole[i].size();
        }
        QVERIFY2(radek.mid(pozice).trimmed().isEmpty(), qPrintable(radek));
        if (r == 0)
            sloupce_prvniho = sloupce;
        QVERIFY2(sloupce == sloupce_prvniho,
                 qPrintable(QStringLiteral("row %1: %2").arg(r).arg(radek)));
    }
    QVERIFY(sloupce_prvniho[0] < sloupce_prvniho[1]);
    QVERIFY(sloupce_prvniho[1] < sloupce_prvniho[2]);
    QVERIFY(sloupce_prvniho[2] < sloupce_prvniho[3]);
}

void tst_printout::zruseny_dialog_nic_netiskne() {
    slozka_->write(QStringLiteral("tarvik.ini"), konfigurace_s_nazvy());
    const QString soubor = slozka_->file(QStringLiteral("zruseno.pdf"));
    bool dialog_zobrazen = false;
    menu_tisk_stykace(slozka_->ini(), [&](QPrinter& tiskarna) {
        dialog_zobrazen = true;
        do_pdf(soubor)(tiskarna);
        return false;
    });
    QVERIFY(dialog_zobrazen);
    QVERIFY(!QFile::exists(soubor));
    QVERIFY(zpravy_->zpravy.isEmpty());
}

// The real print dialog, closed with its cancel button as soon as it is shown.
void tst_printout::zruseny_tiskovy_dialog() {
    slozka_->write(QStringLiteral("tarvik.ini"), konfigurace_s_nazvy());
    QWidget okno;
    bool rozsah_nabidnut = true;
    bool dialog_zobrazen = false;
    QTimer::singleShot(0, this, [&] {
        QWidget* modalni = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QPrintDialog*>(modalni)) {
            dialog_zobrazen = true;
            rozsah_nabidnut = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
            dialog->reject();
        } else if (modalni) {
            modalni->close();
        }
    });
    menu_tisk_stykace(&okno, slozka_->ini());
    QVERIFY(dialog_zobrazen);
    QVERIFY(!rozsah_nabidnut);
    QVERIFY(zpravy_->zpravy.isEmpty());
    QCOMPARE(QDir(slozka_->path()).entryList(QDir::Files), QStringList{"tarvik.ini"});
}

// A printer that cannot be opened after the dialog ends the command quietly.
void tst_printout::nedostupna_tiskarna_nic_nehlasi() {
    const QString soubor = slozka_->file(QStringLiteral("chybi/stykace.pdf"));
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    menu_tisk_stykace(slozka_->ini(), do_pdf(soubor));
    QVERIFY(!QFile::exists(soubor));
    QVERIFY(zpravy_->zpravy.isEmpty());
}

QTEST_MAIN(tst_printout)
#include "tst_printout.moc"
