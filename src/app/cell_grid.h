#pragma once

#include "app/cell_widgets.h"
#include "config/config_file.h"
#include "link/packet_protocol.h"
#include "platform/twips.h"

#include <QTabWidget>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

namespace tarvik {

// The tab control `SSTab2`: five tabs of 64 cells. Cell i lies on tab i / 64, in column
// (i % 64) / 16 and row i % 16; it is a switch with the contactor's name (`Check1`, `Text1`) and
// the contactor's number (`Text2`, "---" for no contactor).
//
// What the cells show lives in the grid's own data: each cell's number and name, its switch's
// value, which of its controls are hidden, and whether the switches are locked and their states
// known. A tab's controls are made the first time the tab is shown, and a tab that is not shown
// catches up with that data when it is shown next; so start-up, memory and the lock cost one tab,
// not 320 cells.
class mrizka_chlivku : public QTabWidget {
    Q_OBJECT
public:
    explicit mrizka_chlivku(QWidget* rodic = nullptr);

    // The tabs as the configuration has them: an active tab shown with its caption, an inactive
    // one hidden and disabled with its caption kept. The first call adds the five tabs.
    void inicializuj_zalozky(const cteni_konfigurace& konfigurace);
    // Every cell's number and name as the configuration has them.
    void inicializuj_chlivky(const cteni_konfigurace& konfigurace);
    // The last tab, or when it is hidden the first tab shown: the tab selected at start-up.
    void vyber_pocatecni_zalozku();

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
    // Locks or unlocks every switch (a cell without a contactor is never unlocked). The switch
    // that has the keyboard focus keeps it.
    void zamkni(bool zamknout);
    bool zamceno() const { return zamceno_; }
    // The user's view hides an empty cell (its switch and name) and every number box; it only
    // hides. The administrator's view shows every control.
    void chlivky_uzivatelsky_mod();
    void chlivky_administratorsky_mod();

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
    bool focusNextPrevChild(bool dalsi) override;
    void showEvent(QShowEvent* udalost) override;

private:
    // The rule that ties the controls to the data. The data (chlivky_, zamceno_, stav_znamy_) is
    // the truth, and every change is made to it first. A tab has no controls until it is
    // `vytvorena`. A made tab that is not `zastarala` shows its cells' data exactly; only a number
    // box that has never been needed is missing (it is made when it is to be shown or asked for).
    // A change to the data of many cells, the lock or the states' being known marks every made
    // tab `zastarala` and brings the tab on the screen up to date, at once or, for an unlock, from
    // the event loop (odemceni_); a change to one cell (nastav_chlivek) reaches its controls at
    // once. A tab that is `zastarala` is brought up to date before it is shown and before one of
    // its controls is handed out (priprav_zalozku). zobraz_chlivek is the one way from a cell's
    // data to its controls; `texty_zastarale` spares it setting the same name again, which a
    // screen reader would hear.
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
    // An event filter that hands the events of one kind of watched object to the grid.
    class hlidac : public QObject {
    public:
        explicit hlidac(std::function<bool(QObject*, QEvent*)> obsluha)
            : obsluha_(std::move(obsluha)) {}
        bool eventFilter(QObject* objekt, QEvent* udalost) override {
            return obsluha_(objekt, udalost);
        }

    private:
        std::function<bool(QObject*, QEvent*)> obsluha_;
    };

    const chlivek& bunka(int i) const { return chlivky_[static_cast<size_t>(i)]; }
    chlivek& bunka(int i) { return chlivky_[static_cast<size_t>(i)]; }
    stranka& strana(int z) { return stranky_[static_cast<size_t>(z)]; }
    // Adds the five tabs (once); the tab control has none before.
    void vytvor_zalozky();
    // Makes tab z's controls if need be and brings them up to date.
    void priprav_zalozku(int z);
    void vytvor_zalozku(int z);
    void obnov_zalozku(int z);
    void zobraz_chlivek(int i);
    // After a change of the cells' data: the tab shown is updated at once, the others when shown.
    void po_zmene();
    void zmena_hodnoty(int i, bool hodnota);
    void rozmisti(int z);
    void vytvor_text2(int i);
    // Where the pages lie in the tab control.
    QPoint posun_stranek() const;
    // The pages' parent: moved, resized or shown, the pages take their cells along.
    bool udalost_stranek(QEvent* udalost);
    // A cell's switch or number box: the arrow keys, and Enter or a double-click in a number box.
    bool udalost_chlivku(QObject* ovladac, QEvent* udalost);
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
    hlidac hlidac_stranek_{[this](QObject*, QEvent* u) { return udalost_stranek(u); }};
    hlidac hlidac_chlivku_{[this](QObject* o, QEvent* u) { return udalost_chlivku(o, u); }};
};

} // namespace tarvik
