#include "config/codepage.h"
#include "config/config_file.h"
#include "dialog_test.h"
#include "dialogs/frm_cis_stykace.h"
#include "dialogs/frm_nazev_stykace.h"
#include "support/temp_folder.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <memory>

using namespace tarvik;
using namespace tarvik::test;

namespace {

struct nastaveni {
    int chlivek;
    QString cislo;
    QString nazev;
    bool operator==(const nastaveni&) const = default;
};

// One opened catalogue and what it asked of the main window.
struct katalog {
    QPointer<frm_cis_stykace> dialog;
    QList<nastaveni> nastaveno;
    int obnoveni = 0; // calls of inicializuj_chlivky

    QTableWidget* grid() const { return dialog->findChild<QTableWidget*>("MSHFlexGrid1"); }
    QString text(int radek_gridu, int sloupec) const {
        return grid()->item(radek_gridu - 1, sloupec)->text();
    }
    void jdi_na(int radek_gridu) const { grid()->setCurrentCell(radek_gridu - 1, 0); }
    frm_nazev_stykace* nazev() const { return dialog->findChild<frm_nazev_stykace*>(); }
};

std::unique_ptr<katalog> otevri_katalog(const temp_folder& slozka, bool editace, int chlivek = 0) {
    auto k = std::make_unique<katalog>();
    k->dialog = new frm_cis_stykace(
        slozka.ini(), editace, chlivek,
        [p = k.get()](int c, const QString& cislo, const QString& nazev) {
            p->nastaveno.append({c, cislo, nazev});
        },
        [p = k.get()] { ++p->obnoveni; });
    otevri(k->dialog);
    return k;
}

void vychozi(const temp_folder& slozka) {
    QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
}

} // namespace

class test_frm_cis_stykace : public QObject {
    Q_OBJECT

private slots:
    void init() { posledni_radek() = 0; }

    void radky_z_vychoziho_souboru();
    void chybejici_a_dlouhe_nazvy();
    void prirazeni_data();
    void prirazeni();
    void klavesnici_bez_mysi();
    void esc_data();
    void esc();
    void prejmenovani();
    void radek_neprirazeno_pri_editaci();
    void otevre_na_poslednim_radku_data();
    void otevre_na_poslednim_radku();

    void nazev_nejvyse_20_znaku();
    void nazev_vybran_pri_fokusu();
    void nazev_storno_data();
    void nazev_storno();
    void nazev_prazdny_se_zapise();
    void nazev_poradi_tabulatoru();

    void zavrene_dialogy_zaniknou();
};

void test_frm_cis_stykace::radky_z_vychoziho_souboru() {
    temp_folder slozka;
    vychozi(slozka);
    auto k = otevri_katalog(slozka, false);
    QTableWidget* grid = k->grid();
    QCOMPARE(grid->rowCount() + 1, 130); // grid row 0 is the header
    QCOMPARE(grid->columnCount(), 2);
    QVERIFY(grid->horizontalHeader()->isVisible());
    for (int s = 0; s < 2; ++s)
        QCOMPARE(grid->model()->headerData(s, Qt::Horizontal).toString(), QString());
    QVERIFY(!grid->verticalHeader()->isVisible());
    QCOMPARE(grid->columnWidth(0), 53);  // 800 twips
    QCOMPARE(grid->columnWidth(1), 133); // 2000 twips
    QCOMPARE(k->text(1, 0), QStringLiteral("---"));
    QCOMPARE(k->text(1, 1), QStringLiteral("nepřiřazeno"));
    for (int n = 0; n < 128; ++n) {
        QCOMPARE(k->text(n + 2, 0), QString::number(n));
        QCOMPARE(k->text(n + 2, 1), QStringLiteral("stykač %1").arg(n));
    }
    QCOMPARE(k->dialog->aktualni_radek(), 1);
    // Sixteen rows below the header are in view.
    QCOMPARE(k->dialog->prvni_viditelny_radek(), 1);
    QCOMPARE(grid->rowAt(grid->viewport()->height() - 1) + 1, 16);
    QVERIFY(grid->editTriggers() == QAbstractItemView::NoEditTriggers);
    QVERIFY(!(grid->item(5, 1)->flags() & Qt::ItemIsEditable));
}

