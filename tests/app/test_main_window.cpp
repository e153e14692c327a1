// The main window: start-up, the cell grid, the modes, the menus, the status bar, and switching
// from a cell through a real serial line to the controller simulator.

#include "app/cell_grid.h"
#include "app/main_window.h"
#include "config/config_file.h"
#include "platform/help_viewer.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"
#include "tarvik-sim/simulator.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QSerialPort>
#include <QStatusBar>
#include <QTest>
#include <memory>

using namespace tarvik;

namespace {

const QString chybi_port = QStringLiteral("Chyba při otevírání sériového portu.");

// A program folder with an optional configuration file, the controller simulator on COM1 and the
// main window.
struct prostredi {
    test::temp_folder slozka;
    test::message_recorder zpravy;
    std::unique_ptr<sim::simulator> simulator;
    std::unique_ptr<frm_main> okno;

    explicit prostredi(const QByteArray* ini = nullptr, bool se_simulatorem = true,
                       const QByteArray& stavy = {}) {
        if (ini)
            slozka.write(QStringLiteral("tarvik.ini"), *ini);
        if (se_simulatorem) {
            sim::nastaveni n;
            n.slozka = slozka.path();
            n.port = 1;
            n.stavy = stavy;
            simulator = std::make_unique<sim::simulator>(n);
            QString chyba;
            if (!simulator->spust(&chyba))
                qFatal("simulator: %s", qPrintable(chyba));
        }
        okno = std::make_unique<frm_main>();
    }

    // Waits until the first status reply has been applied.
    bool klid() {
        return QTest::qWaitFor(
            [&] { return okno->panel(4) == QStringLiteral("tlačítka povolena"); }, 5000);
    }
};

QByteArray vychozi_se_zmenami(const QList<std::pair<QByteArray, QByteArray>>& zmeny) {
    QByteArray ini = vychozi_konfigurace();
    for (const auto& [stare, nove] : zmeny) {
        const qsizetype kde = ini.indexOf(stare);
        Q_ASSERT(kde >= 0);
        ini.replace(kde, stare.size(), nove);
    }
    return ini;
}

bool skryty(QWidget* w) {
    return w->isHidden();
}

} // namespace

class test_main_window : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prvni_start_zapise_vychozi_soubor();
    void start_bez_zarizeni_skonci();
    void start_s_obsazenym_portem_skonci();
    void okno_ma_pevnou_velikost();
    void chlivky_lezi_na_svych_mistech_data();
    void chlivky_lezi_na_svych_mistech();
    void zalozky_podle_konfigurace_data();
    void zalozky_podle_konfigurace();
    void viditelnost_podle_rezimu();
    void menu_a_panely_v_obou_rezimech();
    void neplatne_cislo_chlivku_se_nespina();
    void spinani_stykace_az_k_radici();
    void stav_z_radice_nastavi_vsechny_chlivky();
    void napoveda();
    void zavreni_zavre_port_a_nezapisuje();
};

void test_main_window::prvni_start_zapise_vychozi_soubor() {
    prostredi p;
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

    mrizka_chlivku& m = p.okno->SSTab2();
    for (int z = 0; z < 5; ++z) {
        QVERIFY(m.isTabVisible(z));
        QCOMPARE(m.tabText(z), QStringLiteral("záložka %1").arg(z + 1));
    }
    QCOMPARE(m.currentIndex(), 4);
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i) {
        const int stykac = i < 128 ? i : 0;
        QCOMPARE(m.Text2(i)->text(), QString::number(stykac));
        QCOMPARE(m.Text1(i)->text(), QStringLiteral("stykač %1").arg(stykac));
        QCOMPARE(m.Check1(i)->accessibleName(),
                 QStringLiteral("stykač %1, stykač číslo %1").arg(stykac));
    }
}

