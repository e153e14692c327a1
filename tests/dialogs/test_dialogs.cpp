#include "config/codepage.h"
#include "config/config_file.h"
#include "dialogs/frm_cis_stykace.h"
#include "dialogs/frm_com.h"
#include "dialogs/frm_nazev_stykace.h"
#include "dialogs/frm_zalozky.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>
#include <optional>

using namespace tarvik;
using namespace tarvik::test;

// Each test starts on the default tarvik.ini and records what the dialogs ask of the main window
// in volani_.
class test_dialogs : public QObject {
    Q_OBJECT

    std::optional<temp_folder> slozka_;
    QByteArray pred_;
    message_recorder zpravy_;
    QStringList volani_;
    int posledni_radek_ = 0;

    QString ini() const { return slozka_->ini(); }
    QByteArray soubor() const { return slozka_->read("tarvik.ini"); }
    // The default file with one line replaced.
    QByteArray s_radkem(const QByteArray& stary, const QByteArray& novy) const {
        return QByteArray(pred_).replace("\r\n" + stary + "\r\n", "\r\n" + novy + "\r\n");
    }
    QPointer<frm_cis_stykace> katalog(bool editace, int chlivek = 0) {
        QPointer<frm_cis_stykace> d = new frm_cis_stykace(
            ini(), editace, chlivek, posledni_radek_,
            [this](int c, const QString& cislo, const QString& nazev) {
                volani_ << QStringLiteral("chlivek %1: %2 %3").arg(c).arg(cislo, nazev);
            },
            [this] { volani_ << "obnov chlivky"; });
        d->show();
        return d;
    }
    static QTableWidget* grid(QWidget* d) { return d->findChild<QTableWidget*>("MSHFlexGrid1"); }
    // Makes grid row r (row 0 being the header) current and presses Enter.
    static void vyber(QWidget* d, int r) {
        grid(d)->setCurrentCell(r - 1, 0);
        QTest::keyClick(grid(d), Qt::Key_Return);
    }

private Q_SLOTS:
    void init() {
        slozka_.emplace();
        QVERIFY(vytvor_konfiguracni_soubor(ini()));
        pred_ = soubor();
        zpravy_.vymaz();
        volani_.clear();
        posledni_radek_ = 0;
    }

