#include "config/codepage.h"
#include "config/config_file.h"
#include "dialogs/frm_cis_stykace.h"
#include "dialogs/frm_nazev_stykace.h"
#include "dialogs/frm_zalozky.h"
#include "support/full_disk.h"
#include "support/message_recorder.h"
#include "support/rows.h"
#include "support/temp_folder.h"
#include "support/texts.h"

#include <QtTest>
#include <QtWidgets>
#include <optional>

using namespace tarvik;
using namespace tarvik::test;
using namespace Qt::StringLiterals;

// Each test starts on the default tarvik.ini and records what the dialogs ask of the main window
// in volani_.
class tst_dialogs : public QObject {
    Q_OBJECT

    std::optional<docasna_slozka> slozka_;
    QByteArray pred_;
    zapisnik_zprav zpravy_;
    QStringList volani_;
    int posledni_radek_ = 0;

    QByteArray soubor() const { return slozka_->read("tarvik.ini"); }
    // The default file with one line replaced.
    QByteArray s_radkem(const QByteArray& stary, const QByteArray& novy) const {
        return QByteArray(pred_).replace("\r\n" + stary + "\r\n", "\r\n" + novy + "\r\n");
    }
    std::vector<std::unique_ptr<QDialog>> dialogy_; // the dialogs a test opened, gone at its end
    template <typename D> D* ukaz(D* d) {
        dialogy_.emplace_back(d);
        d->show();
        return d;
    }
    frm_cis_stykace* katalog(bool editace, int chlivek = 0) {
        return ukaz(new frm_cis_stykace(
            slozka_->ini(), editace, chlivek, posledni_radek_,
            [this](int c, const QString& cislo, const QString& nazev) {
                volani_ << u"chlivek %1: %2 %3"_s.arg(c).arg(cislo, nazev);
            },
            [this] { volani_ << "obnov chlivky"; }));
    }
    static QTableWidget* grid(QWidget* d) { return d->findChild<QTableWidget*>("MSHFlexGrid1"); }
    static void klikni(QWidget* d, const char* jmeno) {
        d->findChild<QAbstractButton*>(jmeno)->click();
    }

private Q_SLOTS:
    void init() {
        slozka_.emplace();
        QVERIFY(vytvor_konfiguracni_soubor(slozka_->ini()));
        pred_ = soubor();
        zpravy_.vymaz();
        volani_.clear();
        posledni_radek_ = 0;
    }

    // With the test's dialogs gone, no window may be left (a name entry goes when it is closed).
    void cleanup() {
        dialogy_.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        slozka_.reset();
        QVERIFY2(QApplication::topLevelWidgets().isEmpty(), "a window was left behind");
    }

    // The catalogue lists "---" and every contactor by its name. It opens at the row chosen last
    // when that lies beyond the first screenful, with a screenful above it. Choosing a row (row
    // 1 is "---") gives the cell its contactor, writes it, remembers the row and closes the
    // catalogue; Esc (row 0) changes nothing. The cells hold "0" in the default file.
    // The first row shown is 1 where the catalogue opens at its top.
    void katalog_data() {
        sloupce<int, int, int, int, QByteArray, QString>(
            {"posledni", "prvni_viditelny", "chlivek", "radek", "novy", "volani"});
        radek("last 16, the first screen; Esc", 16, 1, 4, 0, "0"_ba, QString());
        radek("last 17, below it; 5 by Enter", 17, 2, 0, 7, "5"_ba, "chlivek 0: 5 stykač 5");
        radek("last 40; --- by double-click", 40, 25, 200, 1, "---"_ba, "chlivek 200: --- ---");
        radek("last beyond the grid; Esc", 500, 1, 4, 0, "0"_ba, QString());
    }
    void katalog() {
        const auto [posledni, prvni_viditelny, chlivek, radek, novy, volani] =
            hodnoty<int, int, int, int, QByteArray, QString>();
        posledni_radek_ = posledni;
        auto d = katalog(false, chlivek);
        QStringList radky, ocekavane{"--- nepřiřazeno"};
        for (int r = 0; r < grid(d)->rowCount(); ++r)
            radky << grid(d)->item(r, 0)->text() + ' ' + grid(d)->item(r, 1)->text();
        for (int k = 0; k < 128; ++k)
            ocekavane << u"%1 stykač %1"_s.arg(k);
        QCOMPARE(radky, ocekavane);
        QCOMPARE(d->aktualni_radek(), prvni_viditelny == 1 ? 1 : posledni);
        QCOMPARE(d->prvni_viditelny_radek(), prvni_viditelny);

        grid(d)->setCurrentCell(radek - 1, 0);
        if (radek == 1) { // the first click of a double-click is an ordinary click
            const QPoint bod = grid(d)->visualRect(grid(d)->model()->index(0, 1)).center();
            QTest::mouseClick(grid(d)->viewport(), Qt::LeftButton, {}, bod);
            QTest::mouseDClick(grid(d)->viewport(), Qt::LeftButton, {}, bod);
        } else {
            QTest::keyClick(grid(d), radek ? Qt::Key_Return : Qt::Key_Escape);
        }
        const QByteArray bunka = "chlivek" + QByteArray::number(chlivek) + '=';
        QCOMPARE(volani_.join(u';'), volani);
        QCOMPARE(soubor(), s_radkem(bunka + '0', bunka + novy));
        QCOMPARE(posledni_radek_, radek ? radek : posledni);
    }

