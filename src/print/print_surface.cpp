#include "print/print_surface.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPrinter>
#include <algorithm>
#include <array>

namespace tarvik {

namespace {

struct nahrada_pisma {
    QStringView nazev;
    std::array<QStringView, 3> nahrady;
    QFont::StyleHint druh;
};

// The Central European faces and what stands in for them where they are not installed.
constexpr std::array nahrady_pisem{
    nahrada_pisma{u"Times New Roman CE",
                  {u"Times New Roman", u"Liberation Serif", u"DejaVu Serif"},
                  QFont::Serif},
    nahrada_pisma{u"Arial CE", {u"Arial", u"Liberation Sans", u"DejaVu Sans"}, QFont::SansSerif},
};

const nahrada_pisma* najdi_nahradu(const QString& nazev) {
    for (const auto& n : nahrady_pisem)
        if (nazev.compare(n.nazev, Qt::CaseInsensitive) == 0)
            return &n;
    return nullptr;
}

} // namespace

qreal prumerna_sirka_znaku(const QFontMetricsF& metriky) {
    // How often each letter a to z occurs in a thousand letters of ordinary text, and the blank.
    static constexpr std::array<int, 26> cetnosti{64, 14, 27, 35, 100, 20, 14, 42, 63,
                                                  3,  6,  35, 20, 56,  56, 17, 4,  49,
                                                  56, 71, 31, 10, 18,  3,  18, 2};
    constexpr int cetnost_mezery = 166;
    qreal soucet = cetnost_mezery * metriky.horizontalAdvance(QLatin1Char(' '));
    for (std::size_t i = 0; i < cetnosti.size(); ++i)
        soucet += cetnosti[i] * metriky.horizontalAdvance(QLatin1Char(char('a' + i)));
    return soucet / 1000;
}

QString text_cisla(int cislo) {
    // Widened first, so that the smallest int keeps its digits.
    const qint64 hodnota = cislo;
    return (hodnota < 0 ? QStringLiteral("-") : QStringLiteral(" ")) +
           QString::number(hodnota < 0 ? -hodnota : hodnota) + QLatin1Char(' ');
}

QStringList rodiny_pisma(const QString& nazev) {
    QStringList kandidati{nazev};
    if (const auto* n = najdi_nahradu(nazev))
        for (const auto& nahrada : n->nahrady)
            kandidati.append(nahrada.toString());
    QStringList nainstalovane;
    for (const auto& k : kandidati)
        if (QFontDatabase::hasFamily(k))
            nainstalovane.append(k);
    // None installed: ask for them all and let the font matching find the nearest face.
    return nainstalovane.isEmpty() ? kandidati : nainstalovane;
}

tiskova_plocha_qpainter::tiskova_plocha_qpainter(QPagedPaintDevice& zarizeni)
    : zarizeni_(zarizeni) {}

tiskova_plocha_qpainter::~tiskova_plocha_qpainter() {
    if (!painter_.isActive())
        return;
    if (auto* tiskarna = dynamic_cast<QPrinter*>(&zarizeni_))
        tiskarna->abort();
    painter_.end();
}

bool tiskova_plocha_qpainter::zacni() {
    if (otevreno_ || !painter_.begin(&zarizeni_))
        return false;
    otevreno_ = true;
    return v_poradku();
}

void tiskova_plocha_qpainter::nastav_pismo(const QString& nazev) {
    const auto* n = najdi_nahradu(nazev);
    pismo_.setStyleHint(n ? n->druh : QFont::AnyStyle);
    pismo_.setFamilies(rodiny_pisma(nazev));
}

void tiskova_plocha_qpainter::nastav_velikost(qreal body) {
    if (body > 0)
        pismo_.setPointSizeF(body);
}

void tiskova_plocha_qpainter::nastav_tucne(bool zapnuto) {
    pismo_.setBold(zapnuto);
}

void tiskova_plocha_qpainter::nastav_kurzivu(bool zapnuto) {
    pismo_.setItalic(zapnuto);
}

bool tiskova_plocha_qpainter::tiskarna_bez_chyby() const {
    const auto* tiskarna = dynamic_cast<const QPrinter*>(&zarizeni_);
    if (!tiskarna)
        return true;
    const auto stav = tiskarna->printerState();
    return stav != QPrinter::Error && stav != QPrinter::Aborted;
}

bool tiskova_plocha_qpainter::v_poradku() const {
    return painter_.isActive() && tiskarna_bez_chyby();
}

void tiskova_plocha_qpainter::zahrn_pismo_do_radku(const QFont& pismo) {
    const QFontMetricsF metriky(pismo, &zarizeni_);
    nad_ucarim_ = std::max(nad_ucarim_, metriky.ascent());
    pod_ucarim_ = std::max(pod_ucarim_, metriky.descent());
    rozestup_ = std::max(rozestup_, metriky.lineSpacing());
}

bool tiskova_plocha_qpainter::tiskni_radek(const std::vector<polozka_tisku>& polozky,
                                           konec_radku konec) {
    if (!v_poradku())
        return false;
    // The font in force counts for the height of the line even when nothing is printed in it.
    zahrn_pismo_do_radku(pismo_);
    const QFontMetricsF metriky(pismo_, &zarizeni_);
    for (const auto& polozka : polozky) {
        const QString text = std::holds_alternative<int>(polozka.obsah)
                                 ? text_cisla(std::get<int>(polozka.obsah))
                                 : std::get<QString>(polozka.obsah);
        const qreal zacatek_sloupce =
            (std::max(polozka.sloupec, 1) - 1) * prumerna_sirka_znaku(metriky);
        // Text already printed past the column is never overprinted.
        x_ = std::max(x_, zacatek_sloupce);
        radek_.push_back({x_, pismo_, text});
        x_ += metriky.horizontalAdvance(text);
    }
    if (konec == konec_radku::nechat_otevreny)
        return true;
    return vytiskni_otevreny_radek();
}

bool tiskova_plocha_qpainter::vytiskni_otevreny_radek() {
    const qreal vyska_radku = nad_ucarim_ + pod_ucarim_;
    if (y_ > 0 && y_ + vyska_radku > zarizeni_.height()) {
        if (!zarizeni_.newPage())
            return false;
        y_ = 0;
    }
    const qreal ucari = y_ + nad_ucarim_;
    for (const auto& t : radek_) {
        painter_.setFont(t.pismo);
        painter_.drawText(QPointF(t.x, ucari), t.text);
    }
    y_ += rozestup_;
    radek_.clear();
    x_ = nad_ucarim_ = pod_ucarim_ = rozestup_ = 0;
    return v_poradku();
}

bool tiskova_plocha_qpainter::ukonci_dokument() {
    if (!v_poradku())
        return false;
    if (!radek_.empty() && !vytiskni_otevreny_radek())
        return false;
    return painter_.end() && tiskarna_bez_chyby();
}

} // namespace tarvik
