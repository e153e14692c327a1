#include "print/printout.h"

#include "config/config_file.h"
#include "platform/clock.h"
#include "print/print_surface.h"

#include <QPrintDialog>
#include <QPrinter>

namespace tarvik {

namespace {

const QString titulek_tisku = QStringLiteral("Seznam a popis jednotlivých stykačů");
const QString pismo_titulku = QStringLiteral("Times New Roman CE");
const QString pismo_tabulky = QStringLiteral("Arial CE");
constexpr qreal velikost_titulku = 18;
constexpr qreal velikost_tabulky = 9;
constexpr int prazdnych_radku = 3;

bool prazdne_radky(tiskova_plocha& plocha) {
    for (int i = 0; i < prazdnych_radku; ++i)
        if (!plocha.tiskni_radek({}))
            return false;
    return true;
}

} // namespace

void tiskni_stykace(tiskova_plocha& plocha, const QString& cesta_ini) {
    plocha.nastav_pismo(pismo_titulku);
    plocha.nastav_velikost(velikost_titulku);
    plocha.nastav_tucne(true);
    // The title line stays open and is ended in the table font.
    if (!plocha.tiskni_radek({{15, titulek_tisku}}, konec_radku::nechat_otevreny))
        return;

    plocha.nastav_pismo(pismo_tabulky);
    plocha.nastav_velikost(velikost_tabulky);
    plocha.nastav_tucne(true);
    plocha.nastav_kurzivu(false);
    if (!plocha.tiskni_radek({}) || !prazdne_radky(plocha))
        return;

    const cteni_konfigurace konfigurace(cesta_ini);
    constexpr int polovina = pocet_stykacu / 2;
    for (int r = 0; r < polovina; ++r) {
        const QString levy = konfigurace.nazev_stykace(QString::number(r));
        const QString pravy = konfigurace.nazev_stykace(QString::number(r + polovina));
        if (!plocha.tiskni_radek({{10, r}, {17, levy}, {70, r + polovina}, {77, pravy}}))
            return;
    }

    if (!prazdne_radky(plocha))
        return;
    const QString datum = dnesni_datum().toString(u"d.M.yyyy");
    if (!plocha.tiskni_radek({{10, QStringLiteral("datum tisku: ") + datum}}))
        return;
    plocha.ukonci_dokument();
}

void menu_tisk_stykace(const QString& cesta_ini, const volba_tiskarny& vyber) {
    QPrinter tiskarna(QPrinter::HighResolution);
    if (!vyber || !vyber(tiskarna))
        return;
    tiskova_plocha_qpainter plocha(tiskarna);
    if (!plocha.zacni())
        return;
    tiskni_stykace(plocha, cesta_ini);
    // A document left unfinished by a failure is discarded when the surface goes.
}

void menu_tisk_stykace(QWidget* rodic, const QString& cesta_ini) {
    menu_tisk_stykace(cesta_ini, [rodic](QPrinter& tiskarna) {
        QPrintDialog dialog(&tiskarna, rodic);
        // The table is one page: there is no range to choose.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        return dialog.exec() == QDialog::Accepted;
    });
}

} // namespace tarvik
