// The main window: start-up, the cell grid, the modes, the menus, the status bar, and switching
// from a cell through a real serial line to the controller simulator.

#include "app/cell_grid.h"
#include "app/main_window.h"
#include "config/codepage.h"
#include "config/config_file.h"
#include "platform/help_viewer.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"
#include "tarvik-sim/simulator.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QSerialPort>
#include <QStatusBar>
#include <QTest>
#include <memory>

using namespace tarvik;

namespace {

const QColor zelena(0, 255, 0), cervena(255, 0, 0);

// A program folder with an optional configuration file, the controller simulator on COM1 and the
// main window.
struct prostredi {
    test::temp_folder slozka;
    test::message_recorder zpravy;
    std::unique_ptr<sim::simulator> simulator;
    std::unique_ptr<frm_main> okno;

    explicit prostredi(const QByteArray& ini, const QByteArray& stavy = {}) {
        if (!ini.isNull())
            slozka.write(QStringLiteral("tarvik.ini"), ini);
        sim::nastaveni n;
        n.slozka = slozka.path();
        n.stavy = stavy;
        simulator = std::make_unique<sim::simulator>(n);
        if (!simulator->spust())
            qFatal("the simulator did not start");
        okno = std::make_unique<frm_main>();
    }
    // Until the last status reply has been applied.
    bool klid() {
        return QTest::qWaitFor(
            [&] { return okno->panel(4) == QStringLiteral("tlačítka povolena"); }, 5000);
    }
    mrizka_chlivku& m() { return okno->SSTab2(); }
};

QByteArray vychozi_se_zmenami(const QList<std::pair<QByteArray, QByteArray>>& zmeny) {
    QByteArray ini = vychozi_konfigurace();
    for (const auto& [stare, nove] : zmeny)
        ini.replace(ini.indexOf(stare), stare.size(), nove);
    return ini;
}

// The colour a switch is painted in, beside its check mark and inside its focus frame.
QColor barva(QWidget* w) {
    return w->grab().toImage().pixelColor(w->width() - 6, 5);
}

// A switch as it is, without bringing its tab up to date first.
QCheckBox* vypinac_jak_je(mrizka_chlivku& m, int i) {
    return m.findChild<QCheckBox*>(QStringLiteral("Check1_%1").arg(i));
}

} // namespace

class test_main_window : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prvni_start_zapise_vychozi_soubor();
    void poskozeny_soubor_zustane_data();
    void poskozeny_soubor_zustane();
    void bez_portu_se_okno_neukaze_data();
    void bez_portu_se_okno_neukaze();
    void okno_a_chlivky_na_svych_mistech();
    void zalozky_podle_konfigurace_data();
    void zalozky_podle_konfigurace();
    void zalozka_povolena_az_za_behu();
    void viditelnost_podle_rezimu();
    void menu_a_panely_v_obou_rezimech();
    void neplatne_cislo_chlivku_se_nespina();
    void spinani_stykace_az_k_radici();
    void napoveda_a_zavreni();
};

void test_main_window::prvni_start_zapise_vychozi_soubor() {
    prostredi p{QByteArray()};
    bool soubor_pri_zprave = true;
    p.zpravy.behem_zpravy = [&](const zprava&) {
        soubor_pri_zprave = QFile::exists(p.slozka.ini());
    };
    QVERIFY(p.okno->Form_Load());

    QCOMPARE(p.zpravy.texty(), QStringList{zprava_chybi_konfigurace});
    QCOMPARE(p.zpravy.zpravy[0].titulek, QStringLiteral("Tarvik - chyba"));
    QCOMPARE(p.zpravy.zpravy[0].ikona, ikona_zpravy::kriticka);
    QVERIFY2(!soubor_pri_zprave, "the message comes before the file is written");
    QCOMPARE(p.slozka.read(QStringLiteral("tarvik.ini")), vychozi_konfigurace());

    for (int z = 0; z < 5; ++z)
        QCOMPARE(p.m().tabText(z), QStringLiteral("záložka %1").arg(z + 1));
    QCOMPARE(p.m().currentIndex(), 4);
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i) {
        const int stykac = i < 128 ? i : 0;
        QCOMPARE(p.m().Text2(i)->text(), QString::number(stykac));
        QCOMPARE(p.m().Text1(i)->text(), QStringLiteral("stykač %1").arg(stykac));
        QCOMPARE(p.m().Check1(i)->accessibleName(),
                 QStringLiteral("stykač %1, stykač číslo %1").arg(stykac));
    }
}

