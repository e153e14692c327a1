#include "access/frm_login.h"
#include "access/hash_string.h"
#include "config/config_file.h"
#include "otevreni.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tarvik;
using namespace tarvik::test;
using namespace Qt::StringLiterals;

namespace {

// A configuration file whose system section holds `heslo` as given (no key at all when null).
QByteArray ini_s_heslem(const QByteArray& heslo) {
    QByteArray ini = "[system]\r\ncom=1\r\n";
    if (!heslo.isNull())
        ini += "heslo=" + heslo + "\r\n";
    return ini + "[zalozky]\r\naktivni1=1\r\n";
}

struct prihlaseni {
    bool prijato = false;
    int volani = 0;
    QList<zprava> zpravy;
    bool smazan = false;
};

// Opens the login on the file at `cesta`, types `heslo` and presses Enter (the default button).
prihlaseni prihlas(const QString& cesta, const QString& heslo) {
    message_recorder zpravy;
    prihlaseni p;
    QPointer<frm_login> dialog = new frm_login(cesta, [&p] { ++p.volani; });
    if (!otevri(dialog))
        qWarning("the login did not become active");
    auto* txtPassword = dialog->findChild<QLineEdit*>(u"txtPassword"_s);
    txtPassword->setText(heslo);
    QTest::keyClick(txtPassword, Qt::Key_Return);
    p.prijato = p.volani > 0;
    p.zpravy = zpravy.zpravy;
    proved_smazani();
    p.smazan = dialog.isNull();
    delete dialog.data();
    return p;
}

} // namespace

class test_frm_login : public QObject {
    Q_OBJECT

private slots:
    void pravidlo_data();
    void pravidlo();
    void spravne_heslo_bez_zpravy();
    void spatne_heslo_hlasi_a_neprihlasi();
    void prihlaseni_podle_souboru_data();
    void prihlaseni_podle_souboru();
    void vychozi_soubor();
    void storno_a_esc_nic_nemeni_data();
    void storno_a_esc_nic_nemeni();
    void enter_na_stornu_je_storno();
    void exec_jako_hlavni_okno();
    void ovladaci_prvky();
};

void test_frm_login::pravidlo_data() {
    QTest::addColumn<QString>("ulozene");
    QTest::addColumn<QString>("zadane");
    QTest::addColumn<bool>("prijato");

    const QString abcd = u"1633837924"_s; // HashString("abcd")
    QTest::newRow("hash sedi") << abcd << u"abcd"_s << true;
    QTest::newRow("hash nesedi") << abcd << u"abce"_s << false;
    QTest::newRow("prazdne heslo a 0") << u"0"_s << QString() << true;
    QTest::newRow("uvodni nuly") << u"0001633837924"_s << u"abcd"_s << true;
    QTest::newRow("hlavni heslo") << abcd << u"kovar"_s << true;
    QTest::newRow("hlavni heslo velkymi") << abcd << u"Kovar"_s << false;
    QTest::newRow("hlavni heslo s mezerou pred") << abcd << u" kovar"_s << false;
    QTest::newRow("hlavni heslo s mezerou za") << abcd << u"kovar "_s << false;
    QTest::newRow("Kovar s ulozenym hashem")
        << QString::number(*HashString(u"Kovar")) << u"Kovar"_s << true;
    QTest::newRow("prazdna hodnota") << QString() << QString() << false;
    QTest::newRow("prazdna hodnota a kovar") << QString() << u"kovar"_s << true;
    QTest::newRow("pismena") << u"abc"_s << QString() << false;
    QTest::newRow("pismena a kovar") << u"abc"_s << u"kovar"_s << true;
    QTest::newRow("cislo a pismena") << u"1633837924x"_s << u"abcd"_s << false;
    QTest::newRow("znamenko plus") << u"+1633837924"_s << u"abcd"_s << false;
    QTest::newRow("zaporna nula") << u"-0"_s << QString() << false;
    QTest::newRow("mezera uvnitr") << u"16338 37924"_s << u"abcd"_s << false;
    QTest::newRow("vetsi nez 32 bitu") << QString::number(0x1'6162'6364LL) << u"abcd"_s << false;
    QTest::newRow("20 devitek") << u"99999999999999999999"_s << u"abcd"_s << false;
    QTest::newRow("heslo bez hashe") << u"0"_s << u"čabc"_s << false;
    QTest::newRow("heslo bez hashe, kovar plati") << u"0"_s << u"kovar"_s << true;
}

