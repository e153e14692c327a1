#include "app/main_window.h"

#include "access/frm_login.h"
#include "access/frm_zmena_hesla.h"
#include "app/backup_dialogue.h"
#include "app/cell_grid.h"
#include "app/menu_bar.h"
#include "config/config_file.h"
#include "dialogs/frm_cis_stykace.h"
#include "dialogs/frm_com.h"
#include "dialogs/frm_zalozky.h"
#include "platform/help_viewer.h"
#include "platform/message_box.h"
#include "platform/program_folder.h"
#include "platform/twips.h"
#include "print/printout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWindow>

namespace tarvik {

namespace {

// Client area below the menu bar: 12555 x 9540 twips; the tabs start 240 twips down and the
// status bar is the last 375 twips.
constexpr int sirka_klienta = z_twipu(12555);
constexpr int vyska_klienta = z_twipu(9540);
constexpr int horni_okraj_zalozek = z_twipu(240);

} // namespace

frm_main::frm_main(QWidget* rodic)
    : QMainWindow(rodic, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                             Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      linka_(*this, linka::cas_odezvy, this) {
    setObjectName(QStringLiteral("frm_main"));
    setWindowTitle(QStringLiteral("Tarvik"));

    // The client area keeps its one size. On a screen too small for it (a high scale, a panel
    // PC's 768 lines) the window takes what the screen offers and the client area scrolls.
    auto* posuvnik = new QScrollArea(this);
    posuvnik->setObjectName(QStringLiteral("posuvnik"));
    posuvnik->setFrameShape(QFrame::NoFrame);
    klient_ = new QWidget;
    klient_->setFixedSize(sirka_klienta, vyska_klienta - stavovy_radek::vyska);
    posuvnik->setWidget(klient_);
    setCentralWidget(posuvnik);
}

frm_main::~frm_main() = default;

// The tab control is made on first use: under X making it costs milliseconds (the style's
// setting-up of the row of tabs), which start-up spends after its first query.
mrizka_chlivku& frm_main::SSTab2() {
    if (!SSTab2_) {
        SSTab2_ = new mrizka_chlivku(klient_);
        SSTab2_->setGeometry(0, horni_okraj_zalozek, sirka_klienta, z_twipu(8895));
        SSTab2_->show();
        connect(SSTab2_, &mrizka_chlivku::prepnuti, this, &frm_main::Check1_Click);
        // A double-click on a cell's number box, or Enter in it: the catalogue assigns that cell.
        connect(SSTab2_, &mrizka_chlivku::vyber_cisla, this, [this](int i) {
            vybrany_chlivek_ = i;
            otevri_katalog(false);
        });
    }
    return *SSTab2_;
}

// What each menu command does (the program's menu_*_Click); the menus know only their states.
void frm_main::vytvor_menu() {
    // The menu bar belongs to the window, whose client area is laid out below it; a desktop's
    // global menu is not used (nor asked for, which costs start-up a round trip to the session
    // bus).
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    menu_ = std::make_unique<menu_okna>(*menuBar());
    const auto pri = [this](QAction* prikaz, auto obsluha) {
        connect(prikaz, &QAction::triggered, this, obsluha);
    };
    pri(menu_->menu_uzivatelsky, &frm_main::menu_uzivatelsky_Click);
    pri(menu_->menu_administratorsky,
        [this] { otevri<frm_login>([this] { prihlaseni_prijato(); }); });
    // The operator's own request: a closed port is reported at once.
    pri(menu_->menu_nacti_status, [this] { linka_.aktualizuj_stav(); });
    pri(menu_->menu_zalozky, [this] {
        otevri<frm_zalozky>(
            [this] { SSTab2().inicializuj_zalozky(cteni_konfigurace(cesta_ini_)); });
    });
    pri(menu_->menu_stykace, [this] { otevri_katalog(true); });
    pri(menu_->menu_rs232, [this] {
        otevri<frm_com>([this](int cislo) { return linka_.prepni_port(cislo); },
                        [this](const QString& text) { nastav_panel(2, text); });
    });
    pri(menu_->menu_heslo, [this] { otevri<frm_zmena_hesla>(); });
    pri(menu_->menu_save, [this] { zalohuj_konfiguraci(this, cesta_ini_); });
    pri(menu_->menu_load, [this] { obnov_konfiguraci(this, cesta_ini_); });
    pri(menu_->menu_tisk_stykace, [this] { menu_tisk_stykace(this, cesta_ini_); });
    pri(menu_->menu_help, [this] {
        if (!zobraz_napovedu(this, slozka_programu() + QStringLiteral("/tarvik.hlp")))
            zobraz_chybu(this, QStringLiteral("Chyba při otevírání help souboru."));
    });
    nastav_menu_dotazu();
}

bool frm_main::Form_Load() {
    cesta_ini_ = cesta_konfigurace();

    const bool existovala = konfigurace_existuje(cesta_ini_);
    if (!existovala) {
        zobraz_chybu(this, zprava_chybi_konfigurace);
        if (!vytvor_konfiguracni_soubor(cesta_ini_))
            zobraz_chybu(this, zprava_chyba_vytvoreni);
    }
    // One reading answers the damage check, the port, the tabs and the cells.
    const cteni_konfigurace konfigurace(cesta_ini_);
    if (existovala && konfigurace.poskozena()) {
        // Kept as it is for the administrator to restore: the master password still logs in.
        zobraz_chybu(this, zprava_poskozena_konfigurace);
    }
    linka_.nuluj_stav_stykacu();
    nastav_panel(1, QStringLiteral("uživatelský mód"));

    if (!linka_.otevri_port(konfigurace.port())) {
        Form_Unload();
        return false;
    }

    // The first query goes out at once: its reply is handled by the event loop, after start-up.
    // The menus come after it (the menu bar's first icon loads the image plugins). The switches
    // are painted from their values, as unknown until the first status has been read.
    linka_.nacti_status();
    vytvor_menu();
    SSTab2().inicializuj_zalozky(konfigurace);
    SSTab2().inicializuj_chlivky(konfigurace);
    SSTab2().chlivky_uzivatelsky_mod();
    linka_.spust_status_timer();
    SSTab2().vyber_pocatecni_zalozku();
    return true;
}

void frm_main::zobraz_uprostred() {
    StatusBar1_.vytvor(*this);
    winId(); // the frame, where the system knows it before the window is shown
    prizpusob_obrazovce();
    if (const QScreen* obrazovka = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(obrazovka->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    connect(windowHandle(), &QWindow::screenChanged, this, &frm_main::prizpusob_obrazovce,
            Qt::UniqueConnection);
}

// The window's one size: the whole client area with the menu bar and the status bar, or as much
// of it as the screen's free area takes, frame included (the client area then scrolls).
void frm_main::prizpusob_obrazovce() {
    // What the window's own layout needs around the whole client area: the menu bar as the style
    // draws it, the status bar, whatever spacing the style puts between them.
    QWidget* posuvnik = centralWidget();
    posuvnik->setMinimumSize(klient_->size());
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    layout()->activate();
    QSize velikost = layout()->totalMinimumSize();
    posuvnik->setMinimumSize(0, 0);
    if (const QScreen* obrazovka = screen()) {
        const QSize ramecek = frameGeometry().size() - geometry().size();
        const QSize volno = obrazovka->availableGeometry().size() - ramecek;
        // Scrolling up and down, the window is wider by the scroll bar where the screen allows,
        // so that it need not scroll sideways too.
        if (velikost.height() > volno.height())
            velikost.rwidth() +=
                style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, posuvnik);
        velikost = velikost.boundedTo(volno);
    }
    setFixedSize(velikost);
}

// Nothing is saved: every change was written when it was made. The timers stop with the port, so
// that no tick reports on a window that is going away.
void frm_main::Form_Unload() {
    linka_.zastav_status_timer();
    linka_.zastav_watchdog_timer();
    linka_.zavri_port();
}

// Closing the main window ends the program, the help window with it.
void frm_main::closeEvent(QCloseEvent* udalost) {
    Form_Unload();
    if (QWidget* napoveda = okno_napovedy())
        napoveda->close();
    udalost->accept();
}

void frm_main::showEvent(QShowEvent* udalost) {
    SSTab2();
    StatusBar1_.vytvor(*this);
    QMainWindow::showEvent(udalost);
    // Where the window manager frames the window only once it is shown.
    QMetaObject::invokeMethod(this, &frm_main::prizpusob_obrazovce, Qt::QueuedConnection);
}

// The window keeps its one size: a maximised window returns to it.
void frm_main::changeEvent(QEvent* udalost) {
    QMainWindow::changeEvent(udalost);
    if (udalost->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
}

void frm_main::nastav_panel(int panel, const QString& text) {
    StatusBar1_.nastav(panel, text);
}

// ---- the cells, the switch lock and the modes ----

// A change of any switch's value starts the polling period anew, once for the whole reply.
void frm_main::zobraz_stav_stykacu(const stavy_stykacu& stav, bool znamy) {
    if (SSTab2().nastav_stavy(stav, znamy))
        linka_.restartuj_status_timer();
}

// The status query is offered while the switches are free, from the moment the menus are made.
void frm_main::nastav_menu_dotazu() {
    if (menu_)
        menu_->menu_nacti_status->setEnabled(!SSTab2().zamceno());
}

void frm_main::zakaz_buttony() {
    SSTab2().zamkni(true);
    nastav_menu_dotazu();
    nastav_panel(4, QStringLiteral("tlačítka zakázána"));
}

// A cell without a valid contactor number is never enabled: it has nothing to switch.
void frm_main::povol_buttony() {
    SSTab2().zamkni(false);
    nastav_menu_dotazu();
    nastav_panel(4, QStringLiteral("tlačítka povolena"));
}

void frm_main::prihlaseni_prijato() {
    zakaz_buttony();
    linka_.zastav_status_timer();
    linka_.zastav_watchdog_timer();
    nastav_panel(1, QStringLiteral("administrátorský mód"));
    menu_->nastav_rezim(true);
    SSTab2().chlivky_administratorsky_mod();
}

void frm_main::menu_uzivatelsky_Click() {
    nastav_panel(1, QStringLiteral("uživatelský mód"));
    menu_->nastav_rezim(false);
    SSTab2().chlivky_uzivatelsky_mod();
    linka_.spust_status_timer();
    // The operator's own request: a closed port is reported at once.
    linka_.aktualizuj_stav();
}

// Every dialog of the menu is modal: made when opened, gone when closed.
template <typename dialog, typename... parametry> void frm_main::otevri(parametry&&... p) {
    dialog d(cesta_ini_, std::forward<parametry>(p)..., this);
    d.exec();
}

// For editing the names (the menu), or for assigning a contactor to vybrany_chlivek_ (a cell).
void frm_main::otevri_katalog(bool editace_stykacu) {
    otevri<frm_cis_stykace>(
        editace_stykacu, vybrany_chlivek_, posledni_radek_,
        [this](int i, const QString& cislo, const QString& nazev) {
            SSTab2().nastav_chlivek(i, cislo, nazev);
        },
        [this] { SSTab2().inicializuj_chlivky(cteni_konfigurace(cesta_ini_)); });
}

// The operator set a switch, by whatever means: the command goes out first, then the polling
// period starts anew. The grid never reports the program's own changes, nor any while locked.
void frm_main::Check1_Click(int i) {
    const int n = SSTab2().stykac(i);
    if (linka_.nacitani_statusu() || n < 0)
        return;
    linka_.posli_prikaz(n, SSTab2().zapnuto(i));
    linka_.restartuj_status_timer();
}

} // namespace tarvik