void test_frm_cis_stykace::chybejici_a_dlouhe_nazvy() {
    temp_folder slozka;
    slozka.write("tarvik.ini",
                 na_cp1250(u"[stykace]\r\nstykac3=Čerpadlo\r\nstykac4=123456789012345678901234\r\n"
                           "stykac5=\r\n"));
    auto k = otevri_katalog(slozka, false);
    QCOMPARE(k->text(2, 1), QStringLiteral("---"));
    QCOMPARE(k->text(5, 1), QStringLiteral("Čerpadlo"));
    QCOMPARE(k->text(6, 1), QStringLiteral("12345678901234567890"));
    QCOMPARE(k->text(7, 1), QString());
    QCOMPARE(k->text(129, 1), QStringLiteral("---"));
}

void test_frm_cis_stykace::prirazeni_data() {
    QTest::addColumn<int>("chlivek");
    QTest::addColumn<int>("radek");
    QTest::addColumn<bool>("dvojklik");
    QTest::addColumn<QString>("cislo");
    QTest::addColumn<QString>("nazev");
    QTest::newRow("contactor 5 to cell 0 by Enter") << 0 << 7 << false << "5"
                                                    << "stykač 5";
    QTest::newRow("contactor 127 to cell 319 by double-click") << 319 << 129 << true << "127"
                                                               << "stykač 127";
    QTest::newRow("unassigned to cell 200") << 200 << 1 << true << "---"
                                            << "---";
}

void test_frm_cis_stykace::prirazeni() {
    QFETCH(int, chlivek);
    QFETCH(int, radek);
    QFETCH(bool, dvojklik);
    QFETCH(QString, cislo);
    QFETCH(QString, nazev);
    temp_folder slozka;
    vychozi(slozka);
    const QByteArray pred = slozka.read("tarvik.ini");
    auto k = otevri_katalog(slozka, false, chlivek);
    if (dvojklik) {
        QTableWidget* grid = k->grid();
        grid->scrollToItem(grid->item(radek - 1, 0));
        const QPoint bod = grid->visualRect(grid->model()->index(radek - 1, 1)).center();
        // The first click of a double-click is an ordinary click.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, bod);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, bod);
    } else {
        k->jdi_na(radek);
        QTest::keyClick(k->grid(), Qt::Key_Return);
    }

    QCOMPARE(k->nastaveno, (QList<nastaveni>{{chlivek, cislo, nazev}}));
    QCOMPARE(k->obnoveni, 0);
    QCOMPARE(posledni_radek(), radek);
    // Only the cell's line has changed.
    QList<QByteArray> ocekavane = radky(pred);
    const QByteArray klic = "chlivek" + QByteArray::number(chlivek) + "=";
    const auto i = std::find_if(ocekavane.begin(), ocekavane.end(),
                                [&](const QByteArray& r) { return r.startsWith(klic); });
    QVERIFY(i != ocekavane.end());
    *i = klic + cislo.toLatin1();
    QCOMPARE(radky(slozka.read("tarvik.ini")), ocekavane);
    proved_smazani();
    QVERIFY(!k->dialog);
}