    // "---" has no name to edit. The name entry starts with the old name selected, so typing
    // replaces it; it takes 20 characters. "ulož" writes the name and shows it in the catalogue,
    // "storno" neither (and rejects the dialog); the main window redraws its cells once the
    // catalogue closes.
    void prejmenovani_data() {
        QTest::addColumn<bool>("uloz");
        radek("ulož by Enter", true);
        radek("storno", false);
    }
    void prejmenovani() {
        QFETCH(bool, uloz);
        auto d = katalog(true);
        QTest::keyClick(grid(d), Qt::Key_Return);
        QVERIFY(!d->findChild<frm_nazev_stykace*>());
        grid(d)->setCurrentCell(8, 0);
        QTest::keyClick(grid(d), Qt::Key_Return);
        auto* nazev = d->findChild<frm_nazev_stykace*>();
        auto* Text1 = nazev->findChild<QLineEdit*>("Text1");
        QTest::keyClicks(Text1, "Cerpadlo kotelny 7 ab");
        uloz ? QTest::keyClick(Text1, Qt::Key_Return) : klikni(nazev, "Command2");
        const QString novy = uloz ? "Cerpadlo kotelny 7 a" : "stykač 7";
        QCOMPARE(grid(d)->item(8, 1)->text(), novy);
        QCOMPARE(soubor(), s_radkem("stykac7=styka\xE8 7", na_cp1250("stykac7=" + novy)));
        QCOMPARE(volani_, QStringList());
        QCOMPARE(nazev->result(), int(uloz));
        QTest::keyClick(grid(d), Qt::Key_Escape);
        QCOMPARE(volani_, QStringList{"obnov chlivky"});
    }

    // On a file without the section every tab is unticked; Esc writes nothing, "ulož" with no tab
    // ticked is refused, otherwise the keys are added in order. A caption takes 11 characters.
    void zalozky() {
        const QByteArray bez_zalozek = "[system]\r\ncom=2\r\n";
        slozka_->write("tarvik.ini", bez_zalozek);
        const auto otevri = [this] {
            return ukaz(new frm_zalozky(slozka_->ini(), [this] { volani_ << "obnov zalozky"; }));
        };
        QTest::keyClick(otevri(), Qt::Key_Escape);
        auto d = otevri();
        klikni(d, "cmd_uloz");
        QCOMPARE(zpravy_.texty(), QStringList{"Alespoň jedna záložka musí být aktivní."});
        QCOMPARE(soubor(), bez_zalozek);
        QVERIFY(d->isVisible());
        klikni(d, "Check1_3");
        d->findChild<QLineEdit*>("Text1_1")->clear();
        QTest::keyClicks(d->findChild<QLineEdit*>("Text1_1"), "Kotelna sever");
        klikni(d, "cmd_uloz");
        QCOMPARE(volani_, QStringList{"obnov zalozky"});
        QCOMPARE(soubor(), bez_zalozek +
                               "[zalozky]\r\nnazev1=---\r\naktivni1=0\r\nnazev2=Kotelna "
                               "sev\r\naktivni2=0\r\nnazev3=---\r\naktivni3=0\r\n"
                               "nazev4=---\r\naktivni4=1\r\nnazev5=---\r\naktivni5=0\r\n");
    }

    // A change that the file cannot take is told once per dialog (the tab dialog writes ten
    // values), and the window is not shown what the file does not hold: the tabs are read back,
    // the cell is not given the contactor.
    void neulozena_zmena() {
        if (!plny_disk::funguje)
            QSKIP("no full disk to be had here");
        {
            [[maybe_unused]] const plny_disk plny;
            auto zalozky =
                ukaz(new frm_zalozky(slozka_->ini(), [this] { volani_ << "obnov zalozky"; }));
            klikni(zalozky, "Check1_1");
            klikni(zalozky, "cmd_uloz");
            auto d = katalog(false, 3);
            grid(d)->setCurrentCell(6, 0);
            QTest::keyClick(grid(d), Qt::Key_Return);
        }
        QCOMPARE(zpravy_.texty(), QStringList(2, texty::neulozeno));
        QCOMPARE(volani_, QStringList{"obnov zalozky"});
        QCOMPARE(soubor(), pred_);
    }
};

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