void test_main_window::poskozeny_soubor_zustane_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("junk") << QByteArray("\x00\xFF[\x01junk=\r\n", 11);
    QTest::newRow("CR line ends only") << vychozi_konfigurace().replace("\r\n", "\r");
    QTest::newRow("over the size limit") << QByteArray(nejvetsi_konfigurace + 1, ';');
}

// A file that holds no configuration is reported and kept for the administrator to restore; the
// window starts with the port of COM1 and no tab shown.
void test_main_window::poskozeny_soubor_zustane() {
    QFETCH(QByteArray, ini);
    prostredi p(ini);
    QVERIFY(p.okno->Form_Load());
    QCOMPARE(p.zpravy.texty(), QStringList{zprava_poskozena_konfigurace});
    QCOMPARE(p.zpravy.zpravy[0].titulek, QStringLiteral("Tarvik - chyba"));
    QCOMPARE(p.zpravy.zpravy[0].ikona, ikona_zpravy::kriticka);
    QVERIFY(p.slozka.read(QStringLiteral("tarvik.ini")) == ini);
    for (int z = 0; z < 5; ++z)
        QVERIFY(!p.m().isTabVisible(z));
}

void test_main_window::bez_portu_se_okno_neukaze_data() {
    QTest::addColumn<bool>("obsazeny");
    QTest::addColumn<QString>("zprava");
    QTest::newRow("no device") << false << QStringLiteral("Chyba při otevírání sériového portu.");
    QTest::newRow("held by another program")
        << true
        << QStringLiteral("Sériový port je již otevřen jiným programem. Zkontrolujte zda program "
                          "není již spuštěn na liště. Pokud nic nepomůže, zkuste restartovat "
                          "počítač.");
}

void test_main_window::bez_portu_se_okno_neukaze() {
    QFETCH(bool, obsazeny);
    QFETCH(QString, zprava);
    prostredi p(vychozi_konfigurace());
    QSerialPort jiny_program(p.simulator->cesta_zarizeni());
    if (obsazeny) {
        QVERIFY(jiny_program.open(QIODevice::ReadWrite));
    } else { // COM1 is linked to a device that is not there (an unplugged adapter)
        QVERIFY(QFile::remove(p.slozka.file(QStringLiteral("dosdevices/com1"))));
        QVERIFY(QFile::link(QStringLiteral("/dev/tarvik-no-such-device"),
                            p.slozka.file(QStringLiteral("dosdevices/com1"))));
    }
    QVERIFY(!p.okno->Form_Load());
    QCOMPARE(p.zpravy.texty(), QStringList{zprava});
    QVERIFY(!p.okno->isVisible());
}