void test_main_window::start_bez_zarizeni_skonci() {
    prostredi p(nullptr, false);
    // COM1 is linked to a device that is not there (an unplugged adapter).
    QVERIFY(QDir(p.slozka.path()).mkdir(QStringLiteral("dosdevices")));
    QVERIFY(QFile::link(QStringLiteral("/dev/tarvik-no-such-device"),
                        p.slozka.file(QStringLiteral("dosdevices/com1"))));
    QVERIFY(!p.okno->Form_Load());
    QCOMPARE(p.zpravy.texty(), (QStringList{zprava_chybi_konfigurace, chybi_port}));
    QVERIFY(!p.okno->isVisible());
}

void test_main_window::start_s_obsazenym_portem_skonci() {
    const QByteArray ini = vychozi_konfigurace();
    prostredi p(&ini);
    QSerialPort jiny_program(p.simulator->cesta_zarizeni());
    QVERIFY(jiny_program.open(QIODevice::ReadWrite));

    QVERIFY(!p.okno->Form_Load());
    QCOMPARE(p.zpravy.texty(),
             QStringList{QStringLiteral(
                 "Sériový port je již otevřen jiným programem. Zkontrolujte zda program není již "
                 "spuštěn na liště. Pokud nic nepomůže, zkuste restartovat počítač.")});
    QVERIFY(!p.okno->isVisible());
}

