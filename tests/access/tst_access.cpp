#include "access/frm_login.h"
#include "access/frm_zmena_hesla.h"
#include "access/hash_string.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

using namespace tarvik;
using namespace tarvik::test;
using namespace Qt::StringLiterals;

namespace {

constexpr qint32 bez_hashe = -1; // a hash is never negative

// system/heslo holds the hash that a newly created file carries; "_'0s" is a password giving it.
const QByteArray puvodni_ini = "[system]\r\ncom=2\r\nheslo=1596403827\r\n"
                               "[zalozky]\r\naktivni1=1\r\nnazev1=První\r\n";

template <typename... T> void radek(const char* nazev, const T&... sloupce) {
    (QTest::newRow(nazev) << ... << sloupce);
}

} // namespace

class tst_access : public QObject {
    Q_OBJECT

    int prijato_ = 0;     // calls of the login's acceptance
    QStringList zpravy_;  // "title: text" of each message shown
    bool smazan_ = false; // the dialog deleted itself on closing
    QList<qint64> ikony_; // the buttons' icons, by what they share

    // Fills the dialog's password fields in order (each shows a "*" for every character), presses
    // Enter (the default button) and runs the deletion that the closing dialog posts.
    void potvrd(QDialog* d, const QStringList& texty) {
        zapisnik_zprav zpravy;
        QPointer<QDialog> dialog = d;
        dialog->show();
        ikony_.clear();
        for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            ikony_.append(b->icon().cacheKey());
        std::sort(ikony_.begin(), ikony_.end());
        const auto pole = dialog->findChildren<QLineEdit*>();
        QCOMPARE(pole.size(), texty.size());
        for (qsizetype i = 0; i < pole.size(); ++i) {
            pole[i]->setText(texty[i]);
            QCOMPARE(pole[i]->displayText(), QString(pole[i]->text().size(), u'*'));
        }
        QTest::keyClick(pole.last(), Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        smazan_ = dialog.isNull();
        zpravy_.clear();
        for (const zprava& z : zpravy.zpravy) // critical, with OK alone
            zpravy_.append(z.titulek + u": "_s + z.text +
                           (z.ikona == ikona_zpravy::kriticka && z.tlacitka == tlacitka_zpravy::ok
                                ? ""_L1
                                : " (!)"_L1));
    }

    void prihlas(const QString& ini, const QString& heslo) {
        prijato_ = 0;
        potvrd(new frm_login(ini, [this] { ++prijato_; }), {heslo});
    }

private Q_SLOTS:
    // Each group is its four Windows-1250 codes as a big-endian number; the groups are XORed.
    void hash_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("hash");
        QTest::newRow("prazdny text") << QString() << 0;
        QTest::newRow("1 znak + qe4") << u"a"_s << 0x61716534;
        QTest::newRow("3 znaky + q") << u"abc"_s << 0x61626371;
        QTest::newRow("5 znaku + qe4") << u"kovar"_s << (0x6B6F7661 ^ 0x72716534);
        QTest::newRow("stejna skupina dvakrat") << u"abcdabcd"_s << 0;
        QTest::newRow("cesky na 4. a 6. miste") << u"aaačač"_s << (0x616161E8 ^ 0x61E87165);
        QTest::newRow("mimo kodovou stranku je ?") << u"中"_s << 0x3F716534;
        QTest::newRow("vychozi heslo") << u"_'0s"_s << 1596403827;
        QTest::newRow("cesky na 1. miste") << u"čabc"_s << bez_hashe;
        QTest::newRow("euro (kod 128) na 9. miste") << u"abcdefgh€"_s << bez_hashe;
        QTest::newRow("nejdelsi text") << QString(nejdelsi_hashovany_text, u'a') << 0x61616161;
        QTest::newRow("o znak delsi") << QString(nejdelsi_hashovany_text + 1, u'a') << bez_hashe;
    }

    void hash() {
        QFETCH(QString, text);
        QFETCH(qint32, hash);
        QCOMPARE(HashString(text).value_or(bez_hashe), hash);
    }

