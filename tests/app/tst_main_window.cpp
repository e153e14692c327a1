// The main window: start-up, the cell grid, the modes, the menus, the status bar, switching from a
// cell through a real serial line to the controller simulator, and the administrator's work through
// the menus: login, assigning a contactor from a cell, moving the link to another port.

#include "app/cell_grid.h"
#include "app/main_window.h"
#include "config/config_file.h"
#include "dialogs/frm_cis_stykace.h"
#include "link/link.h"
#include "platform/help_viewer.h"
#include "support/link_probe.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"
#include "tarvik-sim/simulator.h"

#include <QtSerialPort>
#include <QtTest>
#include <QtWidgets>
#include <numeric>

using namespace tarvik;
using tarvik::test::radek;
using namespace Qt::StringLiterals;

namespace {

// The colour a switch is painted in, beside its check mark and inside its focus frame.
QString barva(QWidget* w) {
    const QColor c = w->grab().toImage().pixelColor(19, 5);
    return c == Qt::green ? u"zelena"_s : c == Qt::red ? u"cervena"_s : u"jina"_s;
}

// The columns holding dark pixels (the text's ink) inside `kde` of a picture.
std::pair<int, int> inkoust(const QImage& obraz, const QRect& kde) {
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
    for (int i = 0; i < 320; ++i) {
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

// The file the window tests start from: the default file with the controller on COM2 and cell i
// holding contactor (i + 50) % 128, so that no cell holds the contactor of its own number.
QByteArray ini_testu() {
    QByteArray ini = vychozi_konfigurace().replace("\r\ncom=1\r\n", "\r\ncom=2\r\n");
    ini.truncate(ini.indexOf("[chlivky]"));
    ini += "[chlivky]\r\n";
    for (int i = 0; i < 320; ++i)
        ini +=
            "chlivek" + QByteArray::number(i) + '=' + QByteArray::number((i + 50) % 128) + "\r\n";
    return ini;
}

// A program folder with a configuration file (none when `ini` is null), the controller simulator
// on COM`port` with the contactors' states `stavy`, and the main window; nothing started.
struct prostredi {
    test::docasna_slozka slozka;
    test::zapisnik_zprav zpravy;
    std::unique_ptr<sim::simulator> com;
    std::unique_ptr<frm_main> okno = std::make_unique<frm_main>();

    explicit prostredi(const QByteArray& ini = ini_testu(), const QByteArray& stavy = {},
                       int port = 2)
        : com(std::make_unique<sim::simulator>(sim::nastaveni{slozka.path(), port, stavy})) {
        if (!ini.isNull())
            slozka.write("tarvik.ini", ini);
    }
    // Start-up with the window shown and active, and unless told otherwise the first status
    // reply applied and the line's record cleared.
    bool spust(bool odpoved = true) {
        if (!com->spust() || !okno->Form_Load())
            return false;
        okno->zobraz_uprostred();
        okno->activateWindow();
        return QTest::qWaitForWindowActive(okno.get()) && (!odpoved || !na_lince().isEmpty());
    }
    // Until the last status reply has been applied.
    bool klid() {
        return QTest::qWaitFor([&] { return panel(4) == u"tlačítka povolena"_s; }, 5000);
    }
    // What reached the controller since the last look, once the last status reply is applied.
    QByteArray na_lince() {
        const QByteArray prijato = klid() ? com->prijato() : "(no calm)";
        com->vymaz_zaznam();
        return prijato;
    }
    // A menu command, chosen as the operator chooses it (nothing happens while it is disabled).
    void prikaz(const char* menu) { okno->findChild<QAction*>(menu)->trigger(); }
    // Logs in through the login dialog, as the administrator would.
    void prihlas(const QString& heslo = u"kovar"_s) {
        v_dialogu([heslo](QWidget* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtPassword"), heslo);
            d->findChild<QAbstractButton*>("cmdOK")->click();
        });
        prikaz("menu_administratorsky");
        okno->activateWindow(); // as the window manager does when the dialog has closed
        QVERIFY(QTest::qWaitForWindowActive(okno.get()));
    }
    mrizka_chlivku& m() { return *okno->findChild<mrizka_chlivku*>(); }
    test_linky linka() { return test_linky(*okno->findChild<tarvik::linka*>()); }
    // Status panel 1 to 5 as shown (the status bar is made when the window is first shown).
    QString panel(int cislo) const {
        const auto* l = okno->findChild<QLabel*>(u"panel%1"_s.arg(cislo));
        return l ? l->text() : u"(no status bar)"_s;
    }
    QStringList panely() const { return {panel(1), panel(2), panel(3), panel(4), panel(5)}; }
};

} // namespace

class tst_main_window : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The file (null: none), the controller's port (negative: held by another program), the
    // message, what panel 2 shows (empty: the program ends), the tabs' captions ("-" for a hidden
    // tab) and the tab selected.
    void start_data() {
        test::sloupce<QByteArray, int, QString, QString, QStringList, int>(
            {"ini", "port", "text", "panel2", "popisky", "vybrana"});
        const QString poskozeny = u"Konfigurační soubor je poškozen. Obnovte ho ze zálohy: "
                                  u"Konfigurace – Obnova konfigurace z diskety."_s;
        const QByteArray heslo = "[system]\r\nheslo=7\r\n", com2 = "[system]\r\ncom=2\r\n";
        const QStringList zadna(5, u"-"_s);
        radek("first start", QByteArray(), 1,
              u"Konfigurační soubor nenalezen. Vytvořen nový s implicitními hodnotami. Pro "
              u"správnou funkci programu obnovte tento soubor ze zálohy."_s,
              "COM1", QStringList{"záložka 1", "záložka 2", "záložka 3", "záložka 4", "záložka 5"},
              4);
        radek("empty, no tab active", ""_ba, 1, poskozeny, "COM1", zadna, 4);
        radek("16 MiB, the largest file read", com2.leftJustified(nejvetsi_konfigurace, ';'), 2, "",
              "COM2", zadna, 4);
        radek("a byte more", com2.leftJustified(nejvetsi_konfigurace + 1, ';'), 1, poskozeny,
              "COM1", zadna, 4);
        radek("COM9, no password hash", "[system]\r\ncom=9\r\n"_ba, 9, "", "COM9", zadna, 4);
        radek("com=10 read as 1", heslo + "com=10\r\n", 1, "", "COM1", zadna, 4);
        radek("no port: COM1", heslo, 1, "", "COM1", zadna, 4);
        radek("COM2, the controller on COM1", ini_testu(), 1,
              u"Chyba při otevírání sériového portu."_s, "", QStringList(), 0);
        radek("COM2 held by another program", ini_testu(), -2,
              u"Sériový port je již otevřen jiným programem. Zkontrolujte zda program není již "
              u"spuštěn na liště. Pokud nic nepomůže, zkuste restartovat počítač."_s,
              "", QStringList(), 0);
        radek("tabs: blanks, '10', empty and missing values; long and empty captions",
              com2 + "[zalozky]\r\naktivni1= 1\r\naktivni2=\r\naktivni4=10\r\naktivni5=1\r\n"
                     "nazev1=123456789012345\r\nnazev2=skryta\r\nnazev5=\r\n",
              2, "", "COM2", QStringList{u"12345678901"_s, "-", "-", u"---"_s, QString()}, 4);
        radek("last tab hidden selects the first shown",
              com2 + "[zalozky]\r\naktivni2=1\r\naktivni3=1\r\naktivni5=0\r\n", 2, "", "COM2",
              QStringList{"-", u"---"_s, u"---"_s, "-", "-"}, 1);
    }

    // A missing file is reported and written; a damaged one is reported and kept for the
    // administrator to restore; without its port the program ends.
    void start() {
        const auto [ini, port, text, panel2, popisky, vybrana] =
            test::hodnoty<QByteArray, int, QString, QString, QStringList, int>();
        prostredi p(ini, {}, qAbs(port));
        QVERIFY(p.com->spust());
        QSerialPort jiny_program(p.com->cesta_zarizeni());
        QVERIFY(port > 0 || jiny_program.open(QIODevice::ReadWrite));

        QCOMPARE(p.okno->Form_Load(), !panel2.isEmpty());
        // The first line: the port's line after it, which port and what to do, is the link's.
        static const QRegularExpression dalsi_radky(u"\n.*"_s,
                                                    QRegularExpression::DotMatchesEverythingOption);
        QCOMPARE(p.zpravy.texty().replaceInStrings(dalsi_radky, {}),
                 text.isEmpty() ? QStringList() : QStringList{text});
        QCOMPARE(p.slozka.read("tarvik.ini"), ini.isNull() ? vychozi_konfigurace() : ini);
        if (!text.isEmpty())
            QCOMPARE(p.zpravy.zpravy[0].titulek, u"Tarvik - chyba"_s);
        if (panel2.isEmpty())
            return;
        p.okno->zobraz_uprostred();
        QCOMPARE(p.panel(2), panel2);
        QStringList je;
        for (int z = 0; z < 5; ++z)
            je << (p.m().isTabVisible(z) ? p.m().tabText(z) : u"-"_s);
        QCOMPARE(je, popisky);
        QCOMPARE(p.m().currentIndex(), vybrana);
    }

    // What each cell shows of the file: its contactor's number and name. A number that names no
    // contactor ("---", not a number, 128) leaves its switch unusable, and its click sends nothing.
    // User mode hides an empty cell (its switch and name) and every number box; the administrator
    // sees every control. An assignment made meanwhile shows at the next return to user mode.
    void chlivky_podle_konfigurace() {
        prostredi p(ini_testu()
                        .replace("\nchlivek5=55\r", "\nchlivek5=---\r")
                        .replace("\nchlivek6=56\r", "\nchlivek6=127\r")
                        .replace("\nchlivek7=57\r", "\nchlivek7=abc\r")
                        .replace("\nchlivek8=58\r", "\nchlivek8=128\r"),
                    QByteArray(128, '1'));
        QVERIFY(p.spust());
        mrizka_chlivku& m = p.m();
        const QMap<int, QString> bez_stykace{{5, "---"}, {7, "abc"}, {8, "128"}};
        QList<int> nepouzitelne; // unlocked, every switch with a contactor is usable and on
        for (int i = 0; i < 320; ++i) {
            const QString cislo =
                i == 6 ? u"127"_s : bez_stykace.value(i, QString::number((i + 50) % 128));
            QCOMPARE(m.Text2(i)->text(), cislo);
            QCOMPARE(m.Check1(i)->nazev(),
                     bez_stykace.contains(i) ? u"---"_s : u"stykač "_s + cislo);
            if (!m.Check1(i)->isEnabled() || !m.Check1(i)->isChecked())
                nepouzitelne << i;
        }
        QCOMPARE(nepouzitelne, (QList<int>{5, 7, 8}));
        m.setCurrentIndex(0);
        m.Check1(8)->setChecked(true);
        QTest::qWait(50);
        QCOMPARE(p.com->prijato(), QByteArray());

        QList<int> vse(320);
        std::iota(vse.begin(), vse.end(), 0);
        QCOMPARE(skryte(m), (QList<QList<int>>{{5}, vse}));
        p.prihlas();
        QCOMPARE(skryte(m), QList<QList<int>>(2));
        m.nastav_chlivek(11, u"---"_s, u"---"_s);
        p.prikaz("menu_uzivatelsky");
        QCOMPARE(skryte(m), (QList<QList<int>>{{5, 11}, vse}));
    }

    // Cell 70, on the second tab, holds contactor 120, as cell 198 does. Until the controller has
    // answered, no switch shows a state: each looks unknown (neither green nor red) and says so to
    // a screen reader; the first status shows the states. Switched on by mouse and off by keyboard
    // through the controller, every cell holding 120 follows and the switch keeps the focus. A
    // command lost with its line (the device hangs up before the acknowledgement, Cancel) puts its
    // switch back to the last known state at once, shown unknown, as is every switch of a closed
    // port.
    void spinani() {
        QByteArray stavy(128, '0');
        stavy[121] = '1'; // cell 71
        prostredi p(ini_testu(), stavy);
        p.com->nastav_rezim(sim::porucha::mlci);
        QVERIFY(p.spust(false));
        mrizka_chlivku& m = p.m();
        m.setCurrentIndex(1);
        // Cells 70, 71 and 198 (contactors 120, 121, 120) as "colour:description".
        const auto vypinace = [&] {
            QStringList v;
            for (int i : {70, 71, 198})
                v << barva(m.Check1(i)) + u":"_s + m.Check1(i)->accessibleDescription();
            return v;
        };
        const QStringList nezname{u"jina:stav neznámý, stykač 120"_s,
                                  u"jina:stav neznámý, stykač 121"_s,
                                  u"jina:stav neznámý, stykač 120"_s};
        QCOMPARE(vypinace(), nezname);
        QVERIFY(QTest::qWaitFor([&] { return !p.com->prijato().isEmpty(); })); // the first query
        p.com->nastav_rezim(sim::porucha::zadna);
        p.com->vysli_davku(1);
        QCOMPARE(p.na_lince(), QByteArray("XA\r\n"));
        QCOMPARE(vypinace(), (QStringList{u"cervena:stykač 120"_s, u"zelena:stykač 121"_s,
                                          u"cervena:stykač 120"_s}));

        QTest::mouseClick(m.Check1(70), Qt::LeftButton, {}, QPoint(12, 12));
        QCOMPARE(barva(m.Check1(70)), u"zelena"_s);
        QCOMPARE(p.na_lince(), QByteArray("XW120=1\r\nXA\r\n"));
        QCOMPARE(barva(m.Check1(198)), u"zelena"_s);
        m.Check1(70)->setFocus();
        QTest::keyClick(m.Check1(70), Qt::Key_Space);
        QCOMPARE(p.na_lince(), QByteArray("XW120=0\r\nXA\r\n"));
        QCOMPARE(barva(m.Check1(198)), u"cervena"_s);
        QCOMPARE(QApplication::focusWidget(), m.Check1(70));

        p.com->nastav_rezim(sim::porucha::mlci);
        QTest::mouseClick(m.Check1(71), Qt::LeftButton, {}, QPoint(12, 12));
        QVERIFY(!m.Check1(71)->isChecked());
        p.zpravy.odpovedi << odpoved_zpravy::storno;
        QStringList behem_zpravy;
        p.zpravy.behem_zpravy = [&](const zprava&) { behem_zpravy = vypinace(); };
        p.com->zaves();
        QVERIFY(QTest::qWaitFor([&] { return p.panel(2).isEmpty(); }, 5000));
        QCOMPARE(p.zpravy.texty(), QStringList{u"Serial Device Lost"_s});
        QCOMPARE(behem_zpravy, nezname);
        QVERIFY(!m.Check1(70)->isChecked() && m.Check1(71)->isChecked());
        QCOMPARE(vypinace(), nezname);
    }

    // A screen reader's or voice control's Toggle action switches as a click does; while locked
    // the switches refuse every change, whatever its way in. Tabs not shown catch up when shown,
    // made before (0) or not (1): locked during a command, then with the states of a status reply
    // that came while they were hidden, and nothing sent.
    void zamek() {
        prostredi p;
        QVERIFY(p.spust());
        mrizka_chlivku& m = p.m();
        m.setCurrentIndex(0);
        QAccessibleInterface* rozhrani = QAccessible::queryAccessibleInterface(m.Check1(7));
        rozhrani->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(p.panel(3), u"XR057=1"_s);
        m.Check1(8)->setChecked(true);
        QVERIFY(!m.Check1(8)->isChecked() && !m.Check1(8)->isEnabled());
        QCOMPARE(p.na_lince(), QByteArray("XW057=1\r\nXA\r\n"));

        QTest::qWait(10); // the unlock has reached the switches of tab 0
        m.setCurrentIndex(4);
        QVERIFY(!m.zalozka_vytvorena(1));
        p.com->nastav_stav(120, true); // cell 70
        p.com->nastav_stav(58, true);  // cell 8
        p.prikaz("menu_nacti_status");
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
            QCOMPARE(barva(vypinac_jak_je(m, i)), u"zelena"_s);
        }
        QTest::qWait(50);
        QCOMPARE(p.com->prijato(), QByteArray());
    }

