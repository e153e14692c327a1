// The main window: start-up, the cell grid, the modes, the menus, the status bar, switching from a
// cell through a real serial line to the controller simulator, and the administrator's work through
// the menus: login, assigning a contactor from a cell, moving the link to another port, backup and
// restore.

#include "app/backup_dialogue.h"
#include "app/cell_grid.h"
#include "app/main_window.h"
#include "config/codepage.h"
#include "config/config_file.h"
#include "dialogs/frm_cis_stykace.h"
#include "link/link.h"
#include "platform/help_viewer.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"
#include "tarvik-sim/simulator.h"

#include <QtSerialPort>
#include <QtTest>
#include <QtWidgets>
#include <numeric>
#include <sys/stat.h>

using namespace tarvik;
using tarvik::test::radek;
using namespace Qt::StringLiterals;

namespace {

// The colour a switch is painted in, beside its check mark and inside its focus frame.
QColor barva(QWidget* w) {
    return w->grab().toImage().pixelColor(19, 5);
}

// The columns holding dark pixels (the text's ink) inside `kde` of the widget's picture.
std::pair<int, int> inkoust(QWidget* w, const QRect& kde) {
    const QImage obraz = w->grab().toImage();
    int vlevo = INT_MAX, vpravo = -1;
    for (int x = kde.left(); x <= kde.right(); ++x)
        for (int y = kde.top(); y <= kde.bottom(); ++y)
            if (qGray(obraz.pixel(x, y)) < 128) {
                vlevo = std::min(vlevo, x);
                vpravo = std::max(vpravo, x);
            }
    return {vlevo, vpravo};
}

// A switch as it is, without bringing its tab up to date first.
QCheckBox* vypinac_jak_je(mrizka_chlivku& m, int i) {
    return m.findChild<QCheckBox*>(u"Check1_%1"_s.arg(i));
}

// The cells whose switch (with its name) and number are hidden.
QList<QList<int>> skryte(mrizka_chlivku& m) {
    QList<QList<int>> c(2);
    for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i) {
        const QList<QWidget*> ovladace{m.Check1(i), m.Text2(i)};
        for (int k = 0; k < 2; ++k)
            if (ovladace[k]->isHidden())
                c[k] << i;
    }
    return c;
}

// Runs `akce` on the modal dialog that the next call opens, as the administrator would.
void v_dialogu(std::function<void(QWidget*)> akce) {
    QTimer::singleShot(0, [akce] { akce(QApplication::activeModalWidget()); });
}

// The menu items enabled.
QStringList povolene(const frm_main& o) {
    QStringList p;
    for (QAction* a : o.findChildren<QAction*>(QRegularExpression(u"^menu_"_s)))
        if (a->isEnabled())
            p << a->objectName();
    p.sort();
    return p;
}

// A program folder with a configuration file (none when `ini` is null), the controller simulator
// on COM1 with the contactors' states `stavy`, and the main window; nothing started.
struct prostredi {
    test::docasna_slozka slozka;
    test::zapisnik_zprav zpravy;
    std::unique_ptr<sim::simulator> com1;
    std::unique_ptr<frm_main> okno = std::make_unique<frm_main>();

    explicit prostredi(const QByteArray& ini = vychozi_konfigurace(), const QByteArray& stavy = {})
        : com1(std::make_unique<sim::simulator>(sim::nastaveni{slozka.path(), 1, stavy})) {
        if (!ini.isNull())
            slozka.write("tarvik.ini", ini);
    }
    // Start-up with the window shown and the first status reply applied; the line's record
    // cleared.
    bool spust() {
        if (!com1->spust() || !okno->Form_Load())
            return false;
        okno->zobraz_uprostred();
        return QTest::qWaitForWindowExposed(okno.get()) && !na_lince().isEmpty();
    }
    // Until the last status reply has been applied.
    bool klid() {
        return QTest::qWaitFor([&] { return okno->panel(4) == u"tlačítka povolena"_s; }, 5000);
    }
    // What reached the controller since the last look, once the last status reply is applied.
    QByteArray na_lince() {
        const QByteArray prijato = klid() ? com1->prijato() : "(no calm)";
        com1->vymaz_zaznam();
        return prijato;
    }
    // Logs in through the login dialog, as the administrator would.
    void prihlas(const QString& heslo) {
        v_dialogu([heslo](QWidget* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtPassword"), heslo);
            d->findChild<QAbstractButton*>("cmdOK")->click();
        });
        okno->menu_administratorsky_Click();
    }
    mrizka_chlivku& m() { return okno->SSTab2(); }
    QStringList panely() const {
        return {okno->panel(1), okno->panel(2), okno->panel(3), okno->panel(4), okno->panel(5)};
    }
};

} // namespace