void test_main_window::okno_a_chlivky_na_svych_mistech() {
    prostredi p(vychozi_konfigurace());
    QVERIFY(p.okno->Form_Load());
    p.okno->zobraz_uprostred();
    QVERIFY(QTest::qWaitForWindowExposed(p.okno.get()));

    QCOMPARE(p.okno->windowTitle(), QStringLiteral("Tarvik"));
    QVERIFY(!(p.okno->windowFlags() & Qt::WindowMaximizeButtonHint));
    // Client area below the menu bar: 12555 x 9540 twips; the tabs 240 twips down.
    QCOMPARE(p.okno->centralWidget()->width(), 837);
    QCOMPARE(p.okno->centralWidget()->height() + p.okno->statusBar()->height(), 636);
    QCOMPARE(p.m().mapTo(p.okno->centralWidget(), QPoint(0, 0)), QPoint(0, 16));
    const QSize velikost = p.okno->size();
    p.okno->resize(velikost + QSize(100, 80));
    p.okno->showMaximized();
    QCoreApplication::processEvents();
    QCOMPARE(p.okno->size(), velikost);
    QVERIFY(!(p.okno->windowState() & Qt::WindowMaximized));

    // Cell i: tab i / 64, column (i % 64) / 16, row i % 16; Check1 at 360 + 3000c, Text1 at
    // 840 + 3000c, Text2 at 2760 + 3000c, rows at 840 + 480r twips from the tab control.
    struct misto {
        int chlivek, zalozka;
        QPoint check;
    };
    for (const misto& c : {misto{0, 0, {24, 56}}, misto{16, 0, {224, 56}},
                           misto{101, 1, {424, 216}}, misto{319, 4, {624, 536}}}) {
        QCOMPARE(p.m().Check1(c.chlivek)->parentWidget(), p.m().widget(c.zalozka));
        p.m().setCurrentIndex(c.zalozka);
        QCOMPARE(p.m().Check1(c.chlivek)->mapTo(&p.m(), QPoint(0, 0)), c.check);
        QCOMPARE(p.m().Text1(c.chlivek)->mapTo(&p.m(), QPoint(0, 0)), c.check + QPoint(32, 0));
        QCOMPARE(p.m().Text2(c.chlivek)->mapTo(&p.m(), QPoint(0, 0)), c.check + QPoint(160, 0));
    }
    QCOMPARE(p.m().Check1(0)->size(), QSize(25, 25));
    QCOMPARE(p.m().Text1(0)->size(), QSize(129, 19));
    QCOMPARE(p.m().Text2(0)->size(), QSize(25, 19));
}

void test_main_window::zalozky_podle_konfigurace_data() {
    QTest::addColumn<QByteArray>("zalozky");
    QTest::addColumn<QString>("viditelne");
    QTest::addColumn<QStringList>("popisky");
    QTest::addColumn<int>("vybrana");
    const QString tab = QStringLiteral("Tab %1");
    QTest::newRow("blanks, '10', empty and missing values; long and empty captions")
        << QByteArray("[zalozky]\r\naktivni1= 1\r\naktivni2=\r\naktivni4=10\r\naktivni5=1\r\n"
                      "nazev1=123456789012345\r\nnazev2=skryta\r\nnazev5=\r\n")
        << QStringLiteral("10011")
        << QStringList{QStringLiteral("12345678901"), tab.arg(1), tab.arg(2), QStringLiteral("---"),
                       QString()}
        << 4;
    QTest::newRow("last tab hidden selects the first shown")
        << QByteArray("[zalozky]\r\naktivni2=1\r\naktivni3=1\r\naktivni5=0\r\n")
        << QStringLiteral("01100")
        << QStringList{tab.arg(0), QStringLiteral("---"), QStringLiteral("---"), tab.arg(3),
                       tab.arg(4)}
        << 1;
    QTest::newRow("no tab active")
        << QByteArray("[zalozky]\r\n") << QStringLiteral("00000")
        << QStringList{tab.arg(0), tab.arg(1), tab.arg(2), tab.arg(3), tab.arg(4)} << -1;
}

void test_main_window::zalozky_podle_konfigurace() {
    QFETCH(QByteArray, zalozky);
    QFETCH(QString, viditelne);
    QFETCH(QStringList, popisky);
    QFETCH(int, vybrana);
    prostredi p("[system]\r\ncom=1\r\n" + zalozky);
    QVERIFY(p.okno->Form_Load());
    QVERIFY(p.zpravy.zpravy.isEmpty());
    for (int z = 0; z < 5; ++z) {
        QCOMPARE(p.m().isTabVisible(z), viditelne[z] == QLatin1Char('1'));
        QCOMPARE(p.m().isTabEnabled(z), viditelne[z] == QLatin1Char('1'));
        QCOMPARE(p.m().tabText(z), popisky[z]);
    }
    if (vybrana >= 0)
        QCOMPARE(p.m().currentIndex(), vybrana);
}

// Started with no tab, then one enabled in the tab dialog: its cells lie below the row of tabs.
void test_main_window::zalozka_povolena_az_za_behu() {
    prostredi p(QByteArray("[zalozky]\r\n"));
    QVERIFY(p.okno->Form_Load());
    p.okno->zobraz_uprostred();
    QVERIFY(QTest::qWaitForWindowExposed(p.okno.get()));
    p.slozka.write(QStringLiteral("tarvik.ini"), "[zalozky]\r\naktivni1=1\r\n");
    p.okno->inicializuj_zalozky();
    p.m().setCurrentIndex(0);
    QTRY_COMPARE(p.m().Check1(0)->mapTo(&p.m(), QPoint(0, 0)), QPoint(24, 56));
}

