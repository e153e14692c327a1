#include "access/hash_string.h"

#include <QTest>

using tarvik::HashString;
using namespace Qt::StringLiterals;

class test_hash_string : public QObject {
    Q_OBJECT

private slots:
    void hodnota_data();
    void hodnota();
    void vypln_jako_pripojene_znaky_data();
    void vypln_jako_pripojene_znaky();
    void bez_hodnoty_data();
    void bez_hodnoty();
    void nejdelsi_text();
};

// Expected values worked out by hand: each group is its four Windows-1250 codes read as one
// big-endian number, the groups XORed.
void test_hash_string::hodnota_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("hash");

    QTest::newRow("prazdny text") << QString() << 0;
    QTest::newRow("a + qe4") << u"a"_s << 0x61716534;
    QTest::newRow("ab + qe") << u"ab"_s << 0x61627165;
    QTest::newRow("abc + q") << u"abc"_s << 0x61626371;
    QTest::newRow("abcd bez vyplne") << u"abcd"_s << 0x61626364;
    QTest::newRow("dve skupiny") << u"abcdefgh"_s << (0x61626364 ^ 0x65666768);
    QTest::newRow("skupiny prehozene") << u"efghabcd"_s << (0x61626364 ^ 0x65666768);
    QTest::newRow("stejna skupina dvakrat") << u"abcdabcd"_s << 0;
    QTest::newRow("hlavni heslo") << u"kovar"_s << (0x6B6F7661 ^ 0x72716534);
    QTest::newRow("c s hackem na 2. miste") << u"xč"_s << 0x78E87165;
    QTest::newRow("cesky na 2. a 3. miste") << u"ačř"_s << 0x61E8F871;
    QTest::newRow("cesky na 4. miste") << u"aaač"_s << 0x616161E8;
    QTest::newRow("cesky na 6. miste") << u"abcdeč"_s << (0x61626364 ^ 0x65E87165);
    QTest::newRow("nejvetsi hodnota") << u"\u007f\u02d9\u02d9\u02d9"_s << 0x7FFFFFFF;
    QTest::newRow("znak mimo kodovou stranku je ?") << u"中"_s << 0x3F716534;
    QTest::newRow("znak mimo zakladni rovinu jsou dva ?") << u"😀"_s << 0x3F3F7165;
    // The hash that a newly created configuration file carries, and two passwords that give it.
    QTest::newRow("vychozi heslo ze 4 znaku") << u"_'0s"_s << 1596403827;
    QTest::newRow("vychozi heslo z 5 znaku") << u"oVUG0"_s << 1596403827;
}

void test_hash_string::hodnota() {
    QFETCH(QString, text);
    QFETCH(qint32, hash);
    QCOMPARE(HashString(text), std::optional<qint32>(hash));
}

void test_hash_string::vypln_jako_pripojene_znaky_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("s_vyplni");

    QTest::newRow("1 znak") << u"H"_s << u"Hqe4"_s;
    QTest::newRow("2 znaky") << u"He"_s << u"Heqe"_s;
    QTest::newRow("3 znaky") << u"Hes"_s << u"Hesq"_s;
    QTest::newRow("5 znaku") << u"Heslo"_s << u"Hesloqe4"_s;
    QTest::newRow("6 znaku") << u"Heslo1"_s << u"Heslo1qe"_s;
    QTest::newRow("7 znaku s cestinou") << u"Hřeslo1"_s << u"Hřeslo1q"_s;
}

void test_hash_string::vypln_jako_pripojene_znaky() {
    QFETCH(QString, text);
    QFETCH(QString, s_vyplni);
    QVERIFY(HashString(text).has_value());
    QCOMPARE(HashString(text), HashString(s_vyplni));
}

// A group whose first character has a code of 128 or more has no 31-bit value.
void test_hash_string::bez_hodnoty_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("c s hackem samotne") << u"č"_s;
    QTest::newRow("cesky na 1. miste") << u"čabc"_s;
    QTest::newRow("cesky na 5. miste") << u"abcdč"_s;
    QTest::newRow("cesky na 9. miste") << u"abcdefghŘ"_s;
    QTest::newRow("euro, kod 128") << u"€"_s;
    QTest::newRow("nezlomitelna mezera na 5. miste") << u"ahoj\u00a0"_s;
}

void test_hash_string::bez_hodnoty() {
    QFETCH(QString, text);
    QCOMPARE(HashString(text), std::nullopt);
}

void test_hash_string::nejdelsi_text() {
    const QString nejdelsi(tarvik::nejdelsi_hashovany_text, u'a');
    // 8191 groups "aaaa": an odd number of equal groups leaves one.
    QCOMPARE(HashString(nejdelsi), std::optional<qint32>(0x61616161));
    QCOMPARE(HashString(nejdelsi + u'a'), std::nullopt);
    QCOMPARE(HashString(QString(100000, u'a')), std::nullopt);
}

QTEST_APPLESS_MAIN(test_hash_string)
#include "test_hash_string.moc"
