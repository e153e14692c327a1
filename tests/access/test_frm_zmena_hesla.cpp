#include "access/frm_login.h"
#include "access/frm_zmena_hesla.h"
#include "otevreni.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace tarvik;
using namespace tarvik::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray puvodni_ini = "[system]\r\ncom=2\r\nheslo=1596403827\r\n"
                               "[zalozky]\r\naktivni1=1\r\nnazev1=První\r\n";

struct zmena {
    QList<zprava> zpravy;
    bool smazan = false;
};

// Opens the password change on `cesta`, fills both fields and presses "ok".
zmena zmen_heslo(const QString& cesta, const QString& heslo, const QString& znovu) {
    message_recorder zpravy;
    QPointer<frm_zmena_hesla> dialog = new frm_zmena_hesla(cesta);
    if (!otevri(dialog))
        qWarning("the password change did not become active");
    dialog->findChild<QLineEdit*>(u"nove_heslo"_s)->setText(heslo);
    auto* druhe = dialog->findChild<QLineEdit*>(u"nove_heslo_znovu"_s);
    druhe->setText(znovu);
    QTest::keyClick(druhe, Qt::Key_Return);
    zmena z{zpravy.zpravy, false};
    proved_smazani();
    z.smazan = dialog.isNull();
    delete dialog.data();
    return z;
}

// Logs in on `cesta` with `heslo` through a fresh login dialog; true when accepted.
bool prihlasi_se(const QString& cesta, const QString& heslo) {
    message_recorder zpravy;
    bool prijato = false;
    auto* dialog = new frm_login(cesta, [&prijato] { prijato = true; });
    dialog->findChild<QLineEdit*>(u"txtPassword"_s)->setText(heslo);
    dialog->findChild<QPushButton*>(u"cmdOK"_s)->click();
    proved_smazani();
    return prijato;
}

} // namespace

class test_frm_zmena_hesla : public QObject {
    Q_OBJECT

private slots:
    void ulozi_hash_a_heslo_plati_hned_data();
    void ulozi_hash_a_heslo_plati_hned();
    void ruzna_hesla_nic_nezapisou();
    void heslo_bez_hashe_odmitnuto_data();
    void heslo_bez_hashe_odmitnuto();
    void storno_nic_nezapise();
    void nejvyse_20_znaku();
    void ovladaci_prvky();
};

void test_frm_zmena_hesla::ulozi_hash_a_heslo_plati_hned_data() {
    QTest::addColumn<QString>("heslo");
    QTest::addColumn<QByteArray>("radek");

    QTest::newRow("abcd") << u"abcd"_s << QByteArray("heslo=1633837924");
    QTest::newRow("prazdne") << QString() << QByteArray("heslo=0");
    QTest::newRow("cesky na 2. a 3. miste") << u"ačř"_s << QByteArray("heslo=1642657905");
    QTest::newRow("20 znaku") << u"abcdefghijklmnopqrst"_s
                              << "heslo=" + QByteArray::number(0x61626364 ^ 0x65666768 ^
                                                               0x696A6B6C ^ 0x6D6E6F70 ^
                                                               0x71727374);
}

void test_frm_zmena_hesla::ulozi_hash_a_heslo_plati_hned() {
    QFETCH(QString, heslo);
    QFETCH(QByteArray, radek);

    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, puvodni_ini);
    const zmena z = zmen_heslo(slozka.ini(), heslo, heslo);
    QVERIFY(z.zpravy.isEmpty());
    QVERIFY(z.smazan);

    // Only the heslo line changes.
    QByteArray ocekavany = puvodni_ini;
    ocekavany.replace("heslo=1596403827", radek);
    QCOMPARE(slozka.read(u"tarvik.ini"_s), ocekavany);

    QVERIFY(prihlasi_se(slozka.ini(), heslo));
    QVERIFY(!prihlasi_se(slozka.ini(), u"_'0s"_s));
    QVERIFY(prihlasi_se(slozka.ini(), u"kovar"_s));
}

void test_frm_zmena_hesla::ruzna_hesla_nic_nezapisou() {
    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, puvodni_ini);
    const zmena z = zmen_heslo(slozka.ini(), u"Heslo"_s, u"heslo"_s);
    QCOMPARE(z.zpravy.size(), 1);
    QCOMPARE(z.zpravy[0].text, u"Heslo nebylo zadáno dvakrát stejně."_s);
    QCOMPARE(z.zpravy[0].titulek, u"Tarvik - chyba"_s);
    QCOMPARE(z.zpravy[0].ikona, ikona_zpravy::kriticka);
    QCOMPARE(z.zpravy[0].tlacitka, tlacitka_zpravy::ok);
    QVERIFY(z.smazan);
    QCOMPARE(slozka.read(u"tarvik.ini"_s), puvodni_ini);
}