void test_main_window::viditelnost_podle_rezimu() {
    const QString dlouhy = QStringLiteral("ČERPADLO MÍCHAČKY Č2");
    prostredi p(vychozi_se_zmenami(
        {{"chlivek5=5\r\n", "chlivek5=---\r\n"},
         {"chlivek6=6\r\n", "chlivek6=99\r\n"},
         {na_cp1250(u"stykac9=stykač 9\r\n"),
          na_cp1250(QStringLiteral("stykac9=") + dlouhy + QStringLiteral("\r\n"))}}));
    QVERIFY(p.okno->Form_Load());
    mrizka_chlivku& m = p.m();
    QCOMPARE(m.Text1(5)->text(), QStringLiteral("---"));
    QCOMPARE(m.Text1(6)->text(), QStringLiteral("stykač 99"));
    // A name that fills its box is shown from its first character, and whole in its tooltip.
    p.okno->zobraz_uprostred();
    m.setCurrentIndex(0);
    QCOMPARE(m.Text1(9)->text(), dlouhy);
    QCOMPARE(m.Text1(9)->cursorPosition(), 0);
    for (QWidget* w : {static_cast<QWidget*>(m.Text1(9)), static_cast<QWidget*>(m.Check1(9))}) {
        QCOMPARE(w->toolTip(), dlouhy);
        QCOMPARE(w->accessibleDescription(), dlouhy);
    }

    // User mode: an empty cell shows nothing, an assigned one its switch and name, no number.
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i) {
        QCOMPARE(m.Check1(i)->isHidden(), i == 5);
        QCOMPARE(m.Text1(i)->isHidden(), i == 5);
        QVERIFY(m.Text2(i)->isHidden());
    }
    p.okno->prihlaseni_prijato();
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i)
        QVERIFY(!m.Check1(i)->isHidden() && !m.Text1(i)->isHidden() && !m.Text2(i)->isHidden());

    // An assignment made in administrator mode shows at the next return to user mode.
    m.nastav_chlivek(7, QStringLiteral("---"), QStringLiteral("---"));
    p.okno->menu_uzivatelsky_Click();
    QVERIFY(m.Check1(7)->isHidden() && m.Text1(7)->isHidden() && m.Check1(5)->isHidden());
    QVERIFY(!m.Check1(6)->isHidden());
}

void test_main_window::menu_a_panely_v_obou_rezimech() {
    prostredi p(vychozi_konfigurace());
    QVERIFY(p.okno->Form_Load());
    frm_main& o = *p.okno;

    QStringList na_liste;
    for (QAction* a : o.menuBar()->actions())
        na_liste << a->text();
    QCOMPARE(na_liste, (QStringList{QStringLiteral("&Režim"), QStringLiteral("&Konfigurace"),
                                    QStringLiteral("&Tisk"), QStringLiteral("&Help")}));
    // Which items are enabled: user mode, administrator mode, status query, configuration.
    auto over = [&](const char* ocekavano) {
        QString stav;
        for (const char* jmeno : {"menu_uzivatelsky", "menu_administratorsky", "menu_nacti_status",
                                  "menu_zalozky", "menu_stykace", "menu_rs232", "menu_heslo",
                                  "menu_save", "menu_load", "menu_tisk_stykace", "menu_help"})
            stav += o.polozka(jmeno)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return stav == QLatin1String(ocekavano);
    };
    auto panely = [&] {
        QStringList t;
        for (int i = 1; i <= 5; ++i)
            t << o.panel(i);
        return t;
    };
    const QString verze = QStringLiteral("ver.: 1.6 - 29.1.2006");

    // Right after start-up the first query is out and the switches are locked.
    QVERIFY(over("01000000011"));
    QCOMPARE(panely(),
             (QStringList{QStringLiteral("uživatelský mód"), QStringLiteral("COM1"),
                          QStringLiteral("XS"), QStringLiteral("tlačítka zakázána"), verze}));
    QVERIFY(o.spojeni().status_timer().isActive());
    QVERIFY(p.klid());
    QVERIFY(over("01100000011"));
    QCOMPARE(o.panel(3), QString());

    o.prihlaseni_prijato();
    QVERIFY(over("10011111111"));
    QCOMPARE(panely(), (QStringList{QStringLiteral("administrátorský mód"), QStringLiteral("COM1"),
                                    QString(), QStringLiteral("tlačítka zakázána"), verze}));
    QVERIFY(!o.spojeni().status_timer().isActive() && !o.spojeni().watchdog_timer().isActive());

    p.simulator->vymaz_zaznam();
    o.menu_uzivatelsky_Click();
    QVERIFY(over("01000000011"));
    QCOMPARE(o.panel(1), QStringLiteral("uživatelský mód"));
    QCOMPARE(o.panel(3), QStringLiteral("XS"));
    QVERIFY(o.spojeni().status_timer().isActive());
    QVERIFY(p.klid());
    QCOMPARE(p.simulator->prijato(), QByteArray("XA\r\n"));
    QVERIFY(p.zpravy.zpravy.isEmpty());
}

