#include "config/ini_text.h"

#include <QTest>

using namespace tarvik;

// Every case sets one value and states the whole text that must result, byte for byte: a line
// that changes which should not is a failure.
class tst_ini_text : public QObject {
    Q_OBJECT

private slots:
    void sets_value_data();
    void sets_value();
    void refuses_names_the_format_cannot_hold_data();
    void refuses_names_the_format_cannot_hold();
    void long_lines_and_junk_are_kept();
};

void tst_ini_text::sets_value_data() {
    QTest::addColumn<QByteArray>("pred");
    QTest::addColumn<QByteArray>("sekce");
    QTest::addColumn<QByteArray>("klic");
    QTest::addColumn<QByteArray>("hodnota");
    QTest::addColumn<QByteArray>("po");

    const QByteArray soubor("[system]\r\nheslo=1596403827\r\ncom=1\r\n\r\n"
                            "[stykace]\r\nstykac0=styka\xE8 0\r\nstykac1=styka\xE8 1\r\n\r\n");

    QTest::newRow("replace in place")
        << soubor << QByteArray("system") << QByteArray("com") << QByteArray("3")
        << QByteArray(soubor).replace("com=1", "com=3");
    QTest::newRow("replace with a longer value")
        << soubor << QByteArray("stykace") << QByteArray("stykac0")
        << QByteArray("hlavn\xED s\xE1l")
        << QByteArray(soubor).replace("stykac0=styka\xE8 0", "stykac0=hlavn\xED s\xE1l");
    QTest::newRow("replace with an empty value")
        << soubor << QByteArray("system") << QByteArray("heslo") << QByteArray()
        << QByteArray(soubor).replace("heslo=1596403827", "heslo=");
    QTest::newRow("replace an empty value")
        << QByteArray("[zalozky]\r\naktivni2=\r\naktivni3=1\r\n") << QByteArray("zalozky")
        << QByteArray("aktivni2") << QByteArray("1")
        << QByteArray("[zalozky]\r\naktivni2=1\r\naktivni3=1\r\n");
    QTest::newRow("hand-edited key keeps its spelling and blanks")
        << QByteArray("; settings\n[ System ]\n\t Com  =  3   \nx = y\n") << QByteArray("system")
        << QByteArray("com") << QByteArray("4")
        << QByteArray("; settings\n[ System ]\n\t Com  =  4\nx = y\n");
    QTest::newRow("last line without line break")
        << QByteArray("[system]\r\ncom=1") << QByteArray("system") << QByteArray("com")
        << QByteArray("2") << QByteArray("[system]\r\ncom=2");
    QTest::newRow("first of duplicate keys")
        << QByteArray("[s]\r\nk=1\r\nk=2\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("3") << QByteArray("[s]\r\nk=3\r\nk=2\r\n");
    QTest::newRow("first of duplicate sections")
        << QByteArray("[s]\r\na=1\r\n[s]\r\nk=2\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("3") << QByteArray("[s]\r\na=1\r\nk=3\r\n[s]\r\nk=2\r\n");
    QTest::newRow("commented key is not the key")
        << QByteArray("[s]\r\n;k=1\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("2")
        << QByteArray("[s]\r\nk=2\r\n;k=1\r\n");
    QTest::newRow("key in another section is not the key")
        << QByteArray("[a]\r\nk=1\r\n[s]\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("2") << QByteArray("[a]\r\nk=1\r\n[s]\r\nk=2\r\n");

    QTest::newRow("new key after the last key of its section")
        << soubor << QByteArray("system") << QByteArray("novy") << QByteArray("x")
        << QByteArray(soubor).replace("com=1\r\n", "com=1\r\nnovy=x\r\n");
    QTest::newRow("new key before comments at the end of the section")
        << QByteArray("[a]\r\nx=1\r\n; about b\r\n\r\n[b]\r\n") << QByteArray("a")
        << QByteArray("y") << QByteArray("2")
        << QByteArray("[a]\r\nx=1\r\ny=2\r\n; about b\r\n\r\n[b]\r\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[a]\r\n\r\n[b]\r\nx=1\r\n") << QByteArray("a") << QByteArray("y")
        << QByteArray("2") << QByteArray("[a]\r\ny=2\r\n\r\n[b]\r\nx=1\r\n");
    QTest::newRow("new key after a section line without line break")
        << QByteArray("x=1\r\n[a]") << QByteArray("a") << QByteArray("y") << QByteArray("2")
        << QByteArray("x=1\r\n[a]\r\ny=2\r\n");
    QTest::newRow("new key in a file with LF-only lines")
        << QByteArray("[a]\nx=1\n\n[b]\n") << QByteArray("a") << QByteArray("y") << QByteArray("2")
        << QByteArray("[a]\nx=1\ny=2\n\n[b]\n");

    QTest::newRow("new section at the end")
        << soubor << QByteArray("chlivky") << QByteArray("chlivek5") << QByteArray("---")
        << soubor + "[chlivky]\r\nchlivek5=---\r\n";
    QTest::newRow("new section after a last line without line break")
        << QByteArray("[a]\r\nx=1") << QByteArray("b") << QByteArray("y") << QByteArray("2")
        << QByteArray("[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
    QTest::newRow("new section in a file with LF-only lines")
        << QByteArray("[a]\nx=1\n") << QByteArray("b") << QByteArray("y") << QByteArray("2")
        << QByteArray("[a]\nx=1\n[b]\ny=2\n");
    QTest::newRow("section line without closing bracket is no section")
        << QByteArray("[b\r\ny=1\r\n") << QByteArray("b") << QByteArray("y") << QByteArray("2")
        << QByteArray("[b\r\ny=1\r\n[b]\r\ny=2\r\n");
    QTest::newRow("empty text") << QByteArray() << QByteArray("stykace") << QByteArray("stykac0")
                                << QByteArray("a") << QByteArray("[stykace]\r\nstykac0=a\r\n");
    QTest::newRow("only a byte order mark")
        << QByteArray("\xEF\xBB\xBF") << QByteArray("s") << QByteArray("k") << QByteArray("v")
        << QByteArray("\xEF\xBB\xBF[s]\r\nk=v\r\n");
    QTest::newRow("section right after a byte order mark")
        << QByteArray("\xEF\xBB\xBF[s]\r\nk=1\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("2") << QByteArray("\xEF\xBB\xBF[s]\r\nk=2\r\n");

    QTest::newRow("line breaks in the value are left out")
        << QByteArray("[s]\r\nk=1\r\nj=2\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("a\r\n[x]\nb\r") << QByteArray("[s]\r\nk=a[x]b\r\nj=2\r\n");
    QTest::newRow("blanks around the value are left out")
        << QByteArray("[s]\r\nk=  \r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray(" \tx y ") << QByteArray("[s]\r\nk=  x y\r\n");
    QTest::newRow("blank value written to a blank value")
        << QByteArray("[s]\r\nk = \r\n") << QByteArray("s") << QByteArray("k") << QByteArray("  ")
        << QByteArray("[s]\r\nk = \r\n");
    QTest::newRow("same value leaves the text as it was")
        << soubor << QByteArray("system") << QByteArray("com") << QByteArray("1") << soubor;
}

void tst_ini_text::sets_value() {
    QFETCH(QByteArray, pred);
    QFETCH(QByteArray, sekce);
    QFETCH(QByteArray, klic);
    QFETCH(QByteArray, hodnota);
    QFETCH(QByteArray, po);

    const auto vysledek = ini::nastav_hodnotu(pred, sekce, klic, hodnota);
    QVERIFY(vysledek);
    QCOMPARE(*vysledek, po);

    QByteArray ocekavana = hodnota;
    ocekavana = ocekavana.replace('\r', "").replace('\n', "").trimmed();
    QCOMPARE(ini::najdi_hodnotu(*vysledek, sekce, klic), std::optional(ocekavana));
}

void tst_ini_text::refuses_names_the_format_cannot_hold_data() {
    QTest::addColumn<QByteArray>("sekce");
    QTest::addColumn<QByteArray>("klic");
    QTest::newRow("empty section") << QByteArray() << QByteArray("k");
    QTest::newRow("empty key") << QByteArray("s") << QByteArray();
    QTest::newRow("bracket in section") << QByteArray("a]b") << QByteArray("k");
    QTest::newRow("line break in section") << QByteArray("a\nb") << QByteArray("k");
    QTest::newRow("equals sign in key") << QByteArray("s") << QByteArray("a=b");
    QTest::newRow("carriage return in key") << QByteArray("s") << QByteArray("a\rb");
    QTest::newRow("key that would start a section") << QByteArray("s") << QByteArray("[k");
    QTest::newRow("key that would be a comment") << QByteArray("s") << QByteArray(";k");
    QTest::newRow("blank around key") << QByteArray("s") << QByteArray(" k");
    QTest::newRow("blank around section") << QByteArray("s\t") << QByteArray("k");
}

void tst_ini_text::refuses_names_the_format_cannot_hold() {
    QFETCH(QByteArray, sekce);
    QFETCH(QByteArray, klic);
    QVERIFY(!ini::nastav_hodnotu("[s]\r\nk=1\r\n", sekce, klic, "2"));
}

void tst_ini_text::long_lines_and_junk_are_kept() {
    const QByteArray junk = QByteArray("\x00\xFF\x1A[=;", 6).repeated(1000);
    const QByteArray dlouhy(1024 * 1024, 'x');
    const QByteArray pred = junk + "\r\n[s]\r\n" + dlouhy + "=" + dlouhy + "\r\nk=1\r\n" + junk +
                            "\n\r\n[t]\r\nk=" + dlouhy;
    const auto vysledek = ini::nastav_hodnotu(pred, "s", "k", "2");
    QVERIFY(vysledek);
    QCOMPARE(*vysledek, QByteArray(pred).replace("\r\nk=1\r\n", "\r\nk=2\r\n"));
    QCOMPARE(ini::najdi_hodnotu(*vysledek, "t", "k"), std::optional(dlouhy));
    QCOMPARE(ini::najdi_hodnotu(*vysledek, "s", dlouhy), std::optional(dlouhy));
}

QTEST_APPLESS_MAIN(tst_ini_text)
#include "tst_ini_text.moc"
