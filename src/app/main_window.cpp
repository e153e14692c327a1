#include "app/main_window.h"

#include "access/frm_login.h"
#include "access/frm_zmena_hesla.h"
#include "app/backup_dialogue.h"
#include "app/cell_grid.h"
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
#include <QHash>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabBar>
#include <QWindow>

namespace tarvik {

namespace {

// Client area below the menu bar: 12555 x 9540 twips; the tabs start 240 twips down and the
// status bar is the last 375 twips.
constexpr int sirka_klienta = z_twipu(12555);
constexpr int vyska_klienta = z_twipu(9540);
constexpr int vyska_stavoveho_radku = z_twipu(375);
constexpr int horni_okraj_zalozek = z_twipu(240);
constexpr std::array<int, frm_main::pocet_panelu> sirky_panelu{
    z_twipu(2500), z_twipu(1200), z_twipu(2500), z_twipu(3500), z_twipu(2500)};

// What each panel shows, for a screen reader, which hears a panel as "what: text".
QString jmeno_panelu(int panel, const QString& text) {
    static const std::array<QString, frm_main::pocet_panelu> popisy{
        QStringLiteral("režim"), QStringLiteral("sériový port"),
        QStringLiteral("očekávaná odpověď"), QStringLiteral("vypínače"), QStringLiteral("verze")};
    const QString& popis = popisy[static_cast<size_t>(panel - 1)];
    if (text.isEmpty())
        return panel == 2 ? popis + QStringLiteral(": zavřený") : popis;
    return popis + QStringLiteral(": ") + text;
}

} // namespace

frm_main::frm_main(QWidget* rodic)
    : QMainWindow(rodic, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                             Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      linka_(*this) {
    setObjectName(QStringLiteral("frm_main"));
    setWindowTitle(QStringLiteral("Tarvik"));

    // The client area keeps its one size. On a screen too small for it (a high scale, a panel
    // PC's 768 lines) the window takes what the screen offers and the client area scrolls.
    auto* posuvnik = new QScrollArea(this);
    posuvnik->setObjectName(QStringLiteral("posuvnik"));
    posuvnik->setFrameShape(QFrame::NoFrame);
    klient_ = new QWidget;
    klient_->setFixedSize(sirka_klienta, vyska_klienta - vyska_stavoveho_radku);
    posuvnik->setWidget(klient_);
    setCentralWidget(posuvnik);

    texty_panelu_[4] = text_verze;
}

// The tab control is made on first use: under X making it costs milliseconds (the style's
// setting-up of the row of tabs), which start-up spends after its first query.
mrizka_chlivku& frm_main::SSTab2() {
    if (!SSTab2_) {
        SSTab2_ = new mrizka_chlivku(klient_);
        SSTab2_->setGeometry(0, horni_okraj_zalozek, sirka_klienta, z_twipu(8895));
        SSTab2_->show();
        connect(SSTab2_, &mrizka_chlivku::prepnuti, this, &frm_main::Check1_Click);
        connect(SSTab2_, &mrizka_chlivku::vyber_cisla, this, &frm_main::Text2_vyber);
    }
    return *SSTab2_;
}

frm_main::~frm_main() = default;

void frm_main::vytvor_menu() {
    // The menu bar belongs to the window, whose client area is laid out below it; a desktop's
    // global menu is not used (nor asked for, which costs start-up a round trip to the session
    // bus).
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    auto akce = [this](QMenu* menu, const char* jmeno, const QString& popis, auto obsluha) {
        QAction* a = menu->addAction(popis);
        a->setObjectName(QLatin1String(jmeno));
        connect(a, &QAction::triggered, this, obsluha);
        return a;
    };

    menu_rezim_ = menuBar()->addMenu(QStringLiteral("&Režim"));
    menu_rezim_->setObjectName(QStringLiteral("menu_rezim"));
    menu_uzivatelsky_ = akce(menu_rezim_, "menu_uzivatelsky", QStringLiteral("&Uživatelský režim"),
                             &frm_main::menu_uzivatelsky_Click);
    menu_administratorsky_ =
        akce(menu_rezim_, "menu_administratorsky", QStringLiteral("&Administrátorský režim"),
             &frm_main::menu_administratorsky_Click);
    menu_rezim_->addSeparator()->setObjectName(QStringLiteral("line1"));
    menu_nacti_status_ =
        akce(menu_rezim_, "menu_nacti_status", QStringLiteral("A&ktualizuj stav vypínačů"),
             &frm_main::menu_nacti_status_Click);

    menu_konfigurace_ = menuBar()->addMenu(QStringLiteral("&Konfigurace"));
    menu_konfigurace_->setObjectName(QStringLiteral("menu_konfigurace"));
    menu_zalozky_ = akce(menu_konfigurace_, "menu_zalozky", QStringLiteral("&Záložky"),
                         &frm_main::menu_zalozky_Click);
    menu_stykace_ = akce(menu_konfigurace_, "menu_stykace", QStringLiteral("&Názvy stykačů"),
                         &frm_main::menu_stykace_Click);
    menu_rs232_ = akce(menu_konfigurace_, "menu_rs232", QStringLiteral("Čí&slo COMu"),
                       &frm_main::menu_rs232_Click);
    menu_konfigurace_->addSeparator()->setObjectName(QStringLiteral("line2"));
    menu_heslo_ = akce(menu_konfigurace_, "menu_heslo", QStringLiteral("&Administrátorské heslo"),
                       &frm_main::menu_heslo_Click);
    menu_konfigurace_->addSeparator()->setObjectName(QStringLiteral("line3"));
    menu_save_ = akce(menu_konfigurace_, "menu_save",
                      QStringLiteral("Záloha konfigurace na disketu"), &frm_main::menu_save_Click);
    menu_load_ = akce(menu_konfigurace_, "menu_load",
                      QStringLiteral("Obnova konfigurace z diskety"), &frm_main::menu_load_Click);

    menu_tisk_ = menuBar()->addMenu(QStringLiteral("&Tisk"));
    menu_tisk_->setObjectName(QStringLiteral("menu_tisk"));
    menu_tisk_stykace_ = akce(menu_tisk_, "menu_tisk_stykace", QStringLiteral("&Tabulka stykačů"),
                              &frm_main::menu_tisk_stykace_Click);

    menu_help_ = menuBar()->addAction(QStringLiteral("&Help"));
    menu_help_->setObjectName(QStringLiteral("menu_help"));
    connect(menu_help_, &QAction::triggered, this, &frm_main::menu_help_Click);

    // The window is created in user mode.
    nastav_menu_rezimu(false);
    nastav_menu_dotazu();
}

// The administrator's commands are offered in the administrator's mode only.
void frm_main::nastav_menu_rezimu(bool administrator) {
    menu_administratorsky_->setEnabled(!administrator);
    for (QAction* a : {menu_uzivatelsky_, menu_zalozky_, menu_stykace_, menu_rs232_, menu_heslo_,
                       menu_save_, menu_load_})
        a->setEnabled(administrator);
}

// Made when the window is first shown: measuring its texts loads the fonts, which start-up does
// after its first query. Until then the panels' texts are kept for it.
void frm_main::vytvor_stavovy_radek() {
    if (panely_[0])
        return;
    auto* radek = new QStatusBar(this);
    radek->setObjectName(QStringLiteral("StatusBar1"));
    radek->setAccessibleName(QStringLiteral("stavový řádek"));
    radek->setSizeGripEnabled(false);
    radek->setFixedHeight(vyska_stavoveho_radku);
    for (int p = 0; p < pocet_panelu; ++p) {
        auto* panel = new QLabel(radek);
        panel->setObjectName(QStringLiteral("panel%1").arg(p + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFixedWidth(sirky_panelu[static_cast<size_t>(p)]);
        panel->setIndent(3);
        radek->addWidget(panel);
        panel->setText(texty_panelu_[static_cast<size_t>(p)]);
        panel->setAccessibleName(jmeno_panelu(p + 1, panel->text()));
        panely_[static_cast<size_t>(p)] = panel;
    }
    // The status bar lays its panels out six pixels apart; two keep the five within the client
    // area's width, where six would push the window wider.
    for (int i = 0; QLayoutItem* polozka = radek->layout()->itemAt(i); ++i)
        if (QLayout* rada = polozka->layout())
            rada->setSpacing(2);
    setStatusBar(radek);
}

bool frm_main::Form_Load() {
    cesta_ini_ = cesta_konfigurace();
    editace_stykacu_ = false;

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
    // The menus come after it (the menu bar's first icon loads the image plugins).
    linka_.nacti_status();
    vytvor_menu();
    inicializuj_zalozky(konfigurace);
    inicializuj_chlivky(konfigurace);
    obarvi_buttony();
    chlivky_uzivatelsky_mod();
    linka_.spust_status_timer();

    // The last tab is selected at start; when it is hidden, the first tab shown.
    const int posledni = pocet_zalozek - 1;
    for (int z : {posledni, 0, 1, 2, 3}) {
        if (SSTab2().isTabVisible(z)) {
            SSTab2().setCurrentIndex(z);
            break;
        }
    }
    return true;
}

void frm_main::zobraz_uprostred() {
    vytvor_stavovy_radek();
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
    QSize velikost =
        klient_->size() + QSize(0, menuBar()->sizeHint().height() + vyska_stavoveho_radku);
    if (const QScreen* obrazovka = screen()) {
        const QSize ramecek = frameGeometry().size() - geometry().size();
        velikost = velikost.boundedTo(obrazovka->availableGeometry().size() - ramecek);
    }
    setFixedSize(velikost);
}

// Nothing is saved: every change was written when it was made. The timers stop with the port, so
// that no tick reports on a window that is going away.
void frm_main::Form_Unload() {
    zastav_casovace();
    linka_.zavri_port();
}

void frm_main::zastav_casovace() {
    linka_.zastav_status_timer();
    linka_.zastav_watchdog_timer();
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
    vytvor_stavovy_radek();
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

QString frm_main::panel(int cislo) const {
    return texty_panelu_[static_cast<size_t>(cislo - 1)];
}

void frm_main::nastav_panel(int panel, const QString& text) {
    if (panel < 1 || panel > pocet_panelu)
        return;
    texty_panelu_[static_cast<size_t>(panel - 1)] = text;
    if (QLabel* l = panely_[static_cast<size_t>(panel - 1)]) {
        l->setText(text);
        // A new name is announced: the operator hears the lock and the port change. Setting the
        // name sends the change event, so it is set only when it changes; an event of our own
        // besides would be heard twice.
        const QString jmeno = jmeno_panelu(panel, text);
        if (l->accessibleName() != jmeno)
            l->setAccessibleName(jmeno);
    }
}

// ---- tabs and cells ----

void frm_main::inicializuj_zalozky() {
    inicializuj_zalozky(cteni_konfigurace(cesta_ini_));
}

void frm_main::inicializuj_zalozky(const cteni_konfigurace& konfigurace) {
    SSTab2().vytvor_zalozky();
    for (int t = 1; t <= pocet_zalozek; ++t) {
        const bool zobrazena = konfigurace.zalozka_aktivni(t);
        SSTab2().setTabVisible(t - 1, zobrazena);
        SSTab2().setTabEnabled(t - 1, zobrazena);
        if (zobrazena)
            SSTab2().setTabText(t - 1, konfigurace.nazev_zalozky(t));
        // A hidden tab stays in the list that a screen reader reads out: it says it is hidden.
        SSTab2().tabBar()->setAccessibleTabName(
            t - 1, zobrazena ? QString() : QStringLiteral("skrytá záložka %1").arg(t));
    }
}

void frm_main::inicializuj_chlivky() {
    inicializuj_chlivky(cteni_konfigurace(cesta_ini_));
}

void frm_main::inicializuj_chlivky(const cteni_konfigurace& konfigurace) {
    QHash<QString, QString> nazvy; // each contactor's name is looked up once
    for (int i = 0; i < pocet_chlivku; ++i) {
        const QString cislo = konfigurace.stykac_chlivku(i);
        auto nazev = nazvy.constFind(cislo);
        if (nazev == nazvy.cend())
            nazev = nazvy.insert(cislo, konfigurace.nazev_stykace(cislo));
        SSTab2().nastav_chlivek(i, cislo, *nazev);
    }
}

// The switches are painted from their values, as unknown until the first status has been read.
void frm_main::obarvi_buttony() {
    SSTab2().update();
}

void frm_main::chlivky_uzivatelsky_mod() {
    SSTab2().uzivatelsky_pohled();
}

void frm_main::chlivky_administratorsky_mod() {
    SSTab2().administratorsky_pohled();
}

// A change of any switch's value starts the polling period anew, once for the whole reply.
void frm_main::zobraz_stav_stykacu(const stavy_stykacu& stav, bool znamy) {
    if (SSTab2().nastav_stavy(stav, znamy))
        linka_.restartuj_status_timer();
}

// ---- the switch lock and the modes ----

// The status query is offered while the switches are free, from the moment the menus are made.
void frm_main::nastav_menu_dotazu() {
    if (menu_nacti_status_)
        menu_nacti_status_->setEnabled(!SSTab2().zamceno());
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

void frm_main::menu_uzivatelsky_mod() {
    nastav_menu_rezimu(false);
}

void frm_main::menu_administratorsky_mod() {
    nastav_menu_rezimu(true);
}

void frm_main::prihlaseni_prijato() {
    zakaz_buttony();
    zastav_casovace();
    nastav_panel(1, QStringLiteral("administrátorský mód"));
    menu_administratorsky_mod();
    chlivky_administratorsky_mod();
}

// ---- menu commands ----

void frm_main::menu_uzivatelsky_Click() {
    nastav_panel(1, QStringLiteral("uživatelský mód"));
    menu_uzivatelsky_mod();
    chlivky_uzivatelsky_mod();
    linka_.spust_status_timer();
    // The operator's own request: a closed port is reported at once.
    linka_.aktualizuj_stav();
}

// Every dialog of the menu is modal: made when opened, gone when closed.
template <typename dialog, typename... parametry> void frm_main::otevri(parametry&&... p) {
    dialog d(cesta_ini_, std::forward<parametry>(p)..., this);
    d.exec();
}

void frm_main::menu_administratorsky_Click() {
    otevri<frm_login>([this] { prihlaseni_prijato(); });
}

void frm_main::menu_nacti_status_Click() {
    linka_.aktualizuj_stav();
}

void frm_main::menu_zalozky_Click() {
    otevri<frm_zalozky>([this] { inicializuj_zalozky(); });
}

void frm_main::menu_stykace_Click() {
    editace_stykacu_ = true;
    otevri_katalog();
}

void frm_main::prirad_stykac() {
    editace_stykacu_ = false;
    otevri_katalog();
}

void frm_main::otevri_katalog() {
    otevri<frm_cis_stykace>(
        editace_stykacu_, vybrany_chlivek_, posledni_radek_,
        [this](int i, const QString& cislo, const QString& nazev) {
            SSTab2().nastav_chlivek(i, cislo, nazev);
        },
        [this] { inicializuj_chlivky(); });
}

void frm_main::menu_rs232_Click() {
    otevri<frm_com>([this](int cislo) { return linka_.prepni_port(cislo); },
                    [this](const QString& text) { nastav_panel(2, text); });
}

void frm_main::menu_heslo_Click() {
    otevri<frm_zmena_hesla>();
}

void frm_main::menu_save_Click() {
    zalohuj_konfiguraci(this, cesta_ini_);
}

void frm_main::menu_load_Click() {
    obnov_konfiguraci(this, cesta_ini_);
}

void frm_main::menu_tisk_stykace_Click() {
    menu_tisk_stykace(this, cesta_ini_);
}

void frm_main::menu_help_Click() {
    if (!zobraz_napovedu(this, slozka_programu() + QStringLiteral("/tarvik.hlp")))
        zobraz_chybu(this, QStringLiteral("Chyba při otevírání help souboru."));
}

// ---- cell events ----

// The operator set a switch, by whatever means: the command goes out first, then the polling
// period starts anew. The grid never reports the program's own changes, nor any while locked.
void frm_main::Check1_Click(int i) {
    const int n = SSTab2().stykac(i);
    if (linka_.nacitani_statusu() || n < 0)
        return;
    linka_.posli_prikaz(n, SSTab2().zapnuto(i));
    linka_.restartuj_status_timer();
}

void frm_main::Text2_vyber(int i) {
    vybrany_chlivek_ = i;
    prirad_stykac();
}

} // namespace tarvik