void test_frm_zmena_hesla::heslo_bez_hashe_odmitnuto_data() {
    QTest::addColumn<QString>("heslo");
    QTest::newRow("cesky na 1. miste") << u"čtyři"_s;
    QTest::newRow("cesky na 5. miste") << u"heslřo"_s;
    QTest::newRow("cesky na 17. miste") << u"abcdefghijklmnopř"_s;
}

void test_frm_zmena_hesla::heslo_bez_hashe_odmitnuto() {
    QFETCH(QString, heslo);
    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, puvodni_ini);
    const zmena z = zmen_heslo(slozka.ini(), heslo, heslo);
    QCOMPARE(z.zpravy.size(), 1);
    QCOMPARE(z.zpravy[0].text, zprava_heslo_nelze_pouzit);
    QCOMPARE(z.zpravy[0].titulek, u"Tarvik - chyba"_s);
    QCOMPARE(z.zpravy[0].ikona, ikona_zpravy::kriticka);
    QVERIFY(z.smazan);
    QCOMPARE(slozka.read(u"tarvik.ini"_s), puvodni_ini);
    QVERIFY(prihlasi_se(slozka.ini(), u"_'0s"_s));
}

void test_frm_zmena_hesla::storno_nic_nezapise() {
    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, puvodni_ini);
    message_recorder zpravy;
    QPointer<frm_zmena_hesla> dialog = new frm_zmena_hesla(slozka.ini());
    QVERIFY(otevri(dialog));
    dialog->findChild<QLineEdit*>(u"nove_heslo"_s)->setText(u"abcd"_s);
    dialog->findChild<QLineEdit*>(u"nove_heslo_znovu"_s)->setText(u"abcd"_s);
    dialog->findChild<QPushButton*>(u"but_storno"_s)->click();
    proved_smazani();
    QVERIFY(dialog.isNull());
    QVERIFY(zpravy.zpravy.isEmpty());
    QCOMPARE(slozka.read(u"tarvik.ini"_s), puvodni_ini);
}

void test_frm_zmena_hesla::nejvyse_20_znaku() {
    temp_folder slozka;
    frm_zmena_hesla dialog(slozka.ini());
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    for (const auto* nazev : {"nove_heslo", "nove_heslo_znovu"}) {
        auto* pole = dialog.findChild<QLineEdit*>(QString::fromLatin1(nazev));
        QVERIFY(pole);
        QTest::keyClicks(pole, u"abcdefghijklmnopqrstuvwxy"_s);
        QCOMPARE(pole->text(), u"abcdefghijklmnopqrst"_s);
    }
}

void test_frm_zmena_hesla::ovladaci_prvky() {
    temp_folder slozka;
    frm_zmena_hesla dialog(slozka.ini());
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(dialog.windowTitle(), u"Tarvik - změna hesla"_s);
    QCOMPARE(dialog.size(), QSize(259, 213));

    auto* nove_heslo = dialog.findChild<QLineEdit*>(u"nove_heslo"_s);
    auto* nove_heslo_znovu = dialog.findChild<QLineEdit*>(u"nove_heslo_znovu"_s);
    auto* but_ok = dialog.findChild<QPushButton*>(u"but_ok"_s);
    auto* but_storno = dialog.findChild<QPushButton*>(u"but_storno"_s);
    for (const auto& [nazev, text] : {std::pair(u"Label1"_s, u"nové heslo:"_s),
                                      std::pair(u"Label2"_s, u"nové heslo znovu:"_s)}) {
        auto* label = dialog.findChild<QLabel*>(nazev);
        QCOMPARE(label->text(), text);
        QVERIFY2(label->width() >= label->sizeHint().width(), "the text is cut");
    }
    QCOMPARE(nove_heslo->echoMode(), QLineEdit::Password);
    QCOMPARE(nove_heslo_znovu->echoMode(), QLineEdit::Password);
    QCOMPARE(nove_heslo->geometry(), QRect(48, 32, 153, 19));
    QCOMPARE(nove_heslo_znovu->geometry(), QRect(48, 80, 153, 19));
    QCOMPARE(but_ok->text(), u"ok"_s);
    QVERIFY(but_ok->isDefault());
    QCOMPARE(but_ok->geometry(), QRect(16, 136, 97, 57));
    QCOMPARE(but_storno->text(), u"storno"_s);
    QCOMPARE(but_storno->geometry(), QRect(144, 136, 97, 57));

    QVERIFY(otevri(&dialog));
    QCOMPARE(poradi_tabulatoru(), (QWidgetList{nove_heslo, nove_heslo_znovu, but_ok, but_storno}));
}

QTEST_MAIN(test_frm_zmena_hesla)
#include "test_frm_zmena_hesla.moc"