void test_main_window::okno_ma_pevnou_velikost() {
    const QByteArray ini = vychozi_konfigurace();
    prostredi p(&ini);
    QVERIFY(p.okno->Form_Load());
    p.okno->zobraz_uprostred();
    QVERIFY(QTest::qWaitForWindowExposed(p.okno.get()));

    QCOMPARE(p.okno->windowTitle(), QStringLiteral("Tarvik"));
    QVERIFY(!(p.okno->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(p.okno->windowFlags() & Qt::WindowMinimizeButtonHint);
    // Client area below the menu bar: 12555 x 9540 twips.
    QCOMPARE(p.okno->centralWidget()->width(), 837);
    QCOMPARE(p.okno->centralWidget()->height() + p.okno->statusBar()->height(), 636);
    QCOMPARE(p.okno->statusBar()->height(), 25);

    const QSize velikost = p.okno->size();
    p.okno->resize(velikost + QSize(100, 80));
    QCoreApplication::processEvents();
    QCOMPARE(p.okno->size(), velikost);
    p.okno->showMaximized();
    QCoreApplication::processEvents();
    QVERIFY(!(p.okno->windowState() & Qt::WindowMaximized));
}

void test_main_window::chlivky_lezi_na_svych_mistech_data() {
    QTest::addColumn<int>("chlivek");
    QTest::addColumn<int>("zalozka");
    QTest::addColumn<QPoint>("check");
    QTest::addColumn<QPoint>("nazev");
    QTest::addColumn<QPoint>("cislo");
    // Twips / 15: Check1 at 360 + 3000c, Text1 at 840 + 3000c, Text2 at 2760 + 3000c, rows at
    // 840 + 480r.
    QTest::newRow("first") << 0 << 0 << QPoint(24, 56) << QPoint(56, 56) << QPoint(184, 56);
    QTest::newRow("top of column 1")
        << 16 << 0 << QPoint(224, 56) << QPoint(256, 56) << QPoint(384, 56);
    QTest::newRow("101") << 101 << 1 << QPoint(424, 216) << QPoint(456, 216) << QPoint(584, 216);
    QTest::newRow("last") << 319 << 4 << QPoint(624, 536) << QPoint(656, 536) << QPoint(784, 536);
}

void test_main_window::chlivky_lezi_na_svych_mistech() {
    QFETCH(int, chlivek);
    QFETCH(int, zalozka);
    QFETCH(QPoint, check);
    QFETCH(QPoint, nazev);
    QFETCH(QPoint, cislo);
    const QByteArray ini = vychozi_konfigurace();
    prostredi p(&ini);
    QVERIFY(p.okno->Form_Load());
    p.okno->zobraz_uprostred();
    QVERIFY(QTest::qWaitForWindowExposed(p.okno.get()));

    mrizka_chlivku& m = p.okno->SSTab2();
    QCOMPARE(m.Check1(chlivek)->parentWidget(), m.widget(zalozka));
    m.setCurrentIndex(zalozka);
    QCoreApplication::processEvents();
    QCOMPARE(m.Check1(chlivek)->mapTo(&m, QPoint(0, 0)), check);
    QCOMPARE(m.Text1(chlivek)->mapTo(&m, QPoint(0, 0)), nazev);
    QCOMPARE(m.Text2(chlivek)->mapTo(&m, QPoint(0, 0)), cislo);
    QCOMPARE(m.Check1(chlivek)->size(), QSize(25, 25));
    QCOMPARE(m.Text1(chlivek)->size(), QSize(129, 19));
    QCOMPARE(m.Text2(chlivek)->size(), QSize(25, 19));
    // The tab control lies 240 twips below the menu bar.
    QCOMPARE(m.mapTo(p.okno->centralWidget(), QPoint(0, 0)), QPoint(0, 16));
}

void test_main_window::zalozky_podle_konfigurace_data() {
    QTest::addColumn<QByteArray>("zalozky");
    QTest::addColumn<QList<bool>>("viditelne");
    QTest::addColumn<QStringList>("popisky");
    QTest::addColumn<int>("vybrana");

    const QList<bool> vse{true, true, true, true, true};
    QTest::newRow("long caption is cut to 11")
        << QByteArray("[zalozky]\r\nnazev1=123456789012345\r\naktivni1=1\r\naktivni2=1\r\n"
                      "aktivni3=1\r\naktivni4=1\r\naktivni5=1\r\n")
        << vse
        << QStringList{QStringLiteral("12345678901"), QStringLiteral("---"), QStringLiteral("---"),
                       QStringLiteral("---"), QStringLiteral("---")}
        << 4;
    QTest::newRow("empty and missing aktivni hide, blanks and '1x' show")
        << QByteArray("[zalozky]\r\naktivni1= 1\r\naktivni2=\r\naktivni4=10\r\naktivni5=1\r\n"
                      "nazev2=skryta\r\nnazev5=\r\n")
        << QList<bool>{true, false, false, true, true}
        << QStringList{QStringLiteral("---"), QStringLiteral("Tab 1"), QStringLiteral("Tab 2"),
                       QStringLiteral("---"), QString()}
        << 4;
    QTest::newRow("last tab hidden selects the first shown")
        << QByteArray("[zalozky]\r\naktivni2=1\r\naktivni3=1\r\naktivni5=0\r\n")
        << QList<bool>{false, true, true, false, false}
        << QStringList{QStringLiteral("Tab 0"), QStringLiteral("---"), QStringLiteral("---"),
                       QStringLiteral("Tab 3"), QStringLiteral("Tab 4")}
        << 1;
    QTest::newRow("no tab active")
        << QByteArray("[zalozky]\r\naktivni1=0\r\n")
        << QList<bool>{false, false, false, false, false}
        << QStringList{QStringLiteral("Tab 0"), QStringLiteral("Tab 1"), QStringLiteral("Tab 2"),
                       QStringLiteral("Tab 3"), QStringLiteral("Tab 4")}
        << -1;
}

void test_main_window::zalozky_podle_konfigurace() {
    QFETCH(QByteArray, zalozky);
    QFETCH(QList<bool>, viditelne);
    QFETCH(QStringList, popisky);
    QFETCH(int, vybrana);
    prostredi p(&zalozky);
    QVERIFY(p.okno->Form_Load());
    QVERIFY(p.zpravy.zpravy.isEmpty());

    mrizka_chlivku& m = p.okno->SSTab2();
    for (int z = 0; z < 5; ++z) {
        QCOMPARE(m.isTabVisible(z), viditelne[z]);
        QCOMPARE(m.isTabEnabled(z), viditelne[z]);
        QCOMPARE(m.tabText(z), popisky[z]);
    }
    if (vybrana >= 0)
        QCOMPARE(m.currentIndex(), vybrana);
}

void test_main_window::viditelnost_podle_rezimu() {
    const QByteArray ini = vychozi_se_zmenami(
        {{"chlivek5=5\r\n", "chlivek5=---\r\n"}, {"chlivek6=6\r\n", "chlivek6=99\r\n"}});
    prostredi p(&ini);
    QVERIFY(p.okno->Form_Load());
    mrizka_chlivku& m = p.okno->SSTab2();

    QCOMPARE(m.Text2(5)->text(), QStringLiteral("---"));
    QCOMPARE(m.Text1(5)->text(), QStringLiteral("---"));
    QCOMPARE(m.Text1(6)->text(), QStringLiteral("stykač 99"));

    auto over_uzivatele = [&] {
        for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i) {
            const bool prazdny = i == 5;
            QCOMPARE(skryty(m.Check1(i)), prazdny);
            QCOMPARE(skryty(m.Text1(i)), prazdny);
            QVERIFY(skryty(m.Text2(i)));
        }
    };
    over_uzivatele();

    p.okno->prihlaseni_prijato();
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i) {
        QVERIFY(!skryty(m.Check1(i)));
        QVERIFY(!skryty(m.Text1(i)));
        QVERIFY(!skryty(m.Text2(i)));
    }

    // An assignment made in administrator mode shows at the next return to user mode.
    m.nastav_chlivek(7, QStringLiteral("---"), QStringLiteral("---"));
    p.okno->menu_uzivatelsky_Click();
    QVERIFY(skryty(m.Check1(7)));
    QVERIFY(skryty(m.Text1(7)));
    QVERIFY(skryty(m.Check1(5)));
    QVERIFY(!skryty(m.Check1(6)));
}

