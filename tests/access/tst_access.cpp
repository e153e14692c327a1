#include "access/frm_login.h"
#include "access/frm_zmena_hesla.h"
#include "access/hash_string.h"
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

class tst_access : public QObject {
    Q_OBJECT

    // "title: text" of each message shown; " (!)" ends one that is not critical with OK alone.
    QStringList zpravy_;

    // Fills the dialog's password fields in order (each shows a "*" for every character) and
    // presses Enter, which its default button takes: the dialog closes.
    void potvrd(QDialog& dialog, const QStringList& texty) {
        zapisnik_zprav zpravy;
        // Showing makes the first button the default one when the dialog named none.
        QVERIFY(std::ranges::any_of(dialog.findChildren<QPushButton*>(), &QPushButton::isDefault));
        dialog.show();
        const auto pole = dialog.findChildren<QLineEdit*>();
        QCOMPARE(pole.size(), texty.size());
        for (qsizetype i = 0; i < pole.size(); ++i) {
            pole[i]->setText(texty[i]);
            QCOMPARE(pole[i]->displayText(), QString(pole[i]->text().size(), u'*'));
        }
        QTest::keyClick(pole.last(), Qt::Key_Return);
        QVERIFY(dialog.isHidden());
        for (const zprava& z : zpravy.zpravy) {
            const bool kriticka =
                z.ikona == ikona_zpravy::kriticka && z.tlacitka == tlacitka_zpravy::ok;
            zpravy_.append(z.titulek + u": "_s + z.text + (kriticka ? ""_L1 : " (!)"_L1));
        }
    }

private Q_SLOTS:
    void init() { zpravy_.clear(); }

    // Each group is its four Windows-1250 codes as a big-endian number; the groups are XORed.
    // A group above 0x7FFFFFFF gives no hash (-1 here: a hash is never negative).
    void hash_data() {
        sloupce<QString, qint32>({"text", "hash"});
        radek("1 znak + qe4", u"a"_s, 0x61716534);
        radek("3 znaky + q", u"abc"_s, 0x61626371);
        radek("cesky na 4. a 6. miste", u"aaačač"_s, 0x616161E8 ^ 0x61E87165);
        radek("mimo kodovou stranku je ?", u"中"_s, 0x3F716534);
        radek("euro (kod 128) na 9. miste", u"abcdefgh€"_s, -1);
        radek("nejvetsi skupina", u"\x7f˙˙˙"_s, 0x7fffffff);
        radek("nejdelsi text", QString(nejdelsi_hashovany_text, u'a'), 0x61616161);
        radek("o znak delsi", QString(nejdelsi_hashovany_text + 1, u'a'), -1);
    }

    void hash() {
        const auto [text, hash] = hodnoty<QString, qint32>();
        QCOMPARE(HashString(text).value_or(-1), hash);
    }

    // system/heslo as stored (null: no such key); the new password typed twice into the change
    // dialog (none: not opened; on a full disk where the row's name says so); the password then
    // given to the login; the messages of both; system/heslo afterwards (null: unchanged). "_'0s"
    // gives the hash of a new file, 1596403827.
    void hesla_data() {
        sloupce<QByteArray, QStringList, QString, QStringList, QByteArray>(
            {"ulozene", "zmena", "zadane", "zpravy", "po"});
        const QByteArray vychozi = "1596403827", nic;
        const QString heslo = u"_'0s"_s, pismena = u"abcdefghijklmnopqrstuvwxy"_s;
        const QStringList ok, spatne{u"Tarvik - Chyba: Špatné heslo."_s};
        const auto dvakrat = [](const QString& h) { return QStringList{h, h}; };
        radek("vychozi hash a jeho heslo", vychozi, ok, heslo, ok, nic);
        radek("uvodni nuly", "001596403827"_ba, ok, heslo, ok, nic);
        radek("vychozi hash + 2^32", "5891371123"_ba, ok, heslo, spatne, nic);
        radek("vychozi hash se znamenkem", "+1596403827"_ba, ok, heslo, spatne, nic);
        radek("-0 neni hash prazdneho hesla", "-0"_ba, ok, QString(), spatne, nic);
        radek("nejvetsi hash", "2147483647"_ba, ok, u"@ŔŔŔ????"_s, ok, nic);
        radek("hlavni heslo velkym", vychozi, ok, u"Kovar"_s, spatne, nic);
        radek("prazdna hodnota neni 0", ""_ba, ok, QString(), spatne, nic);
        radek("bez klice prazdne heslo neplati", nic, ok, QString(), spatne, nic);
        radek("bez klice hlavni heslo", nic, ok, u"kovar"_s, ok, nic);
        radek("heslo bez hashe neni 0", "0"_ba, ok, u"čabc"_s, spatne, nic);
        radek("zmena na abcd", vychozi, dvakrat(u"abcd"_s), u"abcd"_s, ok, "1633837924"_ba);
        radek("zmena na prazdne", vychozi, dvakrat(QString()), QString(), ok, "0"_ba);
        radek("zmena na 25 znaku, plati 20", vychozi, dvakrat(pismena), pismena.left(20), ok,
              "1903326052"_ba);
        radek("zmena na ruzna hesla", vychozi, QStringList{"Heslo", "heslo"}, heslo,
              QStringList{u"Tarvik - chyba: Heslo nebylo zadáno dvakrát stejně."_s}, nic);
        radek("zmena na cesky na 1. miste", vychozi, dvakrat(u"čtyři"_s), heslo,
              QStringList{u"Tarvik - chyba: Toto heslo nelze použít. Na 1., 5., 9., 13. a 17. "
                          u"místě hesla nesmí být písmeno s diakritikou ani jiný znak mimo "
                          u"základní sadu ASCII. Heslo nebylo změněno."_s},
              nic);
        // A change that the file cannot take is told, and the old password still logs in.
        radek("zmena na plny disk", vychozi, dvakrat(u"abcd"_s), heslo,
              QStringList{u"Tarvik - chyba: "_s + texty::neulozeno}, nic);
    }

    // The login goes by the file as the change dialog left it.
    void hesla() {
        const auto [ulozene, zmena, zadane, zpravy, po] =
            hodnoty<QByteArray, QStringList, QString, QStringList, QByteArray>();
        docasna_slozka slozka;
        const QByteArray klic = ulozene.isNull() ? QByteArray() : "heslo=" + ulozene + "\r\n";
        const QByteArray ini = "[system]\r\ncom=1\r\n" + klic + "[zalozky]\r\nnazev1=První\r\n";
        slozka.write(u"tarvik.ini"_s, ini);
        if (!zmena.isEmpty()) {
            std::optional<plny_disk> plny;
            if (QByteArray(QTest::currentDataTag()).endsWith("plny disk")) {
                if (!plny_disk::funguje)
                    QSKIP("no full disk to be had here");
                plny.emplace();
            }
            frm_zmena_hesla zmena_hesla(slozka.ini());
            potvrd(zmena_hesla, zmena);
        }
        int prijato = 0;
        frm_login login(slozka.ini(), [&] { ++prijato; });
        potvrd(login, {zadane});
        QCOMPARE(zpravy_, zpravy);
        QCOMPARE(prijato, zpravy.contains(u"Tarvik - Chyba: Špatné heslo."_s) ? 0 : 1);
        QCOMPARE(slozka.read(u"tarvik.ini"_s),
                 po.isNull() ? ini : QByteArray(ini).replace("=" + ulozene, "=" + po));
    }
};

QTEST_MAIN(tst_access)
#include "tst_access.moc"
