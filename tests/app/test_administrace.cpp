// The administrator's work through the main window's menus: login, assigning a contactor from a
// cell, moving the link to another port, backup and restore.

#include "app/cell_grid.h"
#include "app/main_window.h"
#include "config/config_file.h"
#include "dialogs/frm_cis_stykace.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"
#include "tarvik-sim/simulator.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace tarvik;

namespace {

std::unique_ptr<sim::simulator> spust_simulator(const QString& slozka, int port) {
    sim::nastaveni n;
    n.slozka = slozka;
    n.port = port;
    auto s = std::make_unique<sim::simulator>(n);
    if (!s->spust())
        qFatal("simulator on COM%d did not start", port);
    return s;
}

// Runs `akce` on the modal dialog that the next call opens, as the administrator would.
void v_dialogu(std::function<void(QWidget*)> akce) {
    QTimer::singleShot(0, [akce] { akce(QApplication::activeModalWidget()); });
}

template <class T> T* prvek(QWidget* dialog, const char* jmeno) {
    return dialog->findChild<T*>(QLatin1String(jmeno));
}

bool v_klidu(frm_main& okno) {
    return QTest::qWaitFor([&] { return okno.panel(4) == QStringLiteral("tlačítka povolena"); },
                           5000);
}

struct prostredi {
    test::temp_folder slozka;
    test::message_recorder zpravy;
    std::unique_ptr<sim::simulator> com1 = spust_simulator(slozka.path(), 1);
    frm_main okno;

    prostredi() {
        slozka.write(QStringLiteral("tarvik.ini"), vychozi_konfigurace());
        if (!okno.Form_Load() || !v_klidu(okno))
            qFatal("start-up failed");
    }

    void prihlas(const QString& heslo) {
        v_dialogu([heslo](QWidget* d) {
            QTest::keyClicks(prvek<QLineEdit>(d, "txtPassword"), heslo);
            prvek<QAbstractButton>(d, "cmdOK")->click();
        });
        okno.menu_administratorsky_Click();
    }
};

} // namespace

class test_administrace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prihlaseni_zastavi_linku();
    void prirazeni_stykace_z_chlivku();
    void zmena_portu_presune_linku();
    void obnova_ze_zalohy_nemeni_okno();
};

void test_administrace::prihlaseni_zastavi_linku() {
    prostredi p;
    p.prihlas(QStringLiteral("spatne"));
    QCOMPARE(p.zpravy.texty(), QStringList{QStringLiteral("Špatné heslo.")});
    QCOMPARE(p.okno.panel(1), QStringLiteral("uživatelský mód"));
    QVERIFY(p.okno.spojeni().status_timer().isActive());

    p.com1->vymaz_zaznam();
    p.prihlas(QStringLiteral("kovar"));
    QCOMPARE(p.okno.panel(1), QStringLiteral("administrátorský mód"));
    QCOMPARE(p.okno.panel(4), QStringLiteral("tlačítka zakázána"));
    QVERIFY(!p.okno.spojeni().status_timer().isActive());
    QVERIFY(!p.okno.spojeni().watchdog_timer().isActive());
    QVERIFY(!p.okno.SSTab2().Text2(0)->isHidden());
    QTest::qWait(100);
    QCOMPARE(p.com1->prijato(), QByteArray());

    // A status reply that was still on its way is applied, and leaves polling off.
    p.okno.menu_uzivatelsky_Click();
    QVERIFY(v_klidu(p.okno));
    p.com1->nastav_rezim(sim::porucha::mlci);
    p.okno.menu_nacti_status_Click();
    p.prihlas(QStringLiteral("kovar"));
    QByteArray stav = "XS" + QByteArray(128, '0') + "\r\n";
    stav[2 + 3] = '1';
    p.okno.spojeni().precti_data_z_portu(stav);
    QVERIFY(!p.okno.spojeni().nacitani_statusu());
    QVERIFY(p.okno.SSTab2().Check1(3)->isChecked());
    QVERIFY(!p.okno.spojeni().status_timer().isActive());
}