void test_main_window::neplatne_cislo_chlivku_se_nespina() {
    prostredi p(vychozi_se_zmenami({{"chlivek7=7\r\n", "chlivek7=abc\r\n"},
                                    {"chlivek8=8\r\n", "chlivek8=200\r\n"},
                                    {"chlivek9=9\r\n", "chlivek9=---\r\n"},
                                    {"chlivek10=10\r\n", "chlivek10=-1\r\n"}}),
                QByteArray(128, '1'));
    QVERIFY(p.okno->Form_Load());
    QVERIFY(p.klid());
    // Unlocked, every switch with a contactor is usable; the others never are.
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i)
        QCOMPARE(p.m().Check1(i)->isEnabled(), i < 7 || i > 10);
    for (int i : {7, 8, 10})
        QVERIFY(!p.m().Check1(i)->isHidden() && !p.m().Check1(i)->isChecked());
    QCOMPARE(p.m().Text2(8)->text(), QStringLiteral("200"));

    p.simulator->vymaz_zaznam();
    p.m().Check1(8)->setChecked(true);
    p.okno->Check1_Click(8);
    QTest::qWait(50);
    QCOMPARE(p.simulator->prijato(), QByteArray());
}

void test_main_window::spinani_stykace_az_k_radici() {
    QByteArray stavy(128, '0');
    stavy[42] = '1';
    prostredi p(vychozi_se_zmenami({{"chlivek200=0\r\n", "chlivek200=5\r\n"}}), stavy);
    QVERIFY(p.okno->Form_Load());
    p.okno->zobraz_uprostred();
    QVERIFY(QTest::qWaitForWindowExposed(p.okno.get()));
    QVERIFY(p.klid());
    mrizka_chlivku& m = p.m();
    QVERIFY(m.Check1(42)->isChecked() && !m.Check1(41)->isChecked());
    QCOMPARE(barva(m.Check1(42)), zelena);
    m.setCurrentIndex(0);
    p.simulator->vymaz_zaznam();

    QStringList zamek; // panel 4 as each packet reaches the controller
    connect(p.simulator.get(), &sim::simulator::paket_prijat, p.okno.get(),
            [&] { zamek << p.okno->panel(4); });

    QTest::mouseClick(m.Check1(5), Qt::LeftButton);
    QCOMPARE(barva(m.Check1(5)), zelena);
    QCOMPARE(p.okno->panel(3), QStringLiteral("XR005=1"));
    QCOMPARE(p.okno->panel(4), QStringLiteral("tlačítka zakázána"));
    QVERIFY(p.okno->spojeni().watchdog_timer().isActive());
    QVERIFY(p.klid());
    QCOMPARE(p.simulator->prijato(), QByteArray("XW005=1\r\nXA\r\n"));
    QCOMPARE(zamek, QStringList(2, QStringLiteral("tlačítka zakázána")));
    QVERIFY(p.simulator->stavy()[5]);
    // Every cell with contactor 5 follows the controller.
    QVERIFY(m.Check1(5)->isChecked() && m.Check1(200)->isChecked());
    QCOMPARE(barva(m.Check1(200)), zelena);
    QVERIFY(!p.okno->spojeni().watchdog_timer().isActive());

    // And off again, from the keyboard: the switch keeps the focus through the cycle and a poll.
    p.simulator->vymaz_zaznam();
    p.okno->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.okno.get()));
    m.Check1(5)->setFocus();
    QTest::keyClick(m.Check1(5), Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), m.Check1(5));
    QVERIFY(p.klid());
    QCOMPARE(p.simulator->prijato(), QByteArray("XW005=0\r\nXA\r\n"));
    QVERIFY(!m.Check1(200)->isChecked());
    QCOMPARE(barva(m.Check1(200)), cervena);
    QCOMPARE(QApplication::focusWidget(), m.Check1(5));
    p.okno->menu_nacti_status_Click();
    QVERIFY(p.klid());
    QCOMPARE(QApplication::focusWidget(), m.Check1(5));

    // A screen reader's or voice control's Toggle action switches as a click does; while locked
    // the switches refuse every change, whatever its way in.
    p.simulator->vymaz_zaznam();
    QAccessibleInterface* rozhrani = QAccessible::queryAccessibleInterface(m.Check1(7));
    rozhrani->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(p.okno->panel(3), QStringLiteral("XR007=1"));
    QVERIFY(!m.Check1(5)->isEnabled() && !m.Check1(300)->isEnabled());
    m.Check1(8)->setChecked(true);
    QVERIFY(!m.Check1(8)->isChecked());
    QVERIFY(p.klid());
    QCOMPARE(p.simulator->prijato(), QByteArray("XW007=1\r\nXA\r\n"));

    // A tab not shown catches up when it is shown: locked during a command, and with the states
    // of a status reply that came while it was hidden.
    m.setCurrentIndex(4);
    QVERIFY(!m.zalozka_vytvorena(1));
    p.simulator->nastav_stav(70, true);
    p.okno->menu_nacti_status_Click();
    m.setCurrentIndex(0);
    m.setCurrentIndex(1);
    QVERIFY(!vypinac_jak_je(m, 0)->isEnabled() && !vypinac_jak_je(m, 70)->isEnabled());
    m.setCurrentIndex(4);
    QVERIFY(p.klid());
    m.setCurrentIndex(0);
    QVERIFY(vypinac_jak_je(m, 7)->isChecked() && vypinac_jak_je(m, 7)->isEnabled());
    m.setCurrentIndex(1);
    QVERIFY(vypinac_jak_je(m, 70)->isChecked() && vypinac_jak_je(m, 70)->isEnabled());
    QCOMPARE(barva(vypinac_jak_je(m, 70)), zelena);
    QVERIFY(p.zpravy.zpravy.isEmpty());
}