void test_main_window::menu_a_panely_v_obou_rezimech() {
    const QByteArray ini = vychozi_konfigurace();
    prostredi p(&ini);
    QVERIFY(p.okno->Form_Load());
    frm_main& o = *p.okno;

    struct stav {
        bool uzivatelsky, administratorsky, nacti_status, konfigurace;
    };
    auto over = [&](stav s) {
        QCOMPARE(o.polozka("menu_uzivatelsky")->isEnabled(), s.uzivatelsky);
        QCOMPARE(o.polozka("menu_administratorsky")->isEnabled(), s.administratorsky);
        QCOMPARE(o.polozka("menu_nacti_status")->isEnabled(), s.nacti_status);
        for (const char* jmeno :
             {"menu_zalozky", "menu_stykace", "menu_rs232", "menu_heslo", "menu_save", "menu_load"})
            QCOMPARE(o.polozka(jmeno)->isEnabled(), s.konfigurace);
        QVERIFY(o.polozka("menu_tisk_stykace")->isEnabled());
        QVERIFY(o.polozka("menu_help")->isEnabled());
    };
    const QStringList popisky{QStringLiteral("&Režim"), QStringLiteral("&Konfigurace"),
                              QStringLiteral("&Tisk"), QStringLiteral("&Help")};
    QStringList na_liste;
    for (QAction* a : o.menuBar()->actions())
        na_liste << a->text();
    QCOMPARE(na_liste, popisky);
    QCOMPARE(o.polozka("menu_rs232")->text(), QStringLiteral("Čí&slo COMu"));
    QCOMPARE(o.polozka("menu_nacti_status")->text(), QStringLiteral("A&ktualizuj stav vypínačů"));

    // Right after start-up: the first query is out.
    over({false, true, false, false});
    QCOMPARE(o.panel(1), QStringLiteral("uživatelský mód"));
    QCOMPARE(o.panel(2), QStringLiteral("COM1"));
    QCOMPARE(o.panel(3), QStringLiteral("XS"));
    QCOMPARE(o.panel(4), QStringLiteral("tlačítka zakázána"));
    QCOMPARE(o.panel(5), QStringLiteral("ver.: 1.6 - 29.1.2006"));
    QVERIFY(o.spojeni().status_timer().isActive());

    QVERIFY(p.klid());
    over({false, true, true, false});
    QCOMPARE(o.panel(3), QString());

    o.prihlaseni_prijato();
    over({true, false, false, true});
    QCOMPARE(o.panel(1), QStringLiteral("administrátorský mód"));
    QCOMPARE(o.panel(4), QStringLiteral("tlačítka zakázána"));
    QVERIFY(!o.spojeni().status_timer().isActive());
    QVERIFY(!o.spojeni().watchdog_timer().isActive());

    p.simulator->vymaz_zaznam();
    o.menu_uzivatelsky_Click();
    over({false, true, false, false});
    QCOMPARE(o.panel(1), QStringLiteral("uživatelský mód"));
    QCOMPARE(o.panel(3), QStringLiteral("XS"));
    QVERIFY(o.spojeni().status_timer().isActive());
    QTRY_COMPARE(p.simulator->prijato(), QByteArray("XA\r\n"));
    QVERIFY(p.klid());
    QCOMPARE(o.panel(3), QString());
    QVERIFY(p.zpravy.zpravy.isEmpty());
}