void test_frm_cis_stykace::klavesnici_bez_mysi() {
    temp_folder slozka;
    vychozi(slozka);
    auto k = otevri_katalog(slozka, false, 12);
    QCOMPARE(QApplication::focusWidget(), k->grid());
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(k->grid(), Qt::Key_Down);
    QCOMPARE(k->dialog->aktualni_radek(), 7);
    QVERIFY(k->grid()->selectionModel()->isRowSelected(6, {}));
    QTest::keyClick(k->grid(), Qt::Key_Home);
    QTest::keyClick(k->grid(), Qt::Key_PageDown);
    QVERIFY(k->dialog->aktualni_radek() > 7);
    QTest::keyClick(k->grid(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(k->dialog->aktualni_radek(), 129);
    QTest::keyClick(k->grid(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(k->nastaveno, (QList<nastaveni>{{12, "127", "stykač 127"}}));
}

void test_frm_cis_stykace::esc_data() {
    QTest::addColumn<bool>("editace");
    QTest::addColumn<bool>("ramem");
    QTest::addColumn<int>("obnoveni");
    QTest::newRow("assignment, Esc") << false << false << 0;
    QTest::newRow("assignment, window frame") << false << true << 0;
    QTest::newRow("names, Esc") << true << false << 1;
    QTest::newRow("names, window frame") << true << true << 1;
}

void test_frm_cis_stykace::esc() {
    QFETCH(bool, editace);
    QFETCH(bool, ramem);
    QFETCH(int, obnoveni);
    temp_folder slozka;
    vychozi(slozka);
    const QByteArray pred = slozka.read("tarvik.ini");
    posledni_radek() = 33;
    auto k = otevri_katalog(slozka, editace, 4);
    k->jdi_na(9);
    if (ramem)
        k->dialog->close();
    else
        QTest::keyClick(k->grid(), Qt::Key_Escape);
    proved_smazani();
    QVERIFY(!k->dialog);
    QCOMPARE(k->obnoveni, obnoveni);
    QVERIFY(k->nastaveno.isEmpty());
    QCOMPARE(posledni_radek(), 33);
    QCOMPARE(slozka.read("tarvik.ini"), pred);
}

void test_frm_cis_stykace::prejmenovani() {
    temp_folder slozka;
    vychozi(slozka);
    const QByteArray pred = slozka.read("tarvik.ini");
    auto k = otevri_katalog(slozka, true);
    k->jdi_na(9);
    QTest::keyClick(k->grid(), Qt::Key_Return);

    QPointer<frm_nazev_stykace> nazev = k->nazev();
    QVERIFY(nazev && nazev->isVisible());
    QVERIFY(nazev->isModal());
    QCOMPARE(nazev->findChild<QLineEdit*>("Text2")->text(), QStringLiteral("7"));
    auto* Text1 = nazev->findChild<QLineEdit*>("Text1");
    QCOMPARE(Text1->text(), QStringLiteral("stykač 7"));
    QVERIFY(k->dialog->isVisible());
    QCOMPARE(posledni_radek(), 9);

    // The name is selected on opening, so typing replaces it.
    QTest::keyClicks(Text1, "Cerpadlo kotelny 7 ab");
    QCOMPARE(Text1->text(), QStringLiteral("Cerpadlo kotelny 7 a"));
    QTest::keyClick(Text1, Qt::Key_Return);
    proved_smazani();
    QVERIFY(!nazev);
    QVERIFY(k->dialog && k->dialog->isVisible());
    QCOMPARE(k->text(9, 1), QStringLiteral("Cerpadlo kotelny 7 a"));
    QCOMPARE(k->obnoveni, 0);

    auto ocekavane = radky(pred);
    ocekavane.replace(ocekavane.indexOf(na_cp1250(u"stykac7=stykač 7")),
                      "stykac7=Cerpadlo kotelny 7 a");
    QCOMPARE(radky(slozka.read("tarvik.ini")), ocekavane);

    QTest::keyClick(k->grid(), Qt::Key_Escape);
    proved_smazani();
    QVERIFY(!k->dialog);
    QCOMPARE(k->obnoveni, 1);
    QVERIFY(k->nastaveno.isEmpty());
}

void test_frm_cis_stykace::radek_neprirazeno_pri_editaci() {
    temp_folder slozka;
    vychozi(slozka);
    const QByteArray pred = slozka.read("tarvik.ini");
    posledni_radek() = 50;
    auto k = otevri_katalog(slozka, true);
    k->jdi_na(1);
    QTest::keyClick(k->grid(), Qt::Key_Return);
    QCOMPARE(k->nazev(), nullptr);
    QCOMPARE(posledni_radek(), 1);
    QVERIFY(k->dialog->isVisible());
    QCOMPARE(k->obnoveni, 0);
    QCOMPARE(slozka.read("tarvik.ini"), pred);
}

void test_frm_cis_stykace::otevre_na_poslednim_radku_data() {
    QTest::addColumn<int>("posledni");
    QTest::addColumn<int>("aktualni");
    QTest::addColumn<int>("prvni_viditelny");
    QTest::newRow("start") << 0 << 1 << 1;
    QTest::newRow("row 10") << 10 << 1 << 1;
    QTest::newRow("row 16") << 16 << 1 << 1;
    QTest::newRow("row 17") << 17 << 17 << 2;
    QTest::newRow("row 40") << 40 << 40 << 25;
    QTest::newRow("row 129") << 129 << 129 << 114;
    QTest::newRow("beyond the grid") << 500 << 1 << 1;
}

void test_frm_cis_stykace::otevre_na_poslednim_radku() {
    QFETCH(int, posledni);
    QFETCH(int, aktualni);
    QFETCH(int, prvni_viditelny);
    temp_folder slozka;
    vychozi(slozka);
    posledni_radek() = posledni;
    auto k = otevri_katalog(slozka, false);
    QCOMPARE(k->dialog->aktualni_radek(), aktualni);
    QCOMPARE(k->dialog->prvni_viditelny_radek(), prvni_viditelny);
    const auto vybrane = k->grid()->selectionModel()->selectedIndexes();
    QCOMPARE(vybrane.size(), 2);
    for (const auto& index : vybrane)
        QCOMPARE(index.row() + 1, aktualni);
    // The chosen row is on screen.
    QVERIFY(k->grid()->rowAt(k->grid()->viewport()->height() - 1) + 1 >= aktualni);
}

namespace {
// A name entry for contactor 7, opened on its own.
QPointer<frm_nazev_stykace> otevri_nazev(const temp_folder& slozka, const QString& nazev,
                                         QStringList* ulozene = nullptr) {
    QPointer<frm_nazev_stykace> d = new frm_nazev_stykace(slozka.ini(), "7", nazev);
    if (ulozene)
        QObject::connect(d, &frm_nazev_stykace::nazev_ulozen,
                         [ulozene](const QString& n) { ulozene->append(n); });
    otevri(d);
    return d;
}
QLineEdit* pole(QWidget* d, const char* jmeno) {
    return d->findChild<QLineEdit*>(jmeno);
}
QPushButton* tlacitko(QWidget* d, const char* jmeno) {
    return d->findChild<QPushButton*>(jmeno);
}
} // namespace

void test_frm_cis_stykace::nazev_nejvyse_20_znaku() {
    temp_folder slozka;
    vychozi(slozka);
    QStringList ulozene;
    auto d = otevri_nazev(slozka, "stykač 7", &ulozene);
    QLineEdit* Text1 = pole(d, "Text1");
    QCOMPARE(Text1->maxLength(), 20);
    QTest::keyClicks(Text1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QCOMPARE(Text1->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    tlacitko(d, "Command1")->click();
    QCOMPARE(ulozene, QStringList{"ABCDEFGHIJKLMNOPQRST"});
    QVERIFY(radky(slozka.read("tarvik.ini")).contains("stykac7=ABCDEFGHIJKLMNOPQRST"));
    QCOMPARE(cti_hodnotu(slozka.ini(), u"stykace", u"stykac7", "---", kapacita::stykac),
             QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
}

void test_frm_cis_stykace::nazev_vybran_pri_fokusu() {
    temp_folder slozka;
    auto d = otevri_nazev(slozka, "Čerpadlo");
    QLineEdit* Text1 = pole(d, "Text1");
    QCOMPARE(QApplication::focusWidget(), Text1);
    QCOMPARE(Text1->selectedText(), QStringLiteral("Čerpadlo"));

    const auto znovu = [&](auto&& zamer) {
        tlacitko(d, "Command2")->setFocus();
        Text1->deselect();
        zamer();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), Text1);
        QCOMPARE(Text1->selectedText(), QStringLiteral("Čerpadlo"));
    };
    znovu([&] { Text1->setFocus(Qt::OtherFocusReason); });
    znovu([&] { QTest::mouseClick(Text1, Qt::LeftButton, {}, QPoint(4, Text1->height() / 2)); });
    znovu([&] { QTest::keyClick(tlacitko(d, "Command2"), Qt::Key_Tab); });
}

void test_frm_cis_stykace::nazev_storno_data() {
    QTest::addColumn<int>("jak");
    QTest::newRow("storno") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("window frame") << 2;
}

void test_frm_cis_stykace::nazev_storno() {
    QFETCH(int, jak);
    temp_folder slozka;
    vychozi(slozka);
    const QByteArray pred = slozka.read("tarvik.ini");
    QStringList ulozene;
    auto d = otevri_nazev(slozka, "stykač 7", &ulozene);
    QTest::keyClicks(pole(d, "Text1"), "Jiny");
    if (jak == 0)
        tlacitko(d, "Command2")->click();
    else if (jak == 1)
        QTest::keyClick(pole(d, "Text1"), Qt::Key_Escape);
    else
        d->close();
    proved_smazani();
    QVERIFY(!d);
    QVERIFY(ulozene.isEmpty());
    QCOMPARE(slozka.read("tarvik.ini"), pred);
}

void test_frm_cis_stykace::nazev_prazdny_se_zapise() {
    temp_folder slozka;
    vychozi(slozka);
    QStringList ulozene;
    auto d = otevri_nazev(slozka, "stykač 7", &ulozene);
    QTest::keyClick(pole(d, "Text1"), Qt::Key_Delete);
    QTest::keyClick(pole(d, "Text1"), Qt::Key_Return);
    QCOMPARE(ulozene, QStringList{QString()});
    QVERIFY(radky(slozka.read("tarvik.ini")).contains("stykac7="));
    proved_smazani();
    QVERIFY(!d);
}

void test_frm_cis_stykace::nazev_poradi_tabulatoru() {
    temp_folder slozka;
    auto d = otevri_nazev(slozka, "x");
    QLineEdit* Text1 = pole(d, "Text1");
    QLineEdit* Text2 = pole(d, "Text2");
    QVERIFY(Text2->isReadOnly());
    QVERIFY(Text2->font().bold());
    QVERIFY(tlacitko(d, "Command1")->isDefault());
    const QList<QWidget*> poradi{Text2, tlacitko(d, "Command1"), tlacitko(d, "Command2"), Text1};
    for (QWidget* dalsi : poradi) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dalsi);
    }
}

void test_frm_cis_stykace::zavrene_dialogy_zaniknou() {
    temp_folder slozka;
    vychozi(slozka);
    proved_smazani();
    const auto pred = QApplication::topLevelWidgets().size();
    for (int i = 0; i < 5; ++i) {
        auto k = otevri_katalog(slozka, true);
        k->jdi_na(20);
        QTest::keyClick(k->grid(), Qt::Key_Return);
        QPointer<frm_nazev_stykace> nazev = k->nazev();
        QVERIFY(nazev);
        QTest::keyClick(pole(nazev, "Text1"), i % 2 ? Qt::Key_Escape : Qt::Key_Return);
        QTest::keyClick(k->grid(), Qt::Key_Escape);
        proved_smazani();
        QVERIFY(!nazev);
        QVERIFY(!k->dialog);
    }
    for (int i = 0; i < 5; ++i) {
        auto k = otevri_katalog(slozka, false, i);
        QTest::keyClick(k->grid(), Qt::Key_Return);
        proved_smazani();
        QVERIFY(!k->dialog);
    }
    QCOMPARE(QApplication::topLevelWidgets().size(), pred);
}

QTEST_MAIN(test_frm_cis_stykace)
#include "test_frm_cis_stykace.moc"
