#include "config/codepage.h"
#include "dialog_test.h"
#include "dialogs/frm_zalozky.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace tarvik;
using namespace tarvik::test;

namespace {

// Tabs 1 to 5 all active, with the keys in the order the program writes them.
const QByteArray vse_aktivni = na_cp1250(u"[system]\r\n"
                                         "com=1\r\n"
                                         "[zalozky]\r\n"
                                         "nazev1=Hala A\r\n"
                                         "aktivni1=1\r\n"
                                         "nazev2=Hala B\r\n"
                                         "aktivni2=1\r\n"
                                         "nazev3=Sklad\r\n"
                                         "aktivni3=1\r\n"
                                         "nazev4=Kotelna\r\n"
                                         "aktivni4=1\r\n"
                                         "nazev5=Venek\r\n"
                                         "aktivni5=1\r\n"
                                         "[stykace]\r\n"
                                         "stykac0=Osvětlení\r\n");

} // namespace

class test_frm_zalozky : public QObject {
    Q_OBJECT

    struct otevreny {
        QPointer<frm_zalozky> dialog;
        int prestaveni = 0; // calls of inicializuj_zalozky

        QLineEdit* text(int i) const {
            return dialog->findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i));
        }
        QCheckBox* check(int i) const {
            return dialog->findChild<QCheckBox*>(QStringLiteral("Check1_%1").arg(i));
        }
        QPushButton* tlacitko(const char* jmeno) const {
            return dialog->findChild<QPushButton*>(jmeno);
        }
    };

    // Opens the dialog on the temporary folder's file.
    static std::unique_ptr<otevreny> otevri_dialog(const temp_folder& slozka) {
        auto o = std::make_unique<otevreny>();
        o->dialog = new frm_zalozky(slozka.ini(), [p = o.get()] { ++p->prestaveni; });
        otevri(o->dialog);
        return o;
    }

private slots:
    void nacte_nazvy_a_priznaky();
    void aktivni_podle_prvniho_znaku_data();
    void aktivni_podle_prvniho_znaku();
    void bez_aktivni_zalozky_nezapise_nic();
    void ulozi_vsech_deset_hodnot();
    void ulozi_v_poradi_do_chybejici_sekce();
    void ulozi_prazdny_a_zkraceny_nazev();
    void zavreni_bez_ulozeni_data();
    void zavreni_bez_ulozeni();
    void enter_ulozi();
    void poradi_tabulatoru();
    void zavreny_dialog_zanikne();
};

void test_frm_zalozky::nacte_nazvy_a_priznaky() {
    temp_folder slozka;
    // nazev3 is missing, nazev5 is longer than a caption can be.
    slozka.write("tarvik.ini",
                 na_cp1250(u"[zalozky]\r\nnazev1=Hala A\r\naktivni1=1\r\nnazev2=\r\naktivni2=0\r\n"
                           "aktivni3=1\r\nnazev5=Patnáct znaků!!\r\n"));
    auto o = otevri_dialog(slozka);
    const QStringList nazvy{"Hala A", "", "---", "---", "Patnáct zna"};
    const QList<bool> aktivni{true, false, true, false, false};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(o->text(i)->text(), nazvy[i]);
        QCOMPARE(o->check(i)->isChecked(), aktivni[i]);
        QCOMPARE(o->text(i)->maxLength(), 11);
    }
}

void test_frm_zalozky::aktivni_podle_prvniho_znaku_data() {
    QTest::addColumn<QByteArray>("radek");
    QTest::addColumn<bool>("zaskrtnuto");
    QTest::newRow("one") << QByteArray("aktivni1=1") << true;
    QTest::newRow("zero") << QByteArray("aktivni1=0") << false;
    QTest::newRow("one with blanks") << QByteArray("aktivni1 =  1  ") << true;
    QTest::newRow("cut to one character") << QByteArray("aktivni1=10") << true;
    QTest::newRow("minus one") << QByteArray("aktivni1=-1") << false;
    QTest::newRow("word") << QByteArray("aktivni1=ano") << false;
    QTest::newRow("empty") << QByteArray("aktivni1=") << false;
    QTest::newRow("missing") << QByteArray("nazev1=x") << false;
}

void test_frm_zalozky::aktivni_podle_prvniho_znaku() {
    QFETCH(QByteArray, radek);
    QFETCH(bool, zaskrtnuto);
    temp_folder slozka;
    slozka.write("tarvik.ini", "[zalozky]\r\n" + radek + "\r\n");
    auto o = otevri_dialog(slozka);
    QCOMPARE(o->check(0)->isChecked(), zaskrtnuto);
}

void test_frm_zalozky::bez_aktivni_zalozky_nezapise_nic() {
    temp_folder slozka;
    slozka.write("tarvik.ini", vse_aktivni);
    message_recorder zpravy;
    auto o = otevri_dialog(slozka);
    for (int i = 0; i < 5; ++i)
        o->check(i)->setChecked(false);
    o->text(0)->setText("Změněno");
    o->tlacitko("cmd_uloz")->click();

    QCOMPARE(zpravy.zpravy.size(), 1);
    QCOMPARE(zpravy.zpravy[0].text, QStringLiteral("Alespoň jedna záložka musí být aktivní."));
    QCOMPARE(zpravy.zpravy[0].titulek, QStringLiteral("Tarvik - chyba"));
    QVERIFY(zpravy.zpravy[0].ikona == ikona_zpravy::kriticka);
    QVERIFY(zpravy.zpravy[0].tlacitka == tlacitka_zpravy::ok);
    QCOMPARE(slozka.read("tarvik.ini"), vse_aktivni);
    QCOMPARE(o->prestaveni, 0);
    QVERIFY(o->dialog && o->dialog->isVisible());
    QCOMPARE(o->text(0)->text(), QStringLiteral("Změněno"));

    o->tlacitko("cmd_storno")->click();
    proved_smazani();
    QVERIFY(!o->dialog);
    QCOMPARE(slozka.read("tarvik.ini"), vse_aktivni);
}