    void prihlaseni_data() {
        QTest::addColumn<QByteArray>("ulozene"); // system/heslo; null: no such key
        QTest::addColumn<QString>("zadane");
        QTest::addColumn<bool>("prijato");
        radek("vychozi hash a jeho heslo", "1596403827"_ba, u"_'0s"_s, true);
        radek("uvodni nuly", "001596403827"_ba, u"_'0s"_s, true);
        radek("pres 32 bitu", QByteArray::number(0x1'0000'0000LL + 1596403827), u"_'0s"_s, false);
        radek("hlavni heslo", "1596403827"_ba, u"kovar"_s, true);
        radek("hlavni heslo s nesmyslem", "nesmysl"_ba, u"kovar"_s, true);
        radek("hlavni heslo velkym", "1596403827"_ba, u"Kovar"_s, false);
        radek("prazdna hodnota neni 0", ""_ba, QString(), false);
        radek("bez klice prazdne heslo neplati", QByteArray(), QString(), false);
        radek("bez klice hlavni heslo", QByteArray(), u"kovar"_s, true);
        radek("heslo bez hashe neni 0", "0"_ba, u"čabc"_s, false);
    }

    void prihlaseni() {
        QFETCH(QByteArray, ulozene);
        QFETCH(QString, zadane);
        QFETCH(bool, prijato);
        docasna_slozka slozka;
        QByteArray ini = "[system]\r\ncom=1\r\n";
        if (!ulozene.isNull())
            ini += "heslo=" + ulozene + "\r\n";
        slozka.write(u"tarvik.ini"_s, ini);

        prihlas(slozka.ini(), zadane);
        QCOMPARE(
            std::tuple(prijato_, zpravy_, smazan_, slozka.read(u"tarvik.ini"_s)),
            std::tuple(prijato ? 1 : 0,
                       prijato ? QStringList() : QStringList{u"Tarvik - Chyba: Špatné heslo."_s},
                       true, ini));
    }

    void zmena_hesla_data() {
        QTest::addColumn<QString>("heslo");
        QTest::addColumn<QString>("znovu");
        QTest::addColumn<QByteArray>("radek"); // the new heslo line; null: nothing written
        QTest::addColumn<QString>("zprava");
        const QString nelze = u"Tarvik - chyba: "_s + zprava_heslo_nelze_pouzit;
        const QString pismena = u"abcdefghijklmnopqrstuvwxy"_s;
        const QString ok;
        radek("abcd", u"abcd"_s, u"abcd"_s, "heslo=1633837924"_ba, ok);
        radek("prazdne", ok, ok, "heslo=0"_ba, ok);
        radek("25 znaku, plati prvnich 20", pismena, pismena, "heslo=1903326052"_ba, ok);
        radek("ruzna hesla", u"Heslo"_s, u"heslo"_s, QByteArray(),
              u"Tarvik - chyba: Heslo nebylo zadáno dvakrát stejně."_s);
        radek("cesky na 1. miste", u"čtyři"_s, u"čtyři"_s, QByteArray(), nelze);
    }

    void zmena_hesla() {
        QFETCH(QString, heslo);
        QFETCH(QString, znovu);
        QFETCH(QByteArray, radek);
        QFETCH(QString, zprava);
        docasna_slozka slozka;
        slozka.write(u"tarvik.ini"_s, puvodni_ini);

        potvrd(new frm_zmena_hesla(slozka.ini()), {heslo, znovu});
        QCOMPARE(std::tuple(zpravy_, smazan_, slozka.read(u"tarvik.ini"_s)),
                 std::tuple(zprava.isEmpty() ? QStringList() : QStringList{zprava}, true,
                            radek.isNull()
                                ? puvodni_ini
                                : QByteArray(puvodni_ini).replace("heslo=1596403827", radek)));

        // The next login already goes by the file: the new password, or the old one when refused.
        // Its buttons share their icons with every other dialog: opening one costs no new ones.
        const QList<qint64> ikony = ikony_;
        prihlas(slozka.ini(), radek.isNull() ? u"_'0s"_s : heslo.left(20));
        QCOMPARE(prijato_, 1);
        QCOMPARE(ikony_, ikony);
    }
};

QTEST_MAIN(tst_access)
#include "tst_access.moc"
