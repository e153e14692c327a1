#include "pdf_tools.h"
#include "print/print_surface.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

using namespace tarvik;
using tarvik::test::pdf_slovo;

namespace {

constexpr int rozliseni = 1200; // QPdfWriter's default, stated so the points below stay exact

double na_body(qreal pixely) {
    return pixely * 72.0 / rozliseni;
}

const pdf_slovo* najdi(const QList<pdf_slovo>& slova, const QString& text) {
    for (const auto& s : slova)
        if (s.text == text)
            return &s;
    return nullptr;
}

// The font the surface is expected to use for a face, size and weight on `zarizeni`.
QFont pismo(const QString& nazev, qreal body, bool tucne) {
    QFont f;
    f.setFamilies(rodiny_pisma(nazev));
    f.setPointSizeF(body);
    f.setBold(tucne);
    return f;
}

} // namespace

class tst_print_surface : public QObject {
    Q_OBJECT

private slots:
    void cislo_s_mezerami_data();
    void cislo_s_mezerami();
    void sirka_sloupce_jako_u_arialu_data();
    void sirka_sloupce_jako_u_arialu();
    void sloupce_podle_prumerne_sirky_data();
    void sloupce_podle_prumerne_sirky();
    void otevreny_radek_pokracuje_dalsim_tiskem();
    void text_za_sloupcem_se_neprekryva();
    void preteceni_stranky_zacne_novou_stranu();

private:
    QTemporaryDir slozka_;
};

void tst_print_surface::cislo_s_mezerami_data() {
    QTest::addColumn<int>("cislo");
    QTest::addColumn<QString>("text");
    QTest::newRow("nula") << 0 << " 0 ";
    QTest::newRow("jednocifene") << 7 << " 7 ";
    QTest::newRow("posledni stykac") << 127 << " 127 ";
    QTest::newRow("zaporne") << -5 << "-5 ";
    QTest::newRow("nejvetsi") << INT_MAX << " 2147483647 ";
    QTest::newRow("nejmensi") << INT_MIN << "-2147483648 ";
}

void tst_print_surface::cislo_s_mezerami() {
    QFETCH(int, cislo);
    QFETCH(QString, text);
    QCOMPARE(text_cisla(cislo), text);
}

void tst_print_surface::sirka_sloupce_jako_u_arialu_data() {
    QTest::addColumn<bool>("tucne");
    QTest::addColumn<double>("jednotek");
    // Arial's average character width in units of 2048 to the em: the table's columns have always
    // been this wide.
    QTest::newRow("obycejne") << false << 904.0;
    QTest::newRow("tucne") << true << 983.0;
}

// Faces with Arial's letter widths give Arial's column width, whatever their font files state as
// their average width.
void tst_print_surface::sirka_sloupce_jako_u_arialu() {
    QFETCH(bool, tucne);
    QFETCH(double, jednotek);
    const QFont f = pismo(QStringLiteral("Arial CE"), 2048 * 72.0 / rozliseni, tucne);
    const QString rodina = QFontInfo(f).family();
    if (rodina != QLatin1String("Arial") && rodina != QLatin1String("Liberation Sans"))
        QSKIP("no face with Arial's letter widths is installed");
    QPdfWriter pdf(slozka_.filePath(QStringLiteral("sirka.pdf")));
    pdf.setResolution(rozliseni);
    const qreal sirka = prumerna_sirka_znaku(QFontMetricsF(f, &pdf));
    QVERIFY2(qAbs(sirka - jednotek) < jednotek * 0.005, qPrintable(QString::number(sirka)));
}

void tst_print_surface::sloupce_podle_prumerne_sirky_data() {
    QTest::addColumn<QString>("nazev");
    QTest::addColumn<qreal>("body");
    QTest::addColumn<bool>("tucne");
    QTest::newRow("tabulka") << "Arial CE" << qreal(9) << true;
    QTest::newRow("titulek") << "Times New Roman CE" << qreal(18) << true;
    QTest::newRow("obycejne") << "Arial CE" << qreal(12) << false;
}

// Column c starts (c - 1) average character widths of the font in force from the left edge of
// the printable area; a number starts with its blank.
void tst_print_surface::sloupce_podle_prumerne_sirky() {
    QFETCH(QString, nazev);
    QFETCH(qreal, body);
    QFETCH(bool, tucne);
    const QString soubor = slozka_.filePath(QStringLiteral("sloupce.pdf"));
    QPdfWriter pdf(soubor);
    pdf.setResolution(rozliseni);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(20, 15, 20, 15), QPageLayout::Millimeter);
    {
        tiskova_plocha_qpainter plocha(pdf);
        QVERIFY(plocha.zacni());
        plocha.nastav_pismo(nazev);
        plocha.nastav_velikost(body);
        plocha.nastav_tucne(tucne);
        QVERIFY(plocha.tiskni_radek(
            {{1, QStringLiteral("A")}, {12, QStringLiteral("B")}, {30, QStringLiteral("C")}}));
        QVERIFY(plocha.tiskni_radek({{0, QStringLiteral("D")}, {20, 42}}));
        QVERIFY(plocha.ukonci_dokument());
    }
    const QFontMetricsF metriky(pismo(nazev, body, tucne), &pdf);
    const double sirka = na_body(prumerna_sirka_znaku(metriky));
    const double levy_okraj = pdf.pageLayout().paintRect(QPageLayout::Point).left();
    const auto slova = test::pdf_slova(soubor);
    const auto ocekavane = [&](const QString& text, double x) {
        const pdf_slovo* s = najdi(slova, text);
        QVERIFY2(s, qPrintable(text));
        QVERIFY2(
            qAbs(s->x_min - x) < 0.05,
            qPrintable(QStringLiteral("%1 at %2, expected %3").arg(text).arg(s->x_min).arg(x)));
    };
    ocekavane(QStringLiteral("A"), levy_okraj);
    ocekavane(QStringLiteral("B"), levy_okraj + 11 * sirka);
    ocekavane(QStringLiteral("C"), levy_okraj + 29 * sirka);
    ocekavane(QStringLiteral("D"), levy_okraj); // column 0 counts as column 1
    ocekavane(QStringLiteral("42"),
              levy_okraj + 19 * sirka + na_body(metriky.horizontalAdvance(QLatin1Char(' '))));
}

