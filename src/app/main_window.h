#pragma once

#include "link/link.h"
#include "link/link_window.h"

#include <QLabel>
#include <QMainWindow>
#include <array>

class QAction;
class QMenu;

namespace tarvik {

class cteni_konfigurace;
class mrizka_chlivku;

// The main window: owns the cells, the menus, the status bar and the link, and runs start-up.
class frm_main : public QMainWindow, public okno_linky {
    Q_OBJECT
public:
    static constexpr int pocet_panelu = 5;
    static inline const QString text_verze = QStringLiteral("ver.: 1.6 - 29.1.2006");

    explicit frm_main(QWidget* rodic = nullptr);
    ~frm_main() override;

    // Start-up. Returns false when the port could not be opened: the window must not be shown
    // and the program ends.
    bool Form_Load();
    // Shows the window in the centre of the screen.
    void zobraz_uprostred();

    // Public operations that the dialogs and the link use.
    void chlivky_uzivatelsky_mod();
    void chlivky_administratorsky_mod();
    void menu_administratorsky_mod();
    // The tabs and the cells as the file holds them now, or as `konfigurace` read it.
    void inicializuj_zalozky();
    void inicializuj_zalozky(const cteni_konfigurace& konfigurace);
    void inicializuj_chlivky();
    void inicializuj_chlivky(const cteni_konfigurace& konfigurace);
    void zakaz_buttony() override;
    void povol_buttony() override;
    void nastav_panel(int panel, const QString& text) override;
    void zobraz_stav_stykacu(const stavy_stykacu& stav, bool znamy) override;
    QWidget* rodic_zprav() override { return this; }

    // Menu commands.
    void menu_uzivatelsky_Click();
    void menu_administratorsky_Click();
    void menu_nacti_status_Click();
    void menu_zalozky_Click();
    void menu_stykace_Click();
    void menu_rs232_Click();
    void menu_heslo_Click();
    void menu_save_Click();
    void menu_load_Click();
    void menu_tisk_stykace_Click();
    void menu_help_Click();

    // What a correct password does.
    void prihlaseni_prijato();

    // Cell events.
    void Check1_Click(int i);
    void Text2_vyber(int i);

    mrizka_chlivku& SSTab2();
    linka& spojeni() { return linka_; }
    QString panel(int cislo) const;

protected:
    void closeEvent(QCloseEvent* udalost) override;
    void changeEvent(QEvent* udalost) override;
    void showEvent(QShowEvent* udalost) override;

private:
    void vytvor_menu();
    void vytvor_stavovy_radek();
    void prizpusob_obrazovce();
    void obarvi_buttony();
    void prirad_stykac();
    void otevri_katalog();
    void menu_uzivatelsky_mod();
    void nastav_menu_rezimu(bool administrator);
    void nastav_menu_dotazu();
    void zastav_casovace();
    void Form_Unload();
    template <typename dialog, typename... parametry> void otevri(parametry&&... p);

    QString cesta_ini_;
    bool editace_stykacu_ = false;
    int vybrany_chlivek_ = 0;
    int posledni_radek_ = 0; // the catalogue's row chosen last

    QWidget* klient_ = nullptr; // the client area above the status bar, in its scroll area
    mrizka_chlivku* SSTab2_ = nullptr;
    std::array<QLabel*, pocet_panelu> panely_{};
    std::array<QString, pocet_panelu> texty_panelu_{};
    linka linka_;

    QMenu* menu_rezim_ = nullptr;
    QMenu* menu_konfigurace_ = nullptr;
    QMenu* menu_tisk_ = nullptr;
    QAction* menu_uzivatelsky_ = nullptr;
    QAction* menu_administratorsky_ = nullptr;
    QAction* menu_nacti_status_ = nullptr;
    QAction* menu_zalozky_ = nullptr;
    QAction* menu_stykace_ = nullptr;
    QAction* menu_rs232_ = nullptr;
    QAction* menu_heslo_ = nullptr;
    QAction* menu_save_ = nullptr;
    QAction* menu_load_ = nullptr;
    QAction* menu_tisk_stykace_ = nullptr;
    QAction* menu_help_ = nullptr;
};

} // namespace tarvik
