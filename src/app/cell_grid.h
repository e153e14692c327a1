#pragma once

#include "app/cell_widgets.h"
#include "config/config_file.h"
#include "link/packet_protocol.h"
#include "platform/twips.h"

#include <QTabWidget>
#include <QTimer>
#include <array>
#include <optional>

namespace tarvik {

// The tab control `SSTab2`: five tabs of 64 cells. Cell i lies on tab i / 64, in column
// (i % 64) / 16 and row i % 16; it is a switch with the contactor's name (`Check1`, `Text1`) and
// the contactor's number (`Text2`, "---" for no contactor).
//
// What the cells show lives in the grid's own data: each cell's number and name, its switch's
// value, which of its controls are hidden, and whether the switches are locked. A tab's controls
// are made the first time the tab is shown, and a tab that is not shown catches up with that data
// when it is shown next; so start-up, memory and the lock cost one tab, not 320 cells.
class mrizka_chlivku : public QTabWidget {
    Q_OBJECT
public:
    explicit mrizka_chlivku(QWidget* rodic = nullptr);

    // Adds the five tabs (once); the tab control has none before.
    void vytvor_zalozky();

    // A cell's controls, made and brought up to date first if its tab has not been shown yet.
    vypinac* Check1(int i);
    pole_cisla* Text2(int i);
    // Whether the controls of tab z have been made.
    bool zalozka_vytvorena(int z) const { return stranky_[static_cast<size_t>(z)].vytvorena; }

    // The contactor of cell i, or -1 when its number text names none.
    int stykac(int i) const { return bunka(i).stykac; }
    // The value of the switch of cell i: true for on.
    bool zapnuto(int i) const { return bunka(i).zapnuto; }

    // Sets a cell's number and name; the switch announces both.
    void nastav_chlivek(int i, const QString& cislo, const QString& nazev);
    // Sets every cell with a contactor from the contactors' states, shown as unknown unless
    // `znamy`; the program's own change, never sent. Returns whether any switch changed its
    // value. Until the first call every switch is off and unknown.
    bool nastav_stavy(const stavy_stykacu& stavy, bool znamy);
    bool stav_znamy() const { return stav_znamy_; }
    // Locks or unlocks every switch (a cell without a contactor is never unlocked). The switch
    // that has the keyboard focus keeps it.
    void zamkni(bool zamknout);
    bool zamceno() const { return zamceno_; }
    // The user view hides an empty cell (its switch and name) and every number box; it only hides.
    // The administrator view shows every control.
    void uzivatelsky_pohled();
    void administratorsky_pohled();

    // Where a cell's controls lie, in pixels relative to the tab control's top-left corner: the
    // switch's square, the name's box, the number's box, and the switch's widget, which holds
    // the square and the name.
    static QRect misto_check1(int i);
    static QRect misto_text1(int i);
    static QRect misto_text2(int i);
    static QRect misto_bunky(int i);

Q_SIGNALS:
    // The switch of cell i has been set by the operator (mouse, keyboard, an accessibility action
    // or any other means but the program's own status): its command is to be sent.
    void prepnuti(int i);
    // A double-click on the number box of cell i, or Enter in it.
    void vyber_cisla(int i);

protected:
    bool eventFilter(QObject* objekt, QEvent* udalost) override;
    bool focusNextPrevChild(bool dalsi) override;
    void showEvent(QShowEvent* udalost) override;

private:
    struct chlivek {
        QString cislo;
        QString nazev;
        int stykac = -1;
        bool zapnuto = false;
        bool texty_zastarale = true;
        bool skryty_check = false;
        bool skryte_cislo = false;
        vypinac* check = nullptr;
        pole_cisla* text2 = nullptr;
    };
    struct stranka {
        QWidget* widget = nullptr;
        bool vytvorena = false;
        bool zastarala = false; // its controls lag behind the cells' data
    };

    const chlivek& bunka(int i) const { return chlivky_[static_cast<size_t>(i)]; }
    chlivek& bunka(int i) { return chlivky_[static_cast<size_t>(i)]; }
    stranka& strana(int z) { return stranky_[static_cast<size_t>(z)]; }
    // Makes tab z's controls if need be and brings them up to date.
    void priprav_zalozku(int z);
    void vytvor_zalozku(int z);
    void obnov_zalozku(int z);
    // Applies one cell's data to its controls (they exist).
    void obnov_chlivek(int i);
    void obnov_texty(int i);
    // After a change of the cells' data: the tab shown is updated at once, the others when shown.
    void po_zmene();
    void zmena_hodnoty(int i, bool hodnota);
    void rozmisti(int z);
    void vytvor_text2(int i);
    // Where the pages lie in the tab control.
    QPoint posun_stranek() const;
    // The arrow keys in the four columns of a tab: up and down within a column, left and right
    // to the neighbouring column (the same row, or the nearest one shown there). `cislo` says
    // whether the focus is on a number box (they form a grid of their own).
    void presun_fokus(int i, int klavesa, bool cislo);
    bool lze_zamerit(int i, bool cislo) const;

    std::array<chlivek, pocet_chlivku> chlivky_{};
    std::array<stranka, pocet_zalozek> stranky_{};
    QFont pismo_nazvu_;
    std::optional<QFont> pismo_cisel_; // made for the first number box
    bool zamceno_ = false;
    bool stav_znamy_ = false;
    bool drz_fokus_ = false;
    QTimer odemceni_;           // applies an unlock to the switches
    int nastavuje_program_ = 0; // while the program itself sets switches
};

} // namespace tarvik
