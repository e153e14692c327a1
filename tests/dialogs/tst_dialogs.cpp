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
class tst_dialogs : public QObject {
    Q_OBJECT

    std::optional<docasna_slozka> slozka_;
    QByteArray pred_;
    zapisnik_zprav zpravy_;
    QStringList volani_;

    QByteArray soubor() const { return slozka_->read("tarvik.ini"); }
    // The default file with one line replaced.
    QByteArray s_radkem(const QByteArray& stary, const QByteArray& novy) const {
        return QByteArray(pred_).replace("\r\n" + stary + "\r\n", "\r\n" + novy + "\r\n");
    }
    QPointer<frm_cis_stykace> katalog(bool editace, int chlivek = 0) {
        QPointer<frm_cis_stykace> d = new frm_cis_stykace(
            slozka_->ini(), editace, chlivek,
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
        QVERIFY(vytvor_konfiguracni_soubor(slozka_->ini()));
        pred_ = soubor();
        zpravy_.vymaz();
        volani_.clear();
        posledni_radek() = 0;
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

    // The catalogue lists "---" and every contactor by its name; it opens at the row chosen
    // last, with a screenful above it, when that row lies beyond the first screenful.
    void katalog_data() {
        QTest::addColumn<int>("posledni");
        QTest::addColumn<int>("aktualni");
        QTest::addColumn<int>("prvni_viditelny");
        QTest::newRow("row 10, on the first screen") << 10 << 1 << 1;
        QTest::newRow("row 17, just below it") << 17 << 17 << 2;
        QTest::newRow("row 40") << 40 << 40 << 25;
        QTest::newRow("beyond the grid") << 500 << 1 << 1;
    }
    void katalog() {
        QFETCH(int, posledni);
        QFETCH(int, aktualni);
        QFETCH(int, prvni_viditelny);
        posledni_radek() = posledni;
        auto d = katalog(false);
        QCOMPARE(std::pair(d->aktualni_radek(), d->prvni_viditelny_radek()),
                 std::pair(aktualni, prvni_viditelny));
        QStringList radky, ocekavane{"--- nepřiřazeno"};
        for (int r = 0; r < grid(d)->rowCount(); ++r)
            radky << grid(d)->item(r, 0)->text() + ' ' + grid(d)->item(r, 1)->text();
        for (int k = 0; k < pocet_stykacu; ++k)
            ocekavane << QStringLiteral("%1 stykač %1").arg(k);
        QCOMPARE(radky, ocekavane);
        d->close();
    }

    // Choosing a row gives the cell its contactor, writes it and closes the catalogue; Esc
    // writes nothing (radek 0).
    void prirazeni_data() {
        QTest::addColumn<int>("chlivek");
        QTest::addColumn<int>("radek");
        QTest::addColumn<QByteArray>("novy");
        QTest::addColumn<QString>("volani");
        QTest::newRow("contactor 5 to cell 0 by Enter")
            << 0 << 7 << QByteArray("chlivek0=5") << "chlivek 0: 5 stykač 5";
        QTest::newRow("unassigned to cell 200 by double-click")
            << 200 << 1 << QByteArray("chlivek200=---") << "chlivek 200: --- ---";
        QTest::newRow("Esc") << 4 << 0 << QByteArray("chlivek4=0") << "";
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
        } else if (radek == 0) {
            QTest::keyClick(grid(d), Qt::Key_Escape);
        } else {
            vyber(d, radek);
        }
        QCOMPARE(volani_.join(u';'), volani);
        // The cells hold "0" in the default file.
        QCOMPARE(soubor(), s_radkem("chlivek" + QByteArray::number(chlivek) + "=0", novy));
        QCOMPARE(posledni_radek(), radek);
    }

    // The name entry starts with the old name selected, so typing replaces it; it takes 20
    // characters. "ulož" writes the name and shows it in the catalogue, "storno" neither; the main
    // window redraws its cells once the catalogue closes.
    void prejmenovani_data() {
        QTest::addColumn<bool>("uloz");
        QTest::newRow("ulož by Enter") << true;
        QTest::newRow("storno") << false;
    }
    void prejmenovani() {
        QFETCH(bool, uloz);
        auto d = katalog(true);
        vyber(d, 9);
        auto* nazev = d->findChild<frm_nazev_stykace*>();
        auto* Text1 = nazev->findChild<QLineEdit*>("Text1");
        QTest::keyClicks(Text1, "Cerpadlo kotelny 7 ab");
        uloz ? QTest::keyClick(Text1, Qt::Key_Return)
             : nazev->findChild<QPushButton*>("Command2")->click();
        const QString novy = uloz ? "Cerpadlo kotelny 7 a" : "stykač 7";
        QCOMPARE(grid(d)->item(8, 1)->text(), novy);
        QCOMPARE(soubor(), s_radkem(na_cp1250(u"stykac7=stykač 7"), "stykac7=" + na_cp1250(novy)));
        QVERIFY(volani_.isEmpty());
        QTest::keyClick(grid(d), Qt::Key_Escape);
        QCOMPARE(volani_, QStringList{"obnov chlivky"});
    }

    // On a file without the section every tab is unticked; Esc writes nothing, "ulož" with no tab
    // ticked is refused, otherwise the keys are added in order.
    void zalozky() {
        const QByteArray bez_zalozek = "[system]\r\ncom=2\r\n";
        slozka_->write("tarvik.ini", bez_zalozek);
        const auto otevri = [this] {
            auto* d = new frm_zalozky(slozka_->ini(), [this] { volani_ << "obnov zalozky"; });
            d->show();
            return QPointer(d);
        };
        QTest::keyClick(otevri(), Qt::Key_Escape);
        auto d = otevri();
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
            slozka_->ini(),
            [&](int n) {
                volani_ << QStringLiteral("port %1").arg(n);
                return prijme;
            },
            [this](const QString& text) { volani_ << "panel " + text; });
        d->show();
        QVERIFY(d->findChild<QRadioButton*>("Option1_0")->isChecked());
        d->findChild<QRadioButton*>("Option1_2")->click();
        d->findChild<QPushButton*>("bt_ok")->click();
        QCOMPARE(zpravy_.texty(),
                 QStringList{"Zvolený port není systémem podporován. Zvolte jiný port."});
        QCOMPARE(soubor(), pred_);
        QVERIFY(d->isVisible());
        prijme = true;
        d->findChild<QPushButton*>("bt_ok")->click();
        QCOMPARE(volani_, (QStringList{"port 3", "port 3", "panel COM3"}));
        QCOMPARE(soubor(), s_radkem("com=1", "com=3"));
        QVERIFY(!d->isVisible());
    }
};

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
