#pragma once

#include "platform/twips.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <array>

namespace tarvik {

// The tab control `SSTab2`: five tabs of 64 cells. Cell i lies on tab i / 64, in column
// (i % 64) / 16 and row i % 16; it is a switch (`Check1`), the contactor's name (`Text1`) and
// the contactor's number (`Text2`, "---" for no contactor).
class mrizka_chlivku : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int pocet_zalozek = 5;
    static constexpr int na_zalozku = 64;
    static constexpr int pocet_chlivku = pocet_zalozek * na_zalozku;

    explicit mrizka_chlivku(QWidget* rodic = nullptr);

    QCheckBox* Check1(int i) const { return chlivky_[static_cast<size_t>(i)].check; }
    QLineEdit* Text1(int i) const { return chlivky_[static_cast<size_t>(i)].nazev; }
    QLineEdit* Text2(int i) const { return chlivky_[static_cast<size_t>(i)].cislo; }

    // Sets a cell's number and name and keeps the switch's accessible name in step with them.
    void nastav_chlivek(int i, const QString& cislo, const QString& nazev);
    // Red when off, green when on; the check mark shows the state as well.
    void obarvi(int i);

    // Where a cell's controls lie, in pixels relative to the tab control's top-left corner.
    static QRect misto_check1(int i);
    static QRect misto_text1(int i);
    static QRect misto_text2(int i);

Q_SIGNALS:
    // The switch of cell i changed its value, by a click or by the program.
    void zmena_hodnoty(int i);
    // The operator clicked (or toggled with the keyboard) the switch of cell i.
    void kliknuti(int i);
    // A double-click on the number box of cell i, or Enter in it.
    void vyber_cisla(int i);

protected:
    bool eventFilter(QObject* objekt, QEvent* udalost) override;
    void resizeEvent(QResizeEvent* udalost) override;
    void showEvent(QShowEvent* udalost) override;

private:
    struct chlivek {
        QCheckBox* check = nullptr;
        QLineEdit* nazev = nullptr;
        QLineEdit* cislo = nullptr;
    };
    void rozmisti();

    std::array<chlivek, pocet_chlivku> chlivky_{};
    std::array<QWidget*, pocet_zalozek> stranky_{};
};

} // namespace tarvik
