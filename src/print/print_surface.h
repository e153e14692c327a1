#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

class QPagedPaintDevice;

namespace tarvik {

// One item of a printed line: a tab column (1 is the left edge of the printable area) and either
// a number or a text.
struct polozka_tisku {
    int sloupec = 1;
    std::variant<int, QString> obsah;
};

// How a print call leaves its line: ended, or open for the next print call to continue.
enum class konec_radku { ukoncit, nechat_otevreny };

// What the printout talks to: a page printed line by line, in the font set last. Print calls
// return false once the surface has failed; the caller then stops printing.
class tiskova_plocha {
public:
    virtual ~tiskova_plocha() = default;

    virtual void nastav_pismo(const QString& nazev) = 0;
    virtual void nastav_velikost(qreal body) = 0;
    // The two style attributes: bold and italic.
    virtual void nastav_tucne(bool zapnuto) = 0;
    virtual void nastav_kurzivu(bool zapnuto) = 0;

    // Prints the items at their tab columns; an empty list prints nothing and, when the line is
    // ended, gives an empty line.
    virtual bool tiskni_radek(const std::vector<polozka_tisku>& polozky,
                              konec_radku konec = konec_radku::ukoncit) = 0;
    // Ends the document: the page goes to the printer.
    virtual bool ukonci_dokument() = 0;
};

// A number as a printed item: a blank in place of the plus sign, the digits, a trailing blank.
QString text_cisla(int cislo);

// The average character width of a font, the width of one tab column: the width of the letters a
// to z and the blank weighted by how often they occur in text. Unlike the average stored in a font
// file, whose definition has changed over the years, this gives the same width for faces with
// the same letter widths.
qreal prumerna_sirka_znaku(const QFontMetricsF& metriky);

// The faces to ask for in place of `nazev`: the Central European faces give way to the faces of
// the same family installed here (a face that is installed comes first).
QStringList rodiny_pisma(const QString& nazev);

// The print surface over a QPainter on a paged device (a QPrinter, or a QPdfWriter in tests).
// Tab column c starts (c - 1) average character widths (prumerna_sirka_znaku) of the font in force
// from the left edge of the printable area; a line is as high as the tallest font used on it, and
// items on one line share one baseline. A line that would not fit below the previous one starts a
// new page.
class tiskova_plocha_qpainter final : public tiskova_plocha {
public:
    explicit tiskova_plocha_qpainter(QPagedPaintDevice& zarizeni);
    // An unfinished document is discarded: a printer's job is aborted, the painter ended.
    ~tiskova_plocha_qpainter() override;
    tiskova_plocha_qpainter(const tiskova_plocha_qpainter&) = delete;
    tiskova_plocha_qpainter& operator=(const tiskova_plocha_qpainter&) = delete;

    // Opens the document on the device; false when the device cannot be printed to.
    bool zacni();

    void nastav_pismo(const QString& nazev) override;
    void nastav_velikost(qreal body) override;
    void nastav_tucne(bool zapnuto) override;
    void nastav_kurzivu(bool zapnuto) override;
    bool tiskni_radek(const std::vector<polozka_tisku>& polozky,
                      konec_radku konec = konec_radku::ukoncit) override;
    bool ukonci_dokument() override;

private:
    struct text_na_radku {
        qreal x;
        QFont pismo;
        QString text;
    };

    bool tiskarna_bez_chyby() const;
    bool v_poradku() const;
    void zahrn_pismo_do_radku(const QFont& pismo);
    bool vytiskni_otevreny_radek();

    QPagedPaintDevice& zarizeni_;
    QPainter painter_;
    QFont pismo_;
    bool otevreno_ = false;

    // The open line: its texts, the print position after them and the tallest font used on it.
    std::vector<text_na_radku> radek_;
    qreal x_ = 0;
    qreal nad_ucarim_ = 0; // largest ascent
    qreal pod_ucarim_ = 0; // largest descent
    qreal rozestup_ = 0;   // largest line spacing
    qreal y_ = 0;          // top of the open line, from the top of the printable area
};

} // namespace tarvik