void test_frm_zalozky::ulozi_vsech_deset_hodnot() {
    temp_folder slozka;
    slozka.write("tarvik.ini", vse_aktivni);
    auto o = otevri_dialog(slozka);
    for (int i : {0, 1, 2, 4})
        o->check(i)->setChecked(false);
    o->tlacitko("cmd_uloz")->click();

    QCOMPARE(o->prestaveni, 1);
    QCOMPARE(slozka.read("tarvik.ini"), na_cp1250(u"[system]\r\n"
                                                  "com=1\r\n"
                                                  "[zalozky]\r\n"
                                                  "nazev1=Hala A\r\n"
                                                  "aktivni1=0\r\n"
                                                  "nazev2=Hala B\r\n"
                                                  "aktivni2=0\r\n"
                                                  "nazev3=Sklad\r\n"
                                                  "aktivni3=0\r\n"
                                                  "nazev4=Kotelna\r\n"
                                                  "aktivni4=1\r\n"
                                                  "nazev5=Venek\r\n"
                                                  "aktivni5=0\r\n"
                                                  "[stykace]\r\n"
                                                  "stykac0=Osvětlení\r\n"));
    proved_smazani();
    QVERIFY(!o->dialog);
}

void test_frm_zalozky::ulozi_v_poradi_do_chybejici_sekce() {
    // Keys that do not exist yet are added in the order they are written.
    temp_folder slozka;
    slozka.write("tarvik.ini", "[system]\r\ncom=2\r\n");
    auto o = otevri_dialog(slozka);
    o->check(3)->setChecked(true);
    o->tlacitko("cmd_uloz")->click();
    QCOMPARE(radky(slozka.read("tarvik.ini")),
             (QList<QByteArray>{"[system]", "com=2", "[zalozky]", "nazev1=---", "aktivni1=0",
                                "nazev2=---", "aktivni2=0", "nazev3=---", "aktivni3=0",
                                "nazev4=---", "aktivni4=1", "nazev5=---", "aktivni5=0"}));
}

void test_frm_zalozky::ulozi_prazdny_a_zkraceny_nazev() {
    temp_folder slozka;
    slozka.write("tarvik.ini",
                 "[zalozky]\r\nnazev1=Hala A\r\naktivni1=1\r\nnazev2=Kotelna-sever-2\r\n");
    auto o = otevri_dialog(slozka);
    o->text(0)->clear();
    o->tlacitko("cmd_uloz")->click();
    const auto r = radky(slozka.read("tarvik.ini"));
    QVERIFY(r.contains("nazev1="));
    QVERIFY(r.contains("nazev2=Kotelna-sev"));
}

void test_frm_zalozky::zavreni_bez_ulozeni_data() {
    QTest::addColumn<int>("jak");
    QTest::newRow("storno") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("window frame") << 2;
}

void test_frm_zalozky::zavreni_bez_ulozeni() {
    QFETCH(int, jak);
    temp_folder slozka;
    slozka.write("tarvik.ini", vse_aktivni);
    auto o = otevri_dialog(slozka);
    o->check(0)->setChecked(false);
    o->text(1)->setText("Jinak");
    if (jak == 0)
        o->tlacitko("cmd_storno")->click();
    else if (jak == 1)
        QTest::keyClick(o->text(1), Qt::Key_Escape);
    else
        o->dialog->close();
    proved_smazani();
    QVERIFY(!o->dialog);
    QCOMPARE(o->prestaveni, 0);
    QCOMPARE(slozka.read("tarvik.ini"), vse_aktivni);
}

void test_frm_zalozky::enter_ulozi() {
    temp_folder slozka;
    slozka.write("tarvik.ini", vse_aktivni);
    auto o = otevri_dialog(slozka);
    o->text(2)->setFocus();
    QTest::keyClicks(o->text(2), "!");
    QTest::keyClick(o->text(2), Qt::Key_Return);
    QCOMPARE(o->prestaveni, 1);
    QVERIFY(radky(slozka.read("tarvik.ini")).contains("nazev3=Sklad!"));
}

void test_frm_zalozky::poradi_tabulatoru() {
    temp_folder slozka;
    auto o = otevri_dialog(slozka);
    QCOMPARE(QApplication::focusWidget(), o->check(0));
    QList<QWidget*> ocekavane;
    for (int i = 1; i < 5; ++i)
        ocekavane << o->check(i);
    for (int i = 0; i < 5; ++i)
        ocekavane << o->text(i);
    ocekavane << o->tlacitko("cmd_uloz") << o->tlacitko("cmd_storno") << o->check(0);
    for (QWidget* dalsi : ocekavane) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dalsi);
    }
    QVERIFY(o->tlacitko("cmd_uloz")->isDefault());
}

void test_frm_zalozky::zavreny_dialog_zanikne() {
    temp_folder slozka;
    slozka.write("tarvik.ini", vse_aktivni);
    proved_smazani();
    const auto pred = QApplication::topLevelWidgets().size();
    for (int i = 0; i < 10; ++i) {
        auto o = otevri_dialog(slozka);
        if (i % 2)
            o->tlacitko("cmd_uloz")->click();
        else
            QTest::keyClick(o->dialog, Qt::Key_Escape);
        proved_smazani();
        QVERIFY(!o->dialog);
    }
    QCOMPARE(QApplication::topLevelWidgets().size(), pred);
}

QTEST_MAIN(test_frm_zalozky)
#include "test_frm_zalozky.moc"
