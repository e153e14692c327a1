// The administrator's work through the main window's menus: the modes, login, assigning a contactor
// from a cell, moving the link to another port, backup and restore.

#include "config/config_file.h"
#include "dialogs/frm_cis_stykace.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>

using namespace tarvik;
using namespace Qt::StringLiterals;

namespace {

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

template <class T> T* prvek(QWidget* dialog, const char* jmeno) {
    return dialog->findChild<T*>(QLatin1String(jmeno));
}

struct prostredi : test::prostredi {
    prostredi() : test::prostredi(vychozi_konfigurace()) {}
    void prihlas(const QString& heslo) {
        v_dialogu([heslo](QWidget* d) {
            QTest::keyClicks(prvek<QLineEdit>(d, "txtPassword"), heslo);
            prvek<QAbstractButton>(d, "cmdOK")->click();
        });
        okno->menu_administratorsky_Click();
    }
};

} // namespace

class tst_administration : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        QVERIFY(p.klid());
        QCOMPARE(povolene(o), nezamceny);
        QCOMPARE(o.panel(3), QString());

        p.prihlas(u"spatne"_s);
        QCOMPARE(p.zpravy.texty(), QStringList{u"Špatné heslo."_s});
        QCOMPARE(povolene(o), nezamceny);
        QVERIFY(o.spojeni().status_timer().isActive());

        p.com1->vymaz_zaznam();
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
        QVERIFY(p.klid());
        QCOMPARE(p.com1->prijato(), QByteArray("XA\r\n"));
        p.com1->nastav_rezim(sim::porucha::mlci);
        o.menu_nacti_status_Click();
        p.prihlas(u"kovar"_s);
        QVERIFY(!o.spojeni().watchdog_timer().isActive());
        Q_EMIT o.spojeni().com_port().prijata_data("XS0001" + QByteArray(124, '0') + "\r\n");
        QVERIFY(!o.spojeni().nacitani_statusu() && !o.spojeni().status_timer().isActive());
        QVERIFY(p.m().Check1(3)->isChecked());
        QCOMPARE(p.zpravy.texty(), QStringList{u"Špatné heslo."_s});
    }

    // A contactor assigned from a cell and the link moved to another port: both written to the file
    // and both in force back in user mode. A backup restored from the medium changes the file
    // only, not the window.
    void prirazeni_port_zaloha_a_obnova() {
        prostredi p;
        sim::simulator com2(sim::nastaveni{p.slozka.path(), 2, {}});
        QVERIFY(com2.spust() && p.spust());
        QVERIFY(QFile::link(u"/dev/tarvik-no-such-device"_s, p.slozka.file(u"dosdevices/com3"_s)));
        // The medium: a folder on a file system other than the one that holds tarvik.ini.
        QTemporaryDir medium(u"/dev/shm/tarvik-XXXXXX"_s);
        if (!medium.isValid() ||
            QStorageInfo(medium.path()).rootPath() == QStorageInfo(p.slozka.path()).rootPath())
            QSKIP("no file system of its own at /dev/shm to serve as the medium");
        QVERIFY(QFile::link(medium.path(), p.slozka.file(u"dosdevices/a:"_s)));
        p.prihlas(u"kovar"_s);
        QByteArray soubor = p.slozka.read(u"tarvik.ini"_s);
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
        v_dialogu([&](QWidget* d) {
            prvek<QAbstractButton>(d, "Option1_2")->click(); // COM 3: no device
            prvek<QAbstractButton>(d, "bt_ok")->click();
            otevreny_po_chybe = d->isVisible();
            prvek<QAbstractButton>(d, "Option1_1")->click(); // COM 2
            prvek<QAbstractButton>(d, "bt_ok")->click();
        });
        p.okno->menu_rs232_Click();
        QVERIFY(otevreny_po_chybe);
        QCOMPARE(p.okno->panel(2), u"COM2"_s);
        soubor.replace("\r\nchlivek0=0\r\n", "\r\nchlivek0=5\r\n");
        soubor.replace("\r\ncom=1\r\n", "\r\ncom=2\r\n");
        QCOMPARE(p.slozka.read(u"tarvik.ini"_s), soubor);

        p.okno->menu_save_Click();
        QCOMPARE(p.slozka.read(medium.filePath(u"tarvik.ini"_s)), soubor);
        soubor.replace("stykac5=styka\xE8 5", "stykac5=\xC8"
                                              "erpadlo");
        p.slozka.write(medium.filePath(u"tarvik.ini"_s), soubor);
        p.okno->menu_load_Click();
        QCOMPARE(p.zpravy.texty(),
                 (QStringList{u"Zvolený port není systémem podporován. Zvolte jiný port."_s,
                              u"Vložte disketu do disketové mechaniky.Potom stiskněte "
                              u"tlačítko OK."_s,
                              u"Soubor byl úspěšně zkopírován."_s,
                              u"Vložte disketu s konfiguračním souborem do disketové "
                              u"mechaniky.Potom stiskněte tlačítko OK."_s,
                              u"Soubor byl úspěšně zkopírován.  "_s}));
        QCOMPARE(p.slozka.read(u"tarvik.ini"_s), soubor);

        // Back in user mode the link polls COM2 only, and cell 0 follows contactor 5 under its
        // old name.
        p.com1->vymaz_zaznam();
        com2.nastav_stav(5, true);
        p.okno->menu_uzivatelsky_Click();
        QVERIFY(p.klid());
        QCOMPARE(com2.prijato(), QByteArray("XA\r\n"));
        QCOMPARE(p.com1->prijato(), QByteArray());
        QVERIFY(m.Check1(0)->isChecked() && !m.Check1(1)->isChecked());
        QCOMPARE(m.Check1(0)->nazev(), u"stykač 5"_s);
    }
};

QTEST_MAIN(tst_administration)
#include "tst_administration.moc"