void test_main_window::neplatne_cislo_chlivku_se_nespina() {
    const QByteArray ini = vychozi_se_zmenami({{"chlivek7=7\r\n", "chlivek7=abc\r\n"},
                                               {"chlivek8=8\r\n", "chlivek8=200\r\n"},
                                               {"chlivek9=9\r\n", "chlivek9=---\r\n"},
                                               {"chlivek10=10\r\n", "chlivek10=-1\r\n"}});
    prostredi p(&ini, true, QByteArray(128, '1'));
    QVERIFY(p.okno->Form_Load());
    QVERIFY(p.klid());
    mrizka_chlivku& m = p.okno->SSTab2();

    // Unlocked, every switch with a contactor is usable; the others never are.
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i)
        QCOMPARE(m.Check1(i)->isEnabled(), i < 7 || i > 10);
    for (int i : {7, 8, 10}) {
        QVERIFY(!m.Check1(i)->isHidden());
        QVERIFY(!m.Check1(i)->isChecked());
    }
    QCOMPARE(m.Text2(7)->text(), QStringLiteral("abc"));
    QCOMPARE(m.Text2(8)->text(), QStringLiteral("200"));
    QVERIFY(m.Check1(6)->isChecked());

    p.simulator->vymaz_zaznam();
    m.Check1(8)->setChecked(true);
    p.okno->Check1_Click(8);
    QTest::qWait(50);
    QCOMPARE(p.simulator->prijato(), QByteArray());
}

void test_main_window::spinani_stykace_az_k_radici() {
    const QByteArray ini = vychozi_se_zmenami({{"chlivek200=0\r\n", "chlivek200=5\r\n"}});
    prostredi p(&ini);
    QVERIFY(p.okno->Form_Load());
    p.okno->zobraz_uprostred();
    QVERIFY(QTest::qWaitForWindowExposed(p.okno.get()));
    QVERIFY(p.klid());
    mrizka_chlivku& m = p.okno->SSTab2();
    m.setCurrentIndex(0);
    p.simulator->vymaz_zaznam();

    QByteArrayList pakety;
    QStringList panel3, panel4;
    connect(p.simulator.get(), &sim::simulator::paket_prijat, p.okno.get(),
            [&](const QByteArray& paket) {
                pakety << paket;
                panel3 << p.okno->panel(3);
                panel4 << p.okno->panel(4);
            });

    QTest::mouseClick(m.Check1(5), Qt::LeftButton);
    QVERIFY(m.Check1(5)->isChecked());
    QCOMPARE(m.Check1(5)->palette().color(QPalette::Window), QColor(0, 255, 0));
    QCOMPARE(p.okno->panel(3), QStringLiteral("XR005=1"));
    QCOMPARE(p.okno->panel(4), QStringLiteral("tlačítka zakázána"));
    QVERIFY(p.okno->spojeni().watchdog_timer().isActive());

    QVERIFY(p.klid());
    QCOMPARE(p.simulator->prijato(), QByteArray("XW005=1\r\nXA\r\n"));
    QCOMPARE(pakety, (QByteArrayList{"XW005=1\r\n", "XA\r\n"}));
    QCOMPARE(panel4, (QStringList{QStringLiteral("tlačítka zakázána"),
                                  QStringLiteral("tlačítka zakázána")}));
    QVERIFY(p.simulator->stavy()[5]);
    QVERIFY(m.Check1(5)->isChecked());
    QVERIFY(m.Check1(200)->isChecked());
    QCOMPARE(m.Check1(200)->palette().color(QPalette::Window), QColor(0, 255, 0));
    QCOMPARE(p.okno->panel(3), QString());
    QVERIFY(!p.okno->spojeni().watchdog_timer().isActive());
    QVERIFY(p.zpravy.zpravy.isEmpty());

    // And off again, from the keyboard.
    p.simulator->vymaz_zaznam();
    m.Check1(5)->setFocus();
    QTest::keyClick(m.Check1(5), Qt::Key_Space);
    QVERIFY(p.klid());
    QCOMPARE(p.simulator->prijato(), QByteArray("XW005=0\r\nXA\r\n"));
    QVERIFY(!m.Check1(200)->isChecked());
    QCOMPARE(m.Check1(200)->palette().color(QPalette::Window), QColor(255, 0, 0));
}