void test_administrace::prirazeni_stykace_z_chlivku() {
    prostredi p;
    p.prihlas(QStringLiteral("kovar"));
    mrizka_chlivku& m = p.okno.SSTab2();
    m.setCurrentIndex(0);

    // Enter in the number box of cell 0 opens the catalogue for that cell; row 7 is contactor 5.
    v_dialogu([](QWidget* d) {
        auto* katalog = qobject_cast<frm_cis_stykace*>(d);
        QVERIFY(katalog);
        auto* mrizka = d->findChild<QAbstractItemView*>(QStringLiteral("MSHFlexGrid1"));
        mrizka->setCurrentIndex(mrizka->model()->index(6, 0));
        katalog->vyber_stykac();
    });
    QTest::keyClick(m.Text2(0), Qt::Key_Return);
    QCOMPARE(p.okno.vybrany_chlivek(), 0);
    QCOMPARE(m.Text2(0)->text(), QStringLiteral("5"));
    QCOMPARE(m.Text1(0)->text(), QStringLiteral("stykač 5"));
    QVERIFY(p.slozka.read(QStringLiteral("tarvik.ini")).contains("\r\nchlivek0=5\r\n"));

    // Back in user mode cell 0 follows contactor 5.
    p.com1->nastav_stav(5, true);
    p.okno.menu_uzivatelsky_Click();
    QVERIFY(v_klidu(p.okno));
    QVERIFY(m.Check1(0)->isChecked());
    QVERIFY(!m.Check1(1)->isChecked());
}

void test_administrace::zmena_portu_presune_linku() {
    prostredi p;
    auto com2 = spust_simulator(p.slozka.path(), 2);
    QVERIFY(QFile::link(QStringLiteral("/dev/tarvik-no-such-device"),
                        p.slozka.file(QStringLiteral("dosdevices/com3"))));
    p.prihlas(QStringLiteral("kovar"));
    const QByteArray pred = p.slozka.read(QStringLiteral("tarvik.ini"));

    bool otevreny_po_chybe = false;
    v_dialogu([&](QWidget* d) {
        prvek<QAbstractButton>(d, "Option1_2")->click(); // COM 3: no device
        prvek<QAbstractButton>(d, "bt_ok")->click();
        otevreny_po_chybe = d->isVisible();
        prvek<QAbstractButton>(d, "Option1_1")->click(); // COM 2
        prvek<QAbstractButton>(d, "bt_ok")->click();
    });
    p.okno.menu_rs232_Click();

    QVERIFY(otevreny_po_chybe);
    QCOMPARE(p.zpravy.texty(), QStringList{QStringLiteral(
                                   "Zvolený port není systémem podporován. Zvolte jiný port.")});
    QCOMPARE(p.okno.panel(2), QStringLiteral("COM2"));
    QByteArray po = pred;
    po.replace("\r\ncom=1\r\n", "\r\ncom=2\r\n");
    QCOMPARE(p.slozka.read(QStringLiteral("tarvik.ini")), po);

    p.com1->vymaz_zaznam();
    p.okno.menu_uzivatelsky_Click();
    QVERIFY(v_klidu(p.okno));
    QCOMPARE(com2->prijato(), QByteArray("XA\r\n"));
    QCOMPARE(p.com1->prijato(), QByteArray());
}

void test_administrace::obnova_ze_zalohy_nemeni_okno() {
    prostredi p;
    // The medium: a folder on a file system other than the one that holds tarvik.ini.
    QTemporaryDir medium(QStringLiteral("/dev/shm/tarvik-XXXXXX"));
    if (!medium.isValid() ||
        QStorageInfo(medium.path()).rootPath() == QStorageInfo(p.slozka.path()).rootPath())
        QSKIP("no file system of its own at /dev/shm to serve as the medium");
    QVERIFY(QFile::link(medium.path(), p.slozka.file(QStringLiteral("dosdevices/a:"))));
    p.prihlas(QStringLiteral("kovar"));

    p.okno.menu_save_Click();
    QByteArray zaloha = p.slozka.read(medium.filePath(QStringLiteral("tarvik.ini")));
    QCOMPARE(zaloha, vychozi_konfigurace());

    zaloha.replace("stykac3=styka\xE8 3", "stykac3=\xC8"
                                          "erpadlo");
    p.slozka.write(medium.filePath(QStringLiteral("tarvik.ini")), zaloha);
    p.okno.menu_load_Click();
    QCOMPARE(p.zpravy.texty(),
             (QStringList{QStringLiteral("Vložte disketu do disketové mechaniky.Potom stiskněte "
                                         "tlačítko OK."),
                          QStringLiteral("Soubor byl úspěšně zkopírován."),
                          QStringLiteral("Vložte disketu s konfiguračním souborem do disketové "
                                         "mechaniky.Potom stiskněte tlačítko OK."),
                          QStringLiteral("Soubor byl úspěšně zkopírován.  ")}));
    QCOMPARE(p.slozka.read(QStringLiteral("tarvik.ini")), zaloha);
    QCOMPARE(p.okno.SSTab2().Text1(3)->text(), QStringLiteral("stykač 3"));
}

QTEST_MAIN(test_administrace)
#include "test_administrace.moc"