    // The window's measures: 12555 x 9540 twips below the menu bar, the
    // tabs 240 twips down. Cell i lies on tab i / 64, column (i % 64) / 16, row i % 16: Check1 at
    // 360 + 3000c with Text1 ending at 2775 + 3000c, Text2 at 2760 + 3000c, rows at 840 + 480r
    // twips from the tab control. Help reports its file missing, then shows it at its contents.
    // Closing the window closes the port (another program can open it) and the help, and writes
    // nothing.
    void okno() {
        prostredi p;
        QVERIFY(p.spust());
        mrizka_chlivku& m = p.m();
        QCOMPARE(p.okno->windowTitle(), u"Tarvik"_s);
        QCOMPARE(p.okno->width(), 837);
        QCOMPARE(p.okno->centralWidget()->height() + p.okno->statusBar()->height(), 636);
        QCOMPARE(m.mapTo(p.okno->centralWidget(), QPoint(0, 0)), QPoint(0, 16));

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

        p.prikaz("menu_help");
        QCOMPARE(p.zpravy.texty(), QStringList{u"Chyba při otevírání help souboru."_s});
        QVERIFY(QFile::copy(QStringLiteral(TARVIK_HELP_FILE), p.slozka.file("tarvik.hlp")));
        p.prikaz("menu_help");
        QCOMPARE(p.zpravy.zpravy.size(), 1);
        QVERIFY(okno_napovedy() && okno_napovedy()->isVisible());
        // Over the middle of the main window, at its contents below the manual's title; Esc
        // closes it.
        QVERIFY((okno_napovedy()->frameGeometry().center() - p.okno->frameGeometry().center())
                    .manhattanLength() < 10);
        auto* text = okno_napovedy()->findChild<QTextBrowser*>();
        QVERIFY(text->verticalScrollBar()->value() > 0);
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!okno_napovedy() || !okno_napovedy()->isVisible());
        p.prikaz("menu_help");