void test_main_window::stav_z_radice_nastavi_vsechny_chlivky() {
    QByteArray stavy(128, '0');
    stavy[0] = '1';
    stavy[42] = '1';
    stavy[127] = '1';
    const QByteArray ini = vychozi_konfigurace();
    prostredi p(&ini, true, stavy);
    QVERIFY(p.okno->Form_Load());
    QVERIFY(p.klid());
    mrizka_chlivku& m = p.okno->SSTab2();
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i) {
        const int stykac = i < 128 ? i : 0;
        const bool zapnuto = stavy[stykac] == '1';
        QCOMPARE(m.Check1(i)->isChecked(), zapnuto);
        QCOMPARE(m.Check1(i)->palette().color(QPalette::Window),
                 zapnuto ? QColor(0, 255, 0) : QColor(255, 0, 0));
    }

    // A change behind the program's back shows at the next query, and nothing is sent back.
    p.simulator->nastav_stav(42, false);
    p.simulator->vymaz_zaznam();
    p.okno->menu_nacti_status_Click();
    QVERIFY(p.klid());
    QCOMPARE(p.simulator->prijato(), QByteArray("XA\r\n"));
    QVERIFY(!m.Check1(42)->isChecked());
    QVERIFY(m.Check1(200)->isChecked());
}

void test_main_window::napoveda() {
    const QByteArray ini = vychozi_konfigurace();
    prostredi p(&ini);
    QVERIFY(p.okno->Form_Load());

    p.okno->menu_help_Click();
    QCOMPARE(p.zpravy.texty(), QStringList{QStringLiteral("Chyba při otevírání help souboru.")});

    p.zpravy.vymaz();
    QFile napoveda(QStringLiteral(TARVIK_HELP_FILE));
    QVERIFY(napoveda.open(QIODevice::ReadOnly));
    p.slozka.write(QStringLiteral("tarvik.hlp"), napoveda.readAll());
    p.okno->menu_help_Click();
    QVERIFY(p.zpravy.zpravy.isEmpty());
    QVERIFY(okno_napovedy() && okno_napovedy()->isVisible());
    okno_napovedy()->close();
}

void test_main_window::zavreni_zavre_port_a_nezapisuje() {
    const QByteArray ini = vychozi_konfigurace();
    prostredi p(&ini);
    QVERIFY(p.okno->Form_Load());
    QVERIFY(p.klid());
    p.okno->zobraz_uprostred();
    QVERIFY(p.okno->spojeni().port_otevren());
    p.okno->close();
    QVERIFY(!p.okno->spojeni().port_otevren());
    QCOMPARE(p.slozka.read(QStringLiteral("tarvik.ini")), ini);
    // Another program can now open the port.
    QSerialPort jiny(p.simulator->cesta_zarizeni());
    QVERIFY(jiny.open(QIODevice::ReadWrite));
}

QTEST_MAIN(test_main_window)
#include "test_main_window.moc"