// The title line is left open, the font changes, and the next call ends it: both parts stand on
// one line, and the next line starts below the taller of the two fonts.
void tst_print_surface::otevreny_radek_pokracuje_dalsim_tiskem() {
    const QString soubor = slozka_.filePath(QStringLiteral("otevreny.pdf"));
    QPdfWriter pdf(soubor);
    pdf.setResolution(rozliseni);
    {
        tiskova_plocha_qpainter plocha(pdf);
        QVERIFY(plocha.zacni());
        plocha.nastav_pismo(QStringLiteral("Times New Roman CE"));
        plocha.nastav_velikost(18);
        QVERIFY(plocha.tiskni_radek({{1, QStringLiteral("Velky")}}, konec_radku::nechat_otevreny));
        plocha.nastav_pismo(QStringLiteral("Arial CE"));
        plocha.nastav_velikost(9);
        QVERIFY(plocha.tiskni_radek({{40, QStringLiteral("maly")}}, konec_radku::nechat_otevreny));
        QVERIFY(plocha.tiskni_radek({}));
        QVERIFY(plocha.tiskni_radek({{1, QStringLiteral("dalsi")}}));
        QVERIFY(plocha.ukonci_dokument());
    }
    const auto slova = test::pdf_slova(soubor);
    const pdf_slovo* velky = najdi(slova, QStringLiteral("Velky"));
    const pdf_slovo* maly = najdi(slova, QStringLiteral("maly"));
    const pdf_slovo* dalsi = najdi(slova, QStringLiteral("dalsi"));
    QVERIFY(velky && maly && dalsi);
    // One baseline: the small word sits in the lower part of the big word's line.
    QVERIFY(maly->y_min > velky->y_min);
    QVERIFY(maly->y_max <= velky->y_max + 0.5);
    QVERIFY(maly->y_max > velky->y_min + 0.6 * (velky->y_max - velky->y_min));
    QVERIFY2(dalsi->y_min >= velky->y_max - 0.5,
             qPrintable(QStringLiteral("next line at %1, title ends at %2")
                            .arg(dalsi->y_min)
                            .arg(velky->y_max)));
    const QStringList radky = test::pdf_text(soubor).split(QLatin1Char('\n'));
    QVERIFY(!radky.isEmpty());
    QVERIFY(radky[0].contains(QLatin1String("Velky")) && radky[0].contains(QLatin1String("maly")));
}

// Printing at a column that earlier text on the line has already passed continues after that
// text instead of printing over it.
void tst_print_surface::text_za_sloupcem_se_neprekryva() {
    const QString soubor = slozka_.filePath(QStringLiteral("prekryv.pdf"));
    QPdfWriter pdf(soubor);
    pdf.setResolution(rozliseni);
    {
        tiskova_plocha_qpainter plocha(pdf);
        QVERIFY(plocha.zacni());
        plocha.nastav_pismo(QStringLiteral("Arial CE"));
        plocha.nastav_velikost(9);
        QVERIFY(plocha.tiskni_radek(
            {{1, QStringLiteral("Dlouhy_text_pres_sloupec ")}, {5, QStringLiteral("dalsi")}}));
        QVERIFY(plocha.ukonci_dokument());
    }
    const auto slova = test::pdf_slova(soubor);
    QCOMPARE(slova.size(), 2);
    QVERIFY(slova[1].x_min >= slova[0].x_max - 0.05);
}

// Lines that do not fit on the page go on to a new page rather than off its edge.
void tst_print_surface::preteceni_stranky_zacne_novou_stranu() {
    const QString soubor = slozka_.filePath(QStringLiteral("preteceni.pdf"));
    QPdfWriter pdf(soubor);
    pdf.setResolution(rozliseni);
    pdf.setPageSize(QPageSize(QPageSize::A6));
    constexpr int radku = 69;
    int stran = 0;
    {
        tiskova_plocha_qpainter plocha(pdf);
        QVERIFY(plocha.zacni());
        plocha.nastav_pismo(QStringLiteral("Arial CE"));
        plocha.nastav_velikost(9);
        for (int r = 0; r < radku; ++r)
            QVERIFY(plocha.tiskni_radek({{1, QStringLiteral("radek%1").arg(r)}}));
        QVERIFY(plocha.ukonci_dokument());
        stran = plocha.pocet_stran();
    }
    QVERIFY(stran > 1);
    QCOMPARE(test::pdf_pocet_stran(soubor), stran);
    const auto slova = test::pdf_slova(soubor);
    QCOMPARE(slova.size(), radku);
    const double vyska_stranky = QPageSize(QPageSize::A6).size(QPageSize::Point).height();
    for (int r = 0; r < radku; ++r) {
        QCOMPARE(slova[r].text, QStringLiteral("radek%1").arg(r));
        QVERIFY(slova[r].y_max <= vyska_stranky);
        if (r > 0 && slova[r].strana == slova[r - 1].strana)
            QVERIFY(slova[r].y_min > slova[r - 1].y_min);
    }
    QCOMPARE(slova.last().strana, stran);
}

QTEST_MAIN(tst_print_surface)
#include "tst_print_surface.moc"