void test_frm_login::pravidlo() {
    QFETCH(QString, ulozene);
    QFETCH(QString, zadane);
    QFETCH(bool, prijato);
    QCOMPARE(heslo_prijato(ulozene, zadane), prijato);
}

void test_frm_login::spravne_heslo_bez_zpravy() {
    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, ini_s_heslem("1633837924"));
    const QByteArray pred = slozka.read(u"tarvik.ini"_s);

    const prihlaseni p = prihlas(slozka.ini(), u"abcd"_s);
    QCOMPARE(p.volani, 1);
    QVERIFY(p.zpravy.isEmpty());
    QVERIFY(p.smazan);
    QCOMPARE(slozka.read(u"tarvik.ini"_s), pred);
}

void test_frm_login::spatne_heslo_hlasi_a_neprihlasi() {
    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, ini_s_heslem("1633837924"));
    const QByteArray pred = slozka.read(u"tarvik.ini"_s);

    const prihlaseni p = prihlas(slozka.ini(), u"abce"_s);
    QCOMPARE(p.volani, 0);
    QCOMPARE(p.zpravy.size(), 1);
    QCOMPARE(p.zpravy[0].text, u"Špatné heslo."_s);
    QCOMPARE(p.zpravy[0].titulek, u"Tarvik - Chyba"_s);
    QCOMPARE(p.zpravy[0].ikona, ikona_zpravy::kriticka);
    QCOMPARE(p.zpravy[0].tlacitka, tlacitka_zpravy::ok);
    QVERIFY(p.smazan);
    QCOMPARE(slozka.read(u"tarvik.ini"_s), pred);
}

void test_frm_login::prihlaseni_podle_souboru_data() {
    QTest::addColumn<QByteArray>("heslo"); // value of system/heslo; null: no key
    QTest::addColumn<QString>("zadane");
    QTest::addColumn<bool>("prijato");

    QTest::newRow("kovar s hashem") << QByteArray("1633837924") << u"kovar"_s << true;
    QTest::newRow("kovar s nesmyslem") << QByteArray("nesmysl") << u"kovar"_s << true;
    QTest::newRow("prazdne heslo s nesmyslem") << QByteArray("nesmysl") << QString() << false;
    QTest::newRow("prazdna hodnota, prazdne heslo") << QByteArray("") << QString() << false;
    QTest::newRow("prazdna hodnota, kovar") << QByteArray("") << u"kovar"_s << true;
    QTest::newRow("bez klice, prazdne heslo") << QByteArray() << QString() << true;
    QTest::newRow("bez klice, jine heslo") << QByteArray() << u"abcd"_s << false;
    QTest::newRow("hash ve 20 znacich s nulami")
        << QByteArray("00000000001633837924") << u"abcd"_s << true;
    // Only 20 characters of the value are read: the 21st digit is never seen.
    QTest::newRow("hash za 20. znakem")
        << QByteArray("000000000001633837924") << u"abcd"_s << false;
}

void test_frm_login::prihlaseni_podle_souboru() {
    QFETCH(QByteArray, heslo);
    QFETCH(QString, zadane);
    QFETCH(bool, prijato);

    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, ini_s_heslem(heslo));
    const prihlaseni p = prihlas(slozka.ini(), zadane);
    QCOMPARE(p.prijato, prijato);
    QCOMPARE(p.zpravy.size(), prijato ? 0 : 1);
    QVERIFY(p.smazan);
}

// A newly created file carries the hash 1596403827; "_'0s" is a password that gives it.
void test_frm_login::vychozi_soubor() {
    temp_folder slozka;
    QVERIFY(vytvor_konfiguracni_soubor(slozka.ini()));
    QVERIFY(prihlas(slozka.ini(), u"_'0s"_s).prijato);
    QVERIFY(prihlas(slozka.ini(), u"kovar"_s).prijato);
    QVERIFY(!prihlas(slozka.ini(), QString()).prijato);

    // No file at all reads as the default "0".
    temp_folder prazdna;
    QVERIFY(prihlas(prazdna.ini(), QString()).prijato);
    QVERIFY(!prihlas(prazdna.ini(), u"abcd"_s).prijato);
}