    // Every dialog a test has closed must be gone by now; whatever is left is removed so that
    // the next test starts clean.
    void cleanup() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QWidgetList okna = QApplication::topLevelWidgets();
        for (QPointer<QWidget> okno : QList<QPointer<QWidget>>(okna.begin(), okna.end()))
            delete okno.data();
        slozka_.reset();
        QVERIFY2(okna.isEmpty(), "a dialog was left open or not destroyed");
    }

    void katalog_ukaze_vsechny_stykace() {
        auto d = katalog(false);
        QTableWidget* g = grid(d);
        QCOMPARE(g->rowCount() + 1, 130);
        QCOMPARE(g->item(0, 0)->text() + g->item(0, 1)->text(), QStringLiteral("---nepřiřazeno"));
        for (int k = 0; k < pocet_stykacu; ++k) {
            QCOMPARE(g->item(k + 1, 0)->text(), QString::number(k));
            QCOMPARE(g->item(k + 1, 1)->text(), QStringLiteral("stykač %1").arg(k));
        }
        d->close();
    }

    void prirazeni_data() {
        QTest::addColumn<int>("chlivek");
        QTest::addColumn<int>("radek");
        QTest::addColumn<QByteArray>("novy");
        QTest::addColumn<QString>("volani");
        QTest::newRow("contactor 5 to cell 0 by Enter")
            << 0 << 7 << QByteArray("chlivek0=5") << "chlivek 0: 5 stykač 5";
        QTest::newRow("unassigned to cell 200 by double-click")
            << 200 << 1 << QByteArray("chlivek200=---") << "chlivek 200: --- ---";
    }
    void prirazeni() {
        QFETCH(int, chlivek);
        QFETCH(int, radek);
        QFETCH(QByteArray, novy);
        QFETCH(QString, volani);
        auto d = katalog(false, chlivek);
        if (radek == 1) {
            // The first click of a double-click is an ordinary click.
            const QPoint bod = grid(d)->visualRect(grid(d)->model()->index(0, 1)).center();
            QTest::mouseClick(grid(d)->viewport(), Qt::LeftButton, {}, bod);
            QTest::mouseDClick(grid(d)->viewport(), Qt::LeftButton, {}, bod);
        } else {
            vyber(d, radek);
        }
        QCOMPARE(volani_, QStringList{volani});
        // Both cells hold "0" in the default file.
        QCOMPARE(soubor(), s_radkem("chlivek" + QByteArray::number(chlivek) + "=0", novy));
        QCOMPARE(posledni_radek_, radek);
    }

    void prejmenovani_do_20_znaku() {
        auto d = katalog(true);
        vyber(d, 9);
        auto* Text1 = d->findChild<frm_nazev_stykace*>()->findChild<QLineEdit*>("Text1");
        QCOMPARE(Text1->text(), QStringLiteral("stykač 7"));
        // The old name is selected, so typing replaces it; the 21st character is refused.
        QTest::keyClicks(Text1, "Cerpadlo kotelny 7 ab");
        QTest::keyClick(Text1, Qt::Key_Return);
        QCOMPARE(soubor(),
                 s_radkem(na_cp1250(u"stykac7=stykač 7"), "stykac7=Cerpadlo kotelny 7 a"));
        QCOMPARE(grid(d)->item(8, 1)->text(), QStringLiteral("Cerpadlo kotelny 7 a"));
        QVERIFY(volani_.isEmpty());
        QTest::keyClick(grid(d), Qt::Key_Escape);
        QCOMPARE(volani_, QStringList{"obnov chlivky"});
    }

    // Esc closes the catalogue without writing anything, in names mode after a name entry
    // left by "storno".
    void esc_data() {
        QTest::addColumn<bool>("editace");
        QTest::newRow("assignment") << false;
        QTest::newRow("names") << true;
    }
    void esc() {
        QFETCH(bool, editace);
        auto d = katalog(editace, 4);
        if (editace) {
            vyber(d, 9);
            auto* nazev = d->findChild<frm_nazev_stykace*>();
            QTest::keyClicks(nazev->findChild<QLineEdit*>("Text1"), "Jiny");
            nazev->findChild<QPushButton*>("Command2")->click();
            QCOMPARE(grid(d)->item(8, 1)->text(), QStringLiteral("stykač 7"));
        }
        QTest::keyClick(grid(d), Qt::Key_Escape);
        QCOMPARE(volani_, editace ? QStringList{"obnov chlivky"} : QStringList{});
        QCOMPARE(soubor(), pred_);
    }

    void otevre_na_poslednim_radku_data() {
        QTest::addColumn<int>("posledni");
        QTest::addColumn<int>("aktualni");
        QTest::addColumn<int>("prvni_viditelny");
        QTest::newRow("row 10, on the first screen") << 10 << 1 << 1;
        QTest::newRow("row 17, just below it") << 17 << 17 << 2;
        QTest::newRow("row 40") << 40 << 40 << 25;
        QTest::newRow("beyond the grid") << 500 << 1 << 1;
    }
    void otevre_na_poslednim_radku() {
        QFETCH(int, posledni);
        QFETCH(int, aktualni);
        QFETCH(int, prvni_viditelny);
        posledni_radek_ = posledni;
        auto d = katalog(false);
        QCOMPARE(d->aktualni_radek(), aktualni);
        QCOMPARE(d->prvni_viditelny_radek(), prvni_viditelny);
        d->close();
    }

    // On a file without the section every tab is unticked; the keys are added in order.
    void zalozky() {
        const QByteArray bez_zalozek = "[system]\r\ncom=2\r\n";
        slozka_->write("tarvik.ini", bez_zalozek);
        QPointer<frm_zalozky> d = new frm_zalozky(ini(), [this] { volani_ << "obnov zalozky"; });
        d->show();
        QTest::keyClick(d, Qt::Key_Escape);
        QCOMPARE(soubor(), bez_zalozek);

        d = new frm_zalozky(ini(), [this] { volani_ << "obnov zalozky"; });
        d->show();
        d->findChild<QPushButton*>("cmd_uloz")->click();
        QCOMPARE(zpravy_.texty(), QStringList{"Alespoň jedna záložka musí být aktivní."});
        QCOMPARE(soubor(), bez_zalozek);
        QVERIFY(d->isVisible());
        d->findChild<QCheckBox*>("Check1_3")->click();
        d->findChild<QPushButton*>("cmd_uloz")->click();
        QCOMPARE(soubor(),
                 bez_zalozek +
                     "[zalozky]\r\nnazev1=---\r\naktivni1=0\r\nnazev2=---\r\naktivni2=0\r\n"
                     "nazev3=---\r\naktivni3=0\r\nnazev4=---\r\naktivni4=1\r\n"
                     "nazev5=---\r\naktivni5=0\r\n");
        QCOMPARE(volani_, QStringList{"obnov zalozky"});
    }

    // COM 1 is preselected whatever is configured; a port the system refuses keeps the dialog
    // open and writes nothing.
    void com() {
        bool prijme = false;
        QPointer<frm_com> d = new frm_com(
            ini(),
            [&](int n) {
                volani_ << QStringLiteral("port %1").arg(n);
                return prijme;
            },
            [this](const QString& text) { volani_ << "panel " + text; });
        d->show();
        d->findChild<QPushButton*>("bt_ok")->click();
        QCOMPARE(volani_, QStringList{"port 1"});
        QCOMPARE(zpravy_.texty(),
                 QStringList{"Zvolený port není systémem podporován. Zvolte jiný port."});
        QCOMPARE(soubor(), pred_);
        QVERIFY(d->isVisible());

        prijme = true;
        d->findChild<QRadioButton*>("Option1_2")->click();
        d->findChild<QPushButton*>("bt_ok")->click();
        QCOMPARE(volani_, (QStringList{"port 1", "port 3", "panel COM3"}));
        QCOMPARE(soubor(), s_radkem("com=1", "com=3"));
        QVERIFY(!d->isVisible());
    }
};

QTEST_MAIN(test_dialogs)
#include "test_dialogs.moc"
