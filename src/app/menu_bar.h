#pragma once

class QAction;
class QMenuBar;

namespace tarvik {

// The main window's menus: every command under the program's name for it (its object name) with
// its caption, an ampersand before its access key, and the states that the two modes give the
// commands, which are their only guard. The window wires what each command does.
struct menu_okna {
    // The menus in the menu bar `lista`, in user mode.
    explicit menu_okna(QMenuBar& lista);

    // User mode offers the operator's commands, administrator mode the configuration; the status
    // request and the printout and help are not the modes' business.
    void nastav_rezim(bool administrator);

    QAction* menu_uzivatelsky;
    QAction* menu_administratorsky;
    QAction* menu_nacti_status;
    QAction* menu_zalozky;
    QAction* menu_stykace;
    QAction* menu_rs232;
    QAction* menu_heslo;
    QAction* menu_save;
    QAction* menu_load;
    QAction* menu_tisk_stykace;
    QAction* menu_help;
};

} // namespace tarvik