void test_frm_login::storno_a_esc_nic_nemeni_data() {
    QTest::addColumn<bool>("esc");
    QTest::newRow("storno") << false;
    QTest::newRow("Esc") << true;
}

void test_frm_login::storno_a_esc_nic_nemeni() {
    QFETCH(bool, esc);
    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, ini_s_heslem("0"));
    message_recorder zpravy;
    int volani = 0;
    QPointer<frm_login> dialog = new frm_login(slozka.ini(), [&volani] { ++volani; });
    QVERIFY(otevri(dialog));
    if (esc)
        QTest::keyClick(dialog->findChild<QLineEdit*>(u"txtPassword"_s), Qt::Key_Escape);
    else
        dialog->findChild<QPushButton*>(u"cmdCancel"_s)->click();
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    proved_smazani();
    QVERIFY(dialog.isNull());
    QCOMPARE(volani, 0);
    QVERIFY(zpravy.zpravy.isEmpty());
}

// "storno" with the focus: Enter presses it, not the default "ok".
void test_frm_login::enter_na_stornu_je_storno() {
    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, ini_s_heslem("0"));
    message_recorder zpravy;
    int volani = 0;
    QPointer<frm_login> dialog = new frm_login(slozka.ini(), [&volani] { ++volani; });
    QVERIFY(otevri(dialog));
    auto* cmdCancel = dialog->findChild<QPushButton*>(u"cmdCancel"_s);
    cmdCancel->setFocus();
    QTest::keyClick(cmdCancel, Qt::Key_Return);
    proved_smazani();
    QVERIFY(dialog.isNull());
    QCOMPARE(volani, 0);
    QVERIFY(zpravy.zpravy.isEmpty());
}

// The main window opens the login with (new frm_login(...))->exec(): it is gone when exec returns.
void test_frm_login::exec_jako_hlavni_okno() {
    temp_folder slozka;
    slozka.write(u"tarvik.ini"_s, ini_s_heslem("0"));
    message_recorder zpravy;
    int volani = 0;
    QPointer<frm_login> dialog = new frm_login(slozka.ini(), [&volani] { ++volani; });
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->findChild<QLineEdit*>(u"txtPassword"_s)->setText(u"kovar"_s);
        dialog->findChild<QPushButton*>(u"cmdOK"_s)->click();
    });
    QCOMPARE(dialog->exec(), int(QDialog::Accepted));
    QVERIFY(dialog.isNull());
    QCOMPARE(volani, 1);
    QVERIFY(zpravy.zpravy.isEmpty());
}

void test_frm_login::ovladaci_prvky() {
    temp_folder slozka;
    frm_login dialog(slozka.ini(), {});
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(dialog.windowTitle(), u"Tarvik - login"_s);
    QCOMPARE(dialog.size(), QSize(250, 133));

    auto* txtPassword = dialog.findChild<QLineEdit*>(u"txtPassword"_s);
    QVERIFY(txtPassword);
    QCOMPARE(txtPassword->echoMode(), QLineEdit::Password);
    QCOMPARE(txtPassword->maxLength(), 255);
    QVERIFY(txtPassword->text().isEmpty());
    QCOMPARE(txtPassword->geometry(), QRect(72, 8, 155, 23));
    QCOMPARE(dialog.findChild<QLabel*>(u"lblLabels"_s)->buddy(), txtPassword);

    auto* cmdOK = dialog.findChild<QPushButton*>(u"cmdOK"_s);
    auto* cmdCancel = dialog.findChild<QPushButton*>(u"cmdCancel"_s);
    QCOMPARE(cmdOK->text(), u"ok"_s);
    QVERIFY(cmdOK->isDefault());
    QCOMPARE(cmdOK->geometry(), QRect(24, 56, 92, 58));
    QCOMPARE(cmdCancel->text(), u"storno"_s);
    QCOMPARE(cmdCancel->geometry(), QRect(136, 56, 92, 58));
    QVERIFY(!cmdOK->icon().pixmap(32, 32).isNull());
    QVERIFY(!cmdCancel->icon().pixmap(32, 32).isNull());
    QCOMPARE(cmdOK->iconSize(), QSize(32, 32));

    QVERIFY(otevri(&dialog));
    QCOMPARE(poradi_tabulatoru(), (QWidgetList{txtPassword, cmdOK, cmdCancel}));
}

QTEST_MAIN(test_frm_login)
#include "test_frm_login.moc"
