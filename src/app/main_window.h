#pragma once

#include "app/status_bar.h"
#include "link/link.h"
#include "link/link_window.h"

#include <QMainWindow>
#include <memory>

namespace tarvik {

class mrizka_chlivku;
struct menu_okna;

// The main window: the composition root. It owns the cell grid, the menus, the status bar and the
// link, runs start-up, and turns the operator's commands into work for them. Everything else is
// its own business: the menus, keys and clicks reach it as they reach any window.
class frm_main : public QMainWindow, public okno_linky {
    Q_OBJECT
public:
    explicit frm_main(QWidget* rodic = nullptr);
    ~frm_main() override;

    // Start-up. Returns false when the port could not be opened: the window must not be shown
    // and the program ends.
    bool Form_Load();
    // Shows the window in the centre of the screen.
    void zobraz_uprostred();

    // What the link asks of the window.
    void zakaz_buttony() override;
    void povol_buttony() override;
    void nastav_panel(int panel, const QString& text) override;
    void zobraz_stav_stykacu(const stavy_stykacu& stav, bool znamy) override;
    QWidget* rodic_zprav() override { return this; }

protected:
    void closeEvent(QCloseEvent* udalost) override;
    void changeEvent(QEvent* udalost) override;
    void showEvent(QShowEvent* udalost) override;

private:
    mrizka_chlivku& SSTab2();
    void vytvor_menu();
    void prizpusob_obrazovce();
    void nastav_menu_dotazu();
    void prihlaseni_prijato();
    void menu_uzivatelsky_Click();
    void otevri_katalog(bool editace_stykacu);
    void Check1_Click(int i);
    void Form_Unload();
    template <typename dialog, typename... parametry> void otevri(parametry&&... p);

    QString cesta_ini_;
    int vybrany_chlivek_ = 0;
    int posledni_radek_ = 0; // the catalogue's row chosen last

    QWidget* klient_ = nullptr; // the client area above the status bar, in its scroll area
    mrizka_chlivku* SSTab2_ = nullptr;
    stavovy_radek StatusBar1_;
    linka linka_;

    std::unique_ptr<menu_okna> menu_; // made at start-up, after the first query
};

} // namespace tarvik