        p.okno->close();
        QVERIFY(!okno_napovedy() || !okno_napovedy()->isVisible());
        QCOMPARE(p.slozka.read("tarvik.ini"), ini_testu());
        QSerialPort jiny(p.com->cesta_zarizeni());
        QVERIFY(jiny.open(QIODevice::ReadWrite));
    }

    // The window within the screen's free area, frame included: whole on a large screen; on one
    // too small for it (CTest runs this also on 1366 x 768 at 125 %) the client area scrolls, every
    // part of it within reach of the scroll bars, the status bar always in sight.
    void okno_na_obrazovce() {
        prostredi p;
        QVERIFY(p.spust());
        const QRect volno = p.okno->screen()->availableGeometry();
        QVERIFY(volno.contains(p.okno->frameGeometry()));
        auto* posuvnik = p.okno->findChild<QScrollArea*>(u"posuvnik"_s);
        const QSize mimo =
            (posuvnik->widget()->size() - posuvnik->viewport()->size()).expandedTo(QSize(0, 0));
        QCOMPARE(QSize(posuvnik->horizontalScrollBar()->maximum(),
                       posuvnik->verticalScrollBar()->maximum()),
                 mimo);
        // Both screens are wide enough: only the small one scrolls, and only up and down.
        QCOMPARE(mimo.width(), 0);
        QCOMPARE(mimo.height() > 0, volno.height() < 700);
        const QRect panely(p.okno->statusBar()->mapTo(p.okno.get(), QPoint()),
                           p.okno->statusBar()->size());
        QVERIFY(p.okno->rect().contains(panely) && p.okno->statusBar()->isVisible());
    }

    // The manual as each system's operator reads it: nothing of the other system, what to do on
    // one's own (the port, the first login, COM10 and above on Windows), this build's version.
    void napoveda_data() {
        test::sloupce<QString, QStringList, QStringList>({"system", "ma", "nema"});
        radek("Linux", u"linux"_s,
              QStringList{u"/opt/tarvik/dosdevices/com1"_s, u"skupiny <code>tarvik</code>"_s,
                          u"servisním heslem"_s},
              QStringList{u"ProgramData"_s, u"Správce zařízení"_s, u"A:</code> – disketa"_s,
                          u"/HESLO="_s, u"tarvik</code><code>.exe"_s});
        radek("Windows", u"winnt"_s,
              QStringList{u"C:\\ProgramData\\Tarvik\\tarvik.ini"_s, u"Správce zařízení"_s,
                          u"/COM="_s, u"servisním heslem"_s},
              QStringList{u"dosdevices"_s, u"/opt/"_s, u"skupin"_s, u"/dev/"_s, u"sudo"_s,
                          u"README"_s});
    }
    void napoveda() {
        const auto [system, ma, nema] = test::hodnoty<QString, QStringList, QStringList>();
        QFile soubor(QStringLiteral(TARVIK_HELP_FILE));
        QVERIFY(soubor.open(QIODevice::ReadOnly));
        QCoreApplication::setApplicationVersion(u"1.6.1"_s);
        const QString text = napoveda_pro_system(QString::fromUtf8(soubor.readAll()), system);
        QStringList chybi, navic;
        for (const QString& t : ma)
            if (!text.contains(t))
                chybi << t;
        for (const QString& t : nema)
            if (text.contains(t))
                navic << t;
        QCOMPARE(chybi, QStringList());
        QCOMPARE(navic, QStringList());
        QVERIFY(text.contains(u"<span id=\"verze-sestaveni\">1.6.1</span>"_s));
    }

    // The arrow keys move through the four columns of a tab as through a grid: up and down within
    // a column, left and right to the same row of the next column, or the nearest row shown there
    // (cell 17 is empty); at the grid's edge the focus stays. The number boxes of the
    // administrator's view form a grid of their own, and each shows its number whole. (What a
    // screen reader hears of the boxes and panels is read over the accessibility bus:
    // tst_atspi.py.)
    void sipky_a_cisla() {
        prostredi p(vychozi_konfigurace().replace("\nchlivek17=17\r", "\nchlivek17=---\r"), {}, 1);
        QVERIFY(p.spust());
        mrizka_chlivku& m = p.m();
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
        p.prihlas();
        m.setCurrentIndex(0);
        QCOMPARE(cesta(m.Text2(1), klavesy, true),
                 (QList<int>{17, 18, 2, 1, 0, 16, 32, 48, 48, 49}));

        // Every contactor number and "---" shows whole in its box, clear of the frame.
        QLineEdit* box = m.Text2(0);
        QStringList useknute;
        for (int n = -1; n < 128; ++n) {
            const QString cislo = n < 0 ? u"---"_s : QString::number(n);
            m.nastav_chlivek(0, cislo, u"stykač"_s);
            const auto [vlevo, vpravo] =
                inkoust(box->grab().toImage(), box->rect().adjusted(1, 1, -1, -1));
            // The same text drawn freely in the box's font.
            QImage volne(100, 40, QImage::Format_RGB32);
            volne.fill(Qt::white);
            QPainter malir(&volne);
            malir.setFont(box->font());
            malir.drawText(10, 30, cislo);
            malir.end();
            const auto [vlevo_volne, vpravo_volne] = inkoust(volne, volne.rect());
            if (vlevo < 2 || vpravo > box->width() - 3 ||
                std::abs((vpravo - vlevo) - (vpravo_volne - vlevo_volne)) > 1)
                useknute << cislo;
        }
        QCOMPARE(useknute, QStringList());
    }

    // The menus and panels of both modes. The login stops the link's polling; back in user mode
    // it polls again; a status reply still on its way at the next login is applied, and leaves
    // polling off.
    void prihlaseni() {
        prostredi p;
        frm_main& o = *p.okno;
        QVERIFY(p.spust(false));
        const QString verze = u"ver.: 1.6 - 29.1.2006"_s;
        const QStringList uzivatel{"menu_administratorsky", "menu_help", "menu_tisk_stykace"};
        // Right after start-up the first query is out and the switches are locked.
        QCOMPARE(povolene(o), uzivatel);
        QCOMPARE(p.panely(), (QStringList{u"uživatelský mód"_s, u"COM2"_s, u"XS"_s,
                                          u"tlačítka zakázána"_s, verze}));
        QCOMPARE(p.na_lince(), QByteArray("XA\r\n"));
        QCOMPARE(povolene(o), (QStringList{"menu_administratorsky", "menu_help",
                                           "menu_nacti_status", "menu_tisk_stykace"}));
        QCOMPARE(p.panel(3), QString());

        p.prihlas();
        QCOMPARE(povolene(o), (QStringList{"menu_help", "menu_heslo", "menu_load", "menu_rs232",
                                           "menu_save", "menu_stykace", "menu_tisk_stykace",
                                           "menu_uzivatelsky", "menu_zalozky"}));
        QCOMPARE(p.panely(), (QStringList{u"administrátorský mód"_s, u"COM2"_s, QString(),
                                          u"tlačítka zakázána"_s, verze}));
        const test_linky l = p.linka();
        QVERIFY(!l.status_timer().isActive() && !l.watchdog_timer().isActive());

        p.prikaz("menu_uzivatelsky");
        QCOMPARE(povolene(o), uzivatel);
        QCOMPARE(p.panely().mid(0, 3), (QStringList{u"uživatelský mód"_s, u"COM2"_s, u"XS"_s}));
        QVERIFY(l.status_timer().isActive());
        QCOMPARE(p.na_lince(), QByteArray("XA\r\n"));
        p.com->nastav_rezim(sim::porucha::mlci);
        p.prikaz("menu_nacti_status");
        p.prihlas();
        QVERIFY(!l.watchdog_timer().isActive());
        p.com->nastav_stav(3, true);
        p.com->vysli_davku(1);
        QVERIFY(QTest::qWaitFor([&] { return p.m().Check1(81)->isChecked(); })); // contactor 3
        QVERIFY(l.stav() == stav_linky::necinna && !l.status_timer().isActive());
    }

    // A contactor assigned from a cell and the link moved to another port: both written to the file
    // and both in force back in user mode, where nothing went to the old port meanwhile.
    void prirazeni_a_port() {
        prostredi p;
        sim::simulator com3(sim::nastaveni{p.slozka.path(), 3, {}});
        QVERIFY(com3.spust() && p.spust());
        QVERIFY(QFile::link(u"/dev/tarvik-no-such-device"_s, p.slozka.file("dosdevices/com4")));
        p.prihlas();
        QByteArray soubor = p.slozka.read("tarvik.ini");
        mrizka_chlivku& m = p.m();
        m.setCurrentIndex(1);
        // Enter in the number box of cell 64 opens the catalogue for that cell; row 7 is
        // contactor 5.
        v_dialogu([](QWidget* d) {
            auto* mrizka = d->findChild<QAbstractItemView*>(u"MSHFlexGrid1"_s);
            mrizka->setCurrentIndex(mrizka->model()->index(6, 0));
            qobject_cast<frm_cis_stykace*>(d)->vyber_stykac();
        });
        QTest::keyClick(m.Text2(64), Qt::Key_Return);
        QCOMPARE(m.Text2(64)->text(), u"5"_s);
        QCOMPARE(m.Check1(64)->nazev(), u"stykač 5"_s);

        // The port dialog preselects COM 1, whatever is configured; a port that cannot be opened
        // keeps it open, and writes nothing.
        bool otevreny_po_chybe = false;
        QString panel_po_chybe = u"?"_s;
        v_dialogu([&](QWidget* d) {
            QVERIFY(d->findChild<QAbstractButton*>("Option1_0")->isChecked());
            d->findChild<QAbstractButton*>("Option1_3")->click(); // COM 4: no device
            d->findChild<QAbstractButton*>("bt_ok")->click();
            otevreny_po_chybe = d->isVisible();
            panel_po_chybe = p.panel(2);                          // the port is closed now
            d->findChild<QAbstractButton*>("Option1_2")->click(); // COM 3
            d->findChild<QAbstractButton*>("bt_ok")->click();
        });
        p.prikaz("menu_rs232");
        QVERIFY(otevreny_po_chybe && panel_po_chybe.isEmpty());
        QCOMPARE(p.panel(2), u"COM3"_s);
        soubor.replace("\r\nchlivek64=114\r\n", "\r\nchlivek64=5\r\n");
        soubor.replace("\r\ncom=2\r\n", "\r\ncom=3\r\n");
        QCOMPARE(p.slozka.read("tarvik.ini"), soubor);
        QCOMPARE(p.zpravy.texty(),
                 QStringList{u"Zvolený port není systémem podporován. Zvolte jiný port."_s});

        com3.nastav_stav(5, true);
        p.prikaz("menu_uzivatelsky");
        QCOMPARE(p.na_lince(), QByteArray());
        QCOMPARE(com3.prijato(), QByteArray("XA\r\n"));
        QVERIFY(m.Check1(64)->isChecked() && !m.Check1(65)->isChecked());
    }
};

QTEST_MAIN(tst_main_window)
#include "tst_main_window.moc"
