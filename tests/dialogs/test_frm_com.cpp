#include "dialog_test.h"
#include "dialogs/frm_com.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>
#include <set>

using namespace tarvik;
using namespace tarvik::test;

namespace {

const QByteArray konfigurace = "[system]\r\n"
                               "com=3\r\n"
                               "heslo=12345\r\n"
                               "[zalozky]\r\n"
                               "aktivni1=1\r\n";

// The main window as the dialog sees it: a port switch that fails for the ports listed in
// `chybi`, and status panel 2.
struct okno {
    QPointer<frm_com> dialog;
    std::set<int> chybi;
    QList<int> prepnuto;
    QStringList panel2;

    QRadioButton* volba(int i) const {
        return dialog->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(i));
    }
    QPushButton* tlacitko(const char* jmeno) const {
        return dialog->findChild<QPushButton*>(jmeno);
    }
};

std::unique_ptr<okno> otevri_dialog(const temp_folder& slozka, std::set<int> chybi = {}) {
    auto o = std::make_unique<okno>();
    o->chybi = std::move(chybi);
    o->dialog = new frm_com(
        slozka.ini(),
        [p = o.get()](int cislo) {
            p->prepnuto.append(cislo);
            return !p->chybi.contains(cislo);
        },
        [p = o.get()](const QString& text) { p->panel2.append(text); });
    otevri(o->dialog);
    return o;
}

QByteArray s_portem(const QByteArray& port) {
    QByteArray k = konfigurace;
    return k.replace("com=3", "com=" + port);
}

} // namespace

class test_frm_com : public QObject {
    Q_OBJECT

private slots:
    void vychozi_volba_a_fokus();
    void prepne_na_zvoleny_port_data();
    void prepne_na_zvoleny_port();
    void nepodporovany_port_necha_dialog_otevreny();
    void storno_data();
    void storno();
    void zavreny_dialog_zanikne();
};

void test_frm_com::vychozi_volba_a_fokus() {
    temp_folder slozka;
    slozka.write("tarvik.ini", konfigurace);
    auto o = otevri_dialog(slozka);
    // COM 1 whatever is configured.
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(o->volba(i)->isChecked(), i == 0);
    }
    QVERIFY(o->tlacitko("bt_ok")->isDefault());
    QCOMPARE(QApplication::focusWidget(), o->tlacitko("bt_ok"));
    const QList<QWidget*> poradi{o->tlacitko("bt_storno"), o->volba(0)};
    for (QWidget* dalsi : poradi) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dalsi);
    }
}

void test_frm_com::prepne_na_zvoleny_port_data() {
    QTest::addColumn<int>("volba");
    QTest::addColumn<bool>("enterem");
    QTest::newRow("COM 1 at once by Enter") << 0 << true;
    QTest::newRow("COM 2 by the ok button") << 1 << false;
    QTest::newRow("COM 3, the port already configured") << 2 << false;
    QTest::newRow("COM 4 by Enter") << 3 << true;
}

void test_frm_com::prepne_na_zvoleny_port() {
    QFETCH(int, volba);
    QFETCH(bool, enterem);
    temp_folder slozka;
    slozka.write("tarvik.ini", konfigurace);
    message_recorder zpravy;
    auto o = otevri_dialog(slozka);
    o->volba(volba)->click();
    if (enterem)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    else
        o->tlacitko("bt_ok")->click();

    const int port = volba + 1;
    QCOMPARE(o->prepnuto, QList<int>{port});
    QCOMPARE(slozka.read("tarvik.ini"), s_portem(QByteArray::number(port)));
    QCOMPARE(o->panel2, QStringList{QStringLiteral("COM%1").arg(port)});
    QVERIFY(zpravy.zpravy.isEmpty());
    proved_smazani();
    QVERIFY(!o->dialog);
}

void test_frm_com::nepodporovany_port_necha_dialog_otevreny() {
    temp_folder slozka;
    slozka.write("tarvik.ini", konfigurace);
    message_recorder zpravy;
    auto o = otevri_dialog(slozka, {2, 4});
    o->volba(1)->click();
    o->tlacitko("bt_ok")->click();

    QCOMPARE(zpravy.zpravy.size(), 1);
    QCOMPARE(zpravy.zpravy[0].text,
             QStringLiteral("Zvolený port není systémem podporován. Zvolte jiný port."));
    QCOMPARE(zpravy.zpravy[0].titulek, QStringLiteral("Tarvik - chyba"));
    QVERIFY(zpravy.zpravy[0].ikona == ikona_zpravy::kriticka);
    QVERIFY(zpravy.zpravy[0].tlacitka == tlacitka_zpravy::ok);
    QCOMPARE(o->prepnuto, QList<int>{2});
    QCOMPARE(slozka.read("tarvik.ini"), konfigurace);
    QVERIFY(o->panel2.isEmpty());
    QVERIFY(o->dialog && o->dialog->isVisible());
    QVERIFY(o->volba(1)->isChecked());

    // Another port then works.
    o->volba(2)->click();
    o->tlacitko("bt_ok")->click();
    QCOMPARE(o->prepnuto, (QList<int>{2, 3}));
    QCOMPARE(zpravy.zpravy.size(), 1);
    QCOMPARE(slozka.read("tarvik.ini"), s_portem("3"));
    QCOMPARE(o->panel2, QStringList{"COM3"});
    proved_smazani();
    QVERIFY(!o->dialog);
}

void test_frm_com::storno_data() {
    QTest::addColumn<int>("jak");
    QTest::newRow("storno") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("window frame") << 2;
}

void test_frm_com::storno() {
    QFETCH(int, jak);
    temp_folder slozka;
    slozka.write("tarvik.ini", konfigurace);
    auto o = otevri_dialog(slozka);
    o->volba(3)->click();
    if (jak == 0)
        o->tlacitko("bt_storno")->click();
    else if (jak == 1)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else
        o->dialog->close();
    proved_smazani();
    QVERIFY(!o->dialog);
    QVERIFY(o->prepnuto.isEmpty());
    QVERIFY(o->panel2.isEmpty());
    QCOMPARE(slozka.read("tarvik.ini"), konfigurace);
}

void test_frm_com::zavreny_dialog_zanikne() {
    temp_folder slozka;
    slozka.write("tarvik.ini", konfigurace);
    message_recorder zpravy;
    proved_smazani();
    const auto pred = QApplication::topLevelWidgets().size();
    for (int i = 0; i < 10; ++i) {
        auto o = otevri_dialog(slozka, {1});
        o->tlacitko("bt_ok")->click(); // refused: the dialog stays
        QVERIFY(o->dialog);
        o->volba(i % 3 + 1)->click();
        o->tlacitko("bt_ok")->click();
        proved_smazani();
        QVERIFY(!o->dialog);
    }
    QCOMPARE(QApplication::topLevelWidgets().size(), pred);
}

QTEST_MAIN(test_frm_com)
#include "test_frm_com.moc"
