#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QTableWidget;

namespace tarvik {

// The contactor catalogue: the "unassigned" row and the 128 contactors with their names, in the
// read-only grid MSHFlexGrid1 (object name). A row is chosen by a double-click or Enter, Esc
// closes the catalogue.
//
// Grid rows are counted as the program has always counted them: row 0 is the empty header,
// row 1 is "---" / "nepřiřazeno", row K + 2 is contactor K. The header row is the table's
// horizontal header, so grid row r is row r - 1 of the table. posledni_radek is the grid row
// chosen last, kept by the caller from one opening to the next (0 at first): the catalogue opens
// there and sets it when a row is chosen.
//
// Assignment (editace_stykacu false): choosing a row gives the cell vybrany_chlivek that
// contactor (or none), writes chlivky/chlivek<cell> and closes the catalogue.
// Name editing (editace_stykacu true): choosing a contactor opens frm_nazev_stykace for it; when
// the catalogue closes, however it is closed, inicializuj_chlivky is called once.
class frm_cis_stykace : public QDialog {
    Q_OBJECT

public:
    static constexpr int radek_neprirazeno = 1;

    frm_cis_stykace(
        const QString& cesta_ini, bool editace_stykacu, int vybrany_chlivek, int& posledni_radek,
        std::function<void(int chlivek, const QString& cislo, const QString& nazev)> nastav_chlivek,
        std::function<void()> inicializuj_chlivky, QWidget* rodic = nullptr);

    // Chooses the current row, as a double-click or Enter does.
    void vyber_stykac();

    // The grid row that is current (1 to 129), and the first one visible below the header.
    int aktualni_radek() const;
    int prvni_viditelny_radek() const;

    void done(int vysledek) override;

protected:
    bool eventFilter(QObject* objekt, QEvent* udalost) override;
    void showEvent(QShowEvent* udalost) override;

private:
    void napln();
    void prirad(int radek);
    void prejmenuj(int radek);

    QString cesta_ini_;
    bool editace_stykacu_;
    int vybrany_chlivek_;
    int& posledni_radek_;
    std::function<void(int, const QString&, const QString&)> nastav_chlivek_;
    std::function<void()> inicializuj_chlivky_;
    QTableWidget* MSHFlexGrid1_ = nullptr;
    bool posunuto_ = false;
    bool zavreno_ = false;
};

} // namespace tarvik