class tst_main_window : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void start_data() {
        // The file, the port (0 the simulator, 1 no device, 2 held by another program), the
        // message.
        test::sloupce<QByteArray, int, QString>();
        const QString poskozeny = zprava_poskozena_konfigurace;
        radek("first start", QByteArray(), 0, zprava_chybi_konfigurace);
        radek("empty", QByteArray(""), 0, poskozeny);
        radek("junk", QByteArray("\x00\xFF[\x01junk=\r\n", 11), 0, poskozeny);
        radek("CR line ends", vychozi_konfigurace().replace("\r\n", "\r"), 0, poskozeny);
        radek("too big", QByteArray(nejvetsi_konfigurace + 1, ';'), 0, poskozeny);
        // "->": the file lies in a folder of the operators' group, where an operator made it a
        // link to someone's file, which holds the rest.
        radek("link in the operators' folder", "->[system]\r\ncom=1\r\necho cizi\r\n"_ba, 0,
              poskozeny);
        radek("no device", vychozi_konfigurace(), 1, zprava_chyba_portu);
        radek("port held", vychozi_konfigurace(), 2, zprava_port_obsazen);
    }

    // A missing file is reported, then written; a damaged one is reported and kept for the
    // administrator to restore; without its port or its file the window never shows, nor a tab.
    void start() {
        const auto [ini, port, text] = test::hodnoty<QByteArray, int, QString>();
        const bool odkaz = ini.startsWith("->");
        const QByteArray obsah = odkaz ? ini.mid(2) : ini;
        prostredi p(odkaz ? QByteArray() : ini);
        if (odkaz) {
            const QString sdilena = p.slozka.file("sdilena");
            p.slozka.write("cizi", obsah);
            QVERIFY(QDir().mkpath(sdilena) && ::chmod(QFile::encodeName(sdilena), 02775) == 0);
            QVERIFY(QFile::link(p.slozka.file("cizi"), sdilena + "/tarvik.ini") &&
                    QFile::link(sdilena + "/tarvik.ini", p.slozka.ini()));
        }
        QVERIFY(p.com1->spust());
        QSerialPort jiny_program(p.com1->cesta_zarizeni());
        const QString com1 = p.slozka.file("dosdevices/com1");
        QVERIFY(port != 1 ||
                (QFile::remove(com1) && QFile::link(u"/dev/tarvik-no-such-device"_s, com1)));
        QVERIFY(port != 2 || jiny_program.open(QIODevice::ReadWrite));
        bool soubor_pri_zprave = false;
        p.zpravy.behem_zpravy = [&](const zprava&) {
            soubor_pri_zprave = QFile::exists(p.slozka.ini());
        };

        QCOMPARE(p.okno->Form_Load(), port == 0);
        QCOMPARE(p.zpravy.texty(), QStringList{text});
        int ukazane = 0;
        for (int z = 0; z < 5; ++z)
            ukazane += p.m().isTabVisible(z);
        QCOMPARE(std::tuple(p.zpravy.zpravy[0].titulek, p.zpravy.zpravy[0].ikona, soubor_pri_zprave,
                            p.slozka.read("tarvik.ini"), p.okno->isVisible(), ukazane == 0),
                 std::tuple(u"Tarvik - chyba"_s, ikona_zpravy::kriticka, !ini.isNull(),
                            ini.isNull() ? vychozi_konfigurace() : obsah, false, !ini.isNull()));
    }

    void zalozky_podle_konfigurace_data() {
        // The section, the captions of the tabs ("-" for one hidden), the tab selected.
        test::sloupce<QByteArray, QStringList, int>();
        radek("blanks, '10', empty and missing values; long and empty captions",
              QByteArray("[zalozky]\r\naktivni1= 1\r\naktivni2=\r\naktivni4=10\r\naktivni5=1\r\n"
                         "nazev1=123456789012345\r\nnazev2=skryta\r\nnazev5=\r\n"),
              QStringList{u"12345678901"_s, "-", "-", u"---"_s, QString()}, 4);
        radek("last tab hidden selects the first shown",
              QByteArray("[zalozky]\r\naktivni2=1\r\naktivni3=1\r\naktivni5=0\r\n"),
              QStringList{"-", u"---"_s, u"---"_s, "-", "-"}, 1);
        radek("no tab active", QByteArray("[zalozky]\r\n"), QStringList(5, u"-"_s), 4);
    }

    void zalozky_podle_konfigurace() {
        const auto [zalozky, popisky, vybrana] = test::hodnoty<QByteArray, QStringList, int>();
        prostredi p("[system]\r\ncom=1\r\n" + zalozky);
        QVERIFY(p.spust());
        QStringList je;
        for (int z = 0; z < 5; ++z) {
            QCOMPARE(p.m().isTabEnabled(z), p.m().isTabVisible(z));
            je << (p.m().isTabVisible(z) ? p.m().tabText(z) : u"-"_s);
        }
        QCOMPARE(je, popisky);
        QCOMPARE(p.m().currentIndex(), vybrana);
        QVERIFY(p.zpravy.zpravy.isEmpty());
        // A tab enabled in the tab dialog when none was: its cells lie below the row of tabs.
        p.slozka.write(u"tarvik.ini"_s, "[zalozky]\r\naktivni1=1\r\n");
        p.okno->inicializuj_zalozky();
        p.m().setCurrentIndex(0);
        QTRY_COMPARE(p.m().Check1(0)->mapTo(&p.m(), QPoint(0, 0)), QPoint(24, 56));
    }

    void viditelnost_podle_rezimu() {
        const QString dlouhy = u"ČERPADLO MÍCHAČKY Č2"_s;
        prostredi p(vychozi_konfigurace()
                        .replace("\nchlivek5=5\r", "\nchlivek5=---\r")
                        .replace("\nchlivek6=6\r", "\nchlivek6=99\r")
                        .replace("\nchlivek7=7\r", "\nchlivek7=abc\r")
                        .replace("\nchlivek8=8\r", "\nchlivek8=200\r")
                        .replace("\nchlivek10=10\r", "\nchlivek10=-1\r")
                        .replace(na_cp1250(u"\nstykac9=stykač 9\r"),
                                 na_cp1250(u"\nstykac9=%1\r"_s.arg(dlouhy))),
                    QByteArray(128, '1'));
        QVERIFY(p.spust());
        mrizka_chlivku& m = p.m();
        m.setCurrentIndex(0);
        QCOMPARE(QStringList({m.Check1(5)->nazev(), m.Check1(6)->nazev(), m.Text2(8)->text()}),
                 QStringList({u"---"_s, u"stykač 99"_s, u"200"_s}));
        // Unlocked, every switch with a contactor is usable and on; a number that names none never
        // is.
        QList<int> nepouzitelne;
        for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i)
            if (!m.Check1(i)->isEnabled() || !m.Check1(i)->isChecked())
                nepouzitelne << i;
        QCOMPARE(nepouzitelne, (QList<int>{5, 7, 8, 10}));
        m.Check1(8)->setChecked(true);
        p.okno->Check1_Click(8);
        // A name that fills its box is shown from its first character, and whole in its tooltip.
        vypinac* s9 = m.Check1(9);
        QCOMPARE(QStringList({s9->nazev(), s9->toolTip(), s9->accessibleDescription()}),
                 QStringList(3, dlouhy));
        const QRect zacatek(33, 2, 25, 21); // the first letters
        const QImage cely = s9->grab().toImage().copy(zacatek);
        s9->nastav_nazev(dlouhy.left(6));
        QCOMPARE(s9->grab().toImage().copy(zacatek), cely);

        // User mode: an empty cell shows nothing, an assigned one its switch and name, no number.
        QList<int> vse(mrizka_chlivku::pocet_chlivku);
        std::iota(vse.begin(), vse.end(), 0);
        QCOMPARE(skryte(m), (QList<QList<int>>{{5}, vse}));
        p.okno->prihlaseni_prijato();
        QCOMPARE(skryte(m), QList<QList<int>>(2));

        // An assignment made in administrator mode shows at the next return to user mode.
        m.nastav_chlivek(11, u"---"_s, u"---"_s);
        p.okno->menu_uzivatelsky_Click();
        QCOMPARE(skryte(m), (QList<QList<int>>{{5, 11}, vse}));
        QCOMPARE(p.na_lince(), QByteArray("XA\r\n"));
    }

    // The window and its cells, switching a contactor from a cell through the controller and
    // back, the help, and closing.
    void okno_spinani_napoveda_a_zavreni() {
        QByteArray stavy(128, '0');
        stavy[42] = '1';
        const QByteArray ini =
            vychozi_konfigurace().replace("\nchlivek200=0\r", "\nchlivek200=5\r");
        prostredi p(ini, stavy);
        QVERIFY(p.spust());
        mrizka_chlivku& m = p.m();
        QVERIFY(m.zalozka_vytvorena(4)); // the tab shown has its cells as soon as the window is up
        QCOMPARE(barva(m.Check1(42)), QColor(Qt::green));
        QCOMPARE(barva(m.Check1(41)), QColor(Qt::red));
        m.setCurrentIndex(0);
        QStringList zamek; // panel 4 as each packet reaches the controller
        connect(p.com1.get(), &sim::simulator::paket_prijat, p.okno.get(),
                [&] { zamek << p.okno->panel(4); });

        QTest::mouseClick(m.Check1(5), Qt::LeftButton, {}, QPoint(12, 12));
        QCOMPARE(barva(m.Check1(5)), QColor(Qt::green));
        QCOMPARE(p.panely().mid(2, 2), (QStringList{u"XR005=1"_s, u"tlačítka zakázána"_s}));
        QVERIFY(p.okno->spojeni().watchdog_timer().isActive());
        QCOMPARE(p.na_lince(), QByteArray("XW005=1\r\nXA\r\n"));
        QCOMPARE(zamek, QStringList(2, u"tlačítka zakázána"_s));
        // Every cell with contactor 5 follows the controller.
        QCOMPARE(barva(m.Check1(200)), QColor(Qt::green));
        QVERIFY(p.com1->stavy()[5] && !p.okno->spojeni().watchdog_timer().isActive());
        // The name beside the switch takes no click.
        QTest::mouseClick(m.Check1(5), Qt::LeftButton);
        QVERIFY(m.Check1(5)->isChecked() && m.Check1(5)->isEnabled());

        // And off again, from the keyboard: the switch keeps the focus through the cycle.
        p.okno->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.okno.get()));
        m.Check1(5)->setFocus();
        QTest::keyClick(m.Check1(5), Qt::Key_Space);
        QCOMPARE(p.na_lince(), QByteArray("XW005=0\r\nXA\r\n"));
        QCOMPARE(barva(m.Check1(200)), QColor(Qt::red));
        QCOMPARE(QApplication::focusWidget(), m.Check1(5));

        // A screen reader's or voice control's Toggle action switches as a click does; while locked
        // the switches refuse every change, whatever its way in.
        QAccessibleInterface* rozhrani = QAccessible::queryAccessibleInterface(m.Check1(7));
        rozhrani->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(p.okno->panel(3), u"XR007=1"_s);
        m.Check1(8)->setChecked(true);
        QVERIFY(!m.Check1(8)->isChecked() && !m.Check1(8)->isEnabled());
        QCOMPARE(p.na_lince(), QByteArray("XW007=1\r\nXA\r\n"));

        // Tabs not shown catch up when shown, made before (0) or not (1): locked during a command,
        // then with the states of a status reply that came while they were hidden, and nothing
        // sent.
        QTest::qWait(10); // the unlock has reached the switches of tab 0
        m.setCurrentIndex(4);
        QVERIFY(!m.zalozka_vytvorena(1));
        p.com1->nastav_stav(70, true);
        p.com1->nastav_stav(8, true);
        p.okno->menu_nacti_status_Click();
        for (int z : {0, 1}) {
            m.setCurrentIndex(z);
            QVERIFY(!vypinac_jak_je(m, 64 * z)->isEnabled() &&
                    !vypinac_jak_je(m, 64 * z + 6)->isEnabled());
        }
        m.setCurrentIndex(4);
        QCOMPARE(p.na_lince(), QByteArray("XA\r\n"));
        for (int i : {8, 70}) {
            m.setCurrentIndex(i / 64);
            QVERIFY(vypinac_jak_je(m, i)->isChecked() && vypinac_jak_je(m, i)->isEnabled());
            QCOMPARE(barva(vypinac_jak_je(m, i)), QColor(Qt::green));
        }
        QTest::qWait(50);
        QCOMPARE(p.com1->prijato(), QByteArray());

        // The window keeps its one size, maximised or not.
        QCOMPARE(p.okno->windowTitle(), u"Tarvik"_s);
        QVERIFY(!(p.okno->windowFlags() & Qt::WindowMaximizeButtonHint));
        // Client area below the menu bar: 12555 x 9540 twips; the tabs 240 twips down.
        QCOMPARE(p.okno->centralWidget()->width(), 837);
        QCOMPARE(p.okno->centralWidget()->height() + p.okno->statusBar()->height(), 636);
        QCOMPARE(m.mapTo(p.okno->centralWidget(), QPoint(0, 0)), QPoint(0, 16));
        const QSize velikost = p.okno->size();
        p.okno->resize(velikost + QSize(100, 80));
        p.okno->showMaximized();
        QCoreApplication::processEvents();
        QCOMPARE(p.okno->size(), velikost);
        QVERIFY(!(p.okno->windowState() & Qt::WindowMaximized));

        // Cell i: tab i / 64, column (i % 64) / 16, row i % 16; Check1 at 360 + 3000c with Text1
        // ending at 2775 + 3000c, Text2 at 2760 + 3000c, rows at 840 + 480r twips from the tab
        // control.
        const QList<std::pair<int, QPoint>> mista{
            {0, {24, 56}}, {16, {224, 56}}, {101, {424, 216}}, {319, {624, 536}}};
        for (const auto& [i, check] : mista) {
            m.setCurrentIndex(i / 64);
            QCOMPARE(m.Check1(i)->parentWidget(), m.widget(i / 64));
            QCOMPARE(QRect(m.Check1(i)->mapTo(&m, QPoint()), m.Check1(i)->size()),
                     QRect(check, QSize(161, 25)));
            QCOMPARE(QRect(m.Text2(i)->mapTo(&m, QPoint()), m.Text2(i)->size()),
                     QRect(check + QPoint(160, 0), QSize(25, 19)));
        }
        // The default file: cell i holds contactor i (cells from 128 on contactor 0); here cell
        // 200 holds contactor 5.
        for (int i = 0; i < mrizka_chlivku::pocet_chlivku; ++i) {
            const int s = i == 200 ? 5 : i < 128 ? i : 0;
            QCOMPARE(QStringList(
                         {m.Text2(i)->text(), m.Check1(i)->nazev(), m.Check1(i)->accessibleName()}),
                     QStringList({QString::number(s), u"stykač %1"_s.arg(s),
                                  u"stykač %1, stykač číslo %1"_s.arg(s)}));
        }

        // Help reports its file missing (the first message of the run), then shows it.
        p.okno->menu_help_Click();
        QCOMPARE(p.zpravy.texty(), QStringList{u"Chyba při otevírání help souboru."_s});
        QVERIFY(QFile::copy(QStringLiteral(TARVIK_HELP_FILE), p.slozka.file("tarvik.hlp")));
        p.okno->menu_help_Click();
        QCOMPARE(p.zpravy.zpravy.size(), 1);
        QVERIFY(okno_napovedy() && okno_napovedy()->isVisible());
        // Over the middle of the main window; Zpět goes back from a link followed; Esc closes it.
        QVERIFY((okno_napovedy()->frameGeometry().center() - p.okno->frameGeometry().center())
                    .manhattanLength() < 10);
        auto* text = okno_napovedy()->findChild<QTextBrowser*>();
        auto* zpet = okno_napovedy()->findChild<QPushButton*>(u"zpet"_s);
        QVERIFY(text->toPlainText().contains(u"Tisk tabulky stykačů"_s));
        text->setSource(QUrl(u"#tisk"_s));
        QVERIFY(zpet->isEnabled());
        zpet->click();
        QVERIFY(!zpet->isEnabled());
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!okno_napovedy() || !okno_napovedy()->isVisible());
        p.okno->menu_help_Click();

        // Closing closes the port (another program can open it) and the help, and writes nothing.
        p.okno->close();
        QVERIFY(!okno_napovedy() || !okno_napovedy()->isVisible());
        QCOMPARE(p.slozka.read("tarvik.ini"), ini);
        QSerialPort jiny(p.com1->cesta_zarizeni());
        QVERIFY(jiny.open(QIODevice::ReadWrite));
    }

    // The menus and panels of both modes; a wrong password changes nothing, a right one stops the
    // link's polling.
    void prihlaseni_zastavi_linku() {
        prostredi p;
        frm_main& o = *p.okno;
        QVERIFY(p.com1->spust() && o.Form_Load());
        QStringList na_liste;
        for (QAction* a : o.menuBar()->actions())
            na_liste << a->text();
        QCOMPARE(na_liste, (QStringList{u"&Režim"_s, u"&Konfigurace"_s, u"&Tisk"_s, u"&Help"_s}));
        const QString verze = u"ver.: 1.6 - 29.1.2006"_s;
        const QStringList uzivatel{"menu_administratorsky", "menu_help", "menu_tisk_stykace"};
        const QStringList nezamceny{"menu_administratorsky", "menu_help", "menu_nacti_status",
                                    "menu_tisk_stykace"};
        // Right after start-up the first query is out and the switches are locked.
        QCOMPARE(povolene(o), uzivatel);
        QCOMPARE(p.panely(), (QStringList{u"uživatelský mód"_s, u"COM1"_s, u"XS"_s,
                                          u"tlačítka zakázána"_s, verze}));
        QCOMPARE(p.na_lince(), QByteArray("XA\r\n"));
        QCOMPARE(povolene(o), nezamceny);
        QCOMPARE(o.panel(3), QString());

        p.prihlas(u"spatne"_s);
        QCOMPARE(p.zpravy.texty(), QStringList{u"Špatné heslo."_s});
        QCOMPARE(povolene(o), nezamceny);
        QVERIFY(o.spojeni().status_timer().isActive());

        p.prihlas(u"kovar"_s);
        QCOMPARE(povolene(o), (QStringList{"menu_help", "menu_heslo", "menu_load", "menu_rs232",
                                           "menu_save", "menu_stykace", "menu_tisk_stykace",
                                           "menu_uzivatelsky", "menu_zalozky"}));
        QCOMPARE(p.panely(), (QStringList{u"administrátorský mód"_s, u"COM1"_s, QString(),
                                          u"tlačítka zakázána"_s, verze}));
        QVERIFY(!o.spojeni().status_timer().isActive() && !o.spojeni().watchdog_timer().isActive());
        QTest::qWait(100);
        QCOMPARE(p.com1->prijato(), QByteArray());

        // Back in user mode, polling again; a status reply still on its way at the next login is
        // applied, and leaves polling off.
        o.menu_uzivatelsky_Click();
        QCOMPARE(povolene(o), uzivatel);
        QCOMPARE(p.panely().mid(0, 3), (QStringList{u"uživatelský mód"_s, u"COM1"_s, u"XS"_s}));
        QVERIFY(o.spojeni().status_timer().isActive());
        QCOMPARE(p.na_lince(), QByteArray("XA\r\n"));
        p.com1->nastav_rezim(sim::porucha::mlci);
        o.menu_nacti_status_Click();
        p.prihlas(u"kovar"_s);
        QVERIFY(!o.spojeni().watchdog_timer().isActive());
        Q_EMIT o.spojeni().com_port().prijata_data("XS0001" + QByteArray(124, '0') + "\r\n");
        QVERIFY(!o.spojeni().nacitani_statusu() && !o.spojeni().status_timer().isActive());
        QVERIFY(p.m().Check1(3)->isChecked());
        QCOMPARE(p.zpravy.texty(), QStringList{u"Špatné heslo."_s});
    }

    // Every contactor number and "---" shows whole in its box, clear of the frame; a screen reader
    // hears which cell and tab a number box belongs to, and each panel as what it shows.
    void cisla_a_ctecka() {
        prostredi p;
        QVERIFY(p.spust());
        p.okno->prihlaseni_prijato();
        mrizka_chlivku& m = p.m();
        m.setCurrentIndex(0);
        QLineEdit* box = m.Text2(0);
        QStringList useknute;
        for (int n = -1; n < 128; ++n) {
            const QString cislo = n < 0 ? u"---"_s : QString::number(n);
            m.nastav_chlivek(0, cislo, u"stykač"_s);
            const auto [vlevo, vpravo] = inkoust(box, box->rect().adjusted(1, 1, -1, -1));
            // The same text drawn freely in the box's font.
            QImage volne(100, 40, QImage::Format_RGB32);
            volne.fill(Qt::white);
            QPainter malir(&volne);
            malir.setFont(box->font());
            malir.setPen(Qt::black);
            malir.drawText(10, 30, cislo);
            malir.end();
            QLabel obraz;
            obraz.setPixmap(QPixmap::fromImage(volne));
            obraz.resize(volne.size());
            const auto [vlevo_volne, vpravo_volne] = inkoust(&obraz, volne.rect());
            if (vlevo < 2 || vpravo > box->width() - 3 ||
                std::abs((vpravo - vlevo) - (vpravo_volne - vlevo_volne)) > 1)
                useknute << cislo;
        }
        QCOMPARE(useknute, QStringList());

        const auto jmeno = [](QObject* o) {
            return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
        };
        QCOMPARE(QStringList({jmeno(m.Text2(17)), jmeno(m.Text2(319))}),
                 QStringList({u"číslo stykače políčka 17, záložka 1"_s,
                              u"číslo stykače políčka 319, záložka 5"_s}));
        QStringList panely;
        for (QLabel* l : p.okno->statusBar()->findChildren<QLabel*>())
            panely << jmeno(l);
        QCOMPARE(panely, (QStringList{u"režim: administrátorský mód"_s, u"sériový port: COM1"_s,
                                      u"očekávaná odpověď"_s, u"vypínače: tlačítka zakázána"_s,
                                      u"verze: ver.: 1.6 - 29.1.2006"_s}));
    }

    // The arrow keys move through the four columns of a tab as through a grid: up and down within
    // a column, left and right to the same row of the next column, or the nearest row shown there
    // (cell 17 is empty); at the grid's edge the focus stays. The number boxes of the
    // administrator's view form a grid of their own. A long name ends in an ellipsis, never in a
    // letter cut through.
    void sipky_a_fokus() {
        prostredi p(vychozi_konfigurace().replace("\nchlivek17=17\r", "\nchlivek17=---\r"));
        QVERIFY(p.spust());
        mrizka_chlivku& m = p.m();
        p.okno->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.okno.get()));
        // Where the program puts the focus, it is drawn: on the row of tabs at start-up.
        QCOMPARE(QApplication::focusWidget(), m.tabBar());
        const QImage s_fokusem = m.tabBar()->grab().toImage();
        m.setCurrentIndex(0);
        const auto cesta = [&](QWidget* od, const QList<Qt::Key>& klavesy, bool cislo) {
            od->setFocus();
            QList<int> kde;
            for (Qt::Key k : klavesy) {
                QTest::keyClick(QApplication::focusWidget(), k);
                QWidget* f = QApplication::focusWidget();
                kde << (f->property("chlivek").isValid() &&
                                (qobject_cast<QLineEdit*>(f) != nullptr) == cislo
                            ? f->property("chlivek").toInt()
                            : -1);
            }
            return kde;
        };
        using K = Qt::Key;
        const QList<K> klavesy{K::Key_Right, K::Key_Down,  K::Key_Left,  K::Key_Up,    K::Key_Up,
                               K::Key_Right, K::Key_Right, K::Key_Right, K::Key_Right, K::Key_Down};
        QCOMPARE(cesta(m.Check1(1), klavesy, false),
                 (QList<int>{16, 18, 2, 1, 0, 16, 32, 48, 48, 49}));
        // Ctrl+Tab changes the tab; with the switches locked none can take the focus, and the
        // row of tabs has it, drawn.
        p.okno->zakaz_buttony();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(std::pair(m.currentIndex(), QApplication::focusWidget()),
                 std::pair(1, static_cast<QWidget*>(m.tabBar())));
        m.setCurrentIndex(4);
        m.tabBar()->setFocus();
        QCOMPARE(m.tabBar()->grab().toImage(), s_fokusem);
        m.clearFocus();
        QVERIFY(m.tabBar()->grab().toImage() != s_fokusem);

        p.okno->prihlaseni_prijato();
        m.setCurrentIndex(0);
        QCOMPARE(cesta(m.Text2(1), klavesy, true),
                 (QList<int>{17, 18, 2, 1, 0, 16, 32, 48, 48, 49}));

        // Names too long for the box: the ink ends short of the box's text edge.
        vypinac* s = m.Check1(3);
        const QRect nazev =
            mrizka_chlivku::misto_text1(3).translated(-mrizka_chlivku::misto_bunky(3).topLeft());
        QStringList useknute;
        for (const QString& dlouhy :
             {u"WWWWWWWWWWWWWWWWWWWW"_s, u"ČERPADLO MÍCHAČKY Č2"_s, u"mmmmmmmmmmmmmmmmmmmm"_s}) {
            s->nastav_nazev(dlouhy);
            if (inkoust(s, nazev.adjusted(3, 3, -3, -3)).second >= nazev.right() - 4)
                useknute << dlouhy;
        }
        QCOMPARE(useknute, QStringList());
    }

    // A contactor assigned from a cell and the link moved to another port: both written to the file
    // and both in force back in user mode. A backup restored from the medium changes the file
    // only, not the window.
    void prirazeni_port_zaloha_a_obnova() {
        prostredi p;
        sim::simulator com2(sim::nastaveni{p.slozka.path(), 2, {}});
        QVERIFY(com2.spust() && p.spust());
        QVERIFY(QFile::link(u"/dev/tarvik-no-such-device"_s, p.slozka.file("dosdevices/com3")));
        // The medium: a folder on a file system other than the one that holds tarvik.ini.
        QTemporaryDir medium(u"/dev/shm/tarvik-XXXXXX"_s);
        if (!medium.isValid() ||
            QStorageInfo(medium.path()).rootPath() == QStorageInfo(p.slozka.path()).rootPath())
            QSKIP("no file system of its own at /dev/shm to serve as the medium");
        QVERIFY(QFile::link(medium.path(), p.slozka.file("dosdevices/a:")));
        p.prihlas(u"kovar"_s);
        QByteArray soubor = p.slozka.read("tarvik.ini");
        mrizka_chlivku& m = p.m();
        m.setCurrentIndex(0);

        // Enter in the number box of cell 0 opens the catalogue for that cell; row 7 is
        // contactor 5.
        v_dialogu([](QWidget* d) {
            auto* mrizka = d->findChild<QAbstractItemView*>(u"MSHFlexGrid1"_s);
            mrizka->setCurrentIndex(mrizka->model()->index(6, 0));
            qobject_cast<frm_cis_stykace*>(d)->vyber_stykac();
        });
        QTest::keyClick(m.Text2(0), Qt::Key_Return);
        QCOMPARE(QStringList({m.Text2(0)->text(), m.Check1(0)->nazev()}),
                 QStringList({u"5"_s, u"stykač 5"_s}));

        bool otevreny_po_chybe = false;
        QString panel_po_chybe = u"?"_s;
        v_dialogu([&](QWidget* d) {
            d->findChild<QAbstractButton*>("Option1_2")->click(); // COM 3: no device
            d->findChild<QAbstractButton*>("bt_ok")->click();
            otevreny_po_chybe = d->isVisible();
            panel_po_chybe = p.okno->panel(2);                    // the port is closed now
            d->findChild<QAbstractButton*>("Option1_1")->click(); // COM 2
            d->findChild<QAbstractButton*>("bt_ok")->click();
        });
        p.okno->menu_rs232_Click();
        QVERIFY(otevreny_po_chybe && panel_po_chybe.isEmpty());
        QCOMPARE(p.okno->panel(2), u"COM2"_s);
        soubor.replace("\r\nchlivek0=0\r\n", "\r\nchlivek0=5\r\n");
        soubor.replace("\r\ncom=1\r\n", "\r\ncom=2\r\n");
        QCOMPARE(p.slozka.read("tarvik.ini"), soubor);

        p.okno->menu_save_Click();
        QCOMPARE(p.slozka.read(medium.filePath("tarvik.ini")), soubor);
        soubor.replace(na_cp1250(u"stykac5=stykač 5"), na_cp1250(u"stykac5=Čerpadlo"));
        p.slozka.write(medium.filePath("tarvik.ini"), soubor);
        p.okno->menu_load_Click();
        QCOMPARE(p.zpravy.texty(),
                 (QStringList{u"Zvolený port není systémem podporován. Zvolte jiný port."_s,
                              zprava_vlozte_disketu, zprava_zaloha_zkopirovana,
                              zprava_vlozte_disketu_s_konfiguraci, zprava_obnova_zkopirovana}));
        QCOMPARE(p.slozka.read("tarvik.ini"), soubor);

        // Back in user mode the link polls COM2 only, and cell 0 follows contactor 5 under its
        // old name.
        com2.nastav_stav(5, true);
        p.okno->menu_uzivatelsky_Click();
        QCOMPARE(p.na_lince(), QByteArray());
        QCOMPARE(com2.prijato(), QByteArray("XA\r\n"));
        QVERIFY(m.Check1(0)->isChecked() && !m.Check1(1)->isChecked());
        QCOMPARE(m.Check1(0)->nazev(), u"stykač 5"_s);
    }
};

QTEST_MAIN(tst_main_window)
#include "tst_main_window.moc"