void test_main_window::napoveda_a_zavreni() {
    prostredi p(vychozi_konfigurace());
    QVERIFY(p.okno->Form_Load());
    QVERIFY(p.klid());
    p.okno->zobraz_uprostred();

    p.okno->menu_help_Click();
    QCOMPARE(p.zpravy.texty(), QStringList{QStringLiteral("Chyba při otevírání help souboru.")});
    QFile napoveda(QStringLiteral(TARVIK_HELP_FILE));
    QVERIFY(napoveda.open(QIODevice::ReadOnly));
    p.slozka.write(QStringLiteral("tarvik.hlp"), napoveda.readAll());
    p.okno->menu_help_Click();
    QCOMPARE(p.zpravy.zpravy.size(), 1);
    QVERIFY(okno_napovedy() && okno_napovedy()->isVisible());

    // Closing closes the port (another program can open it) and the help, and writes nothing.
    p.okno->close();
    QVERIFY(!okno_napovedy() || !okno_napovedy()->isVisible());
    QVERIFY(!p.okno->spojeni().port_otevren());
    QCOMPARE(p.slozka.read(QStringLiteral("tarvik.ini")), vychozi_konfigurace());
    QSerialPort jiny(p.simulator->cesta_zarizeni());
    QVERIFY(jiny.open(QIODevice::ReadWrite));
}

QTEST_MAIN(test_main_window)
#include "test_main_window.moc"
