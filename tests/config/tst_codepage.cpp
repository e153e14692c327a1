#include "config/codepage.h"

#include <QSet>
#include <QStringDecoder>
#include <QTest>

using namespace tarvik;

class tst_codepage : public QObject {
    Q_OBJECT

private slots:
    void czech_letters_data();
    void czech_letters();
    void every_byte_round_trips();
    void agrees_with_the_system_converter();
    void unrepresentable_characters_become_question_marks_data();
    void unrepresentable_characters_become_question_marks();
};

void tst_codepage::czech_letters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bajty");
    QTest::newRow("small") << QStringLiteral("áčďéěíňóřšťúůýž")
                           << QByteArray(
                                  "\xE1\xE8\xEF\xE9\xEC\xED\xF2\xF3\xF8\x9A\x9D\xFA\xF9\xFD\x9E");
    QTest::newRow("capital") << QStringLiteral("ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ")
                             << QByteArray(
                                    "\xC1\xC8\xCF\xC9\xCC\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E");
    QTest::newRow("default tab caption")
        << QStringLiteral("záložka 1") << QByteArray("z\xE1lo\x9Eka 1");
    QTest::newRow("default contactor name")
        << QStringLiteral("stykač 127") << QByteArray("styka\xE8 127");
    QTest::newRow("ascii") << QStringLiteral("[system]\r\ncom=1")
                           << QByteArray("[system]\r\ncom=1");
    QTest::newRow("euro, quotes, dash")
        << QStringLiteral("€„“–—…") << QByteArray("\x80\x84\x93\x96\x97\x85");
    QTest::newRow("empty") << QString() << QByteArray();
}

void tst_codepage::czech_letters() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bajty);
    QCOMPARE(na_cp1250(text), bajty);
    QCOMPARE(z_cp1250(bajty), text);
}

void tst_codepage::every_byte_round_trips() {
    QByteArray vsechny;
    for (int b = 0; b < 256; ++b)
        vsechny.append(static_cast<char>(b));
    const QString text = z_cp1250(vsechny);
    QCOMPARE(text.size(), 256);
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    for (int b = 0; b < 128; ++b)
        QCOMPARE(text[b].unicode(), char16_t(b));
    for (int b = 128; b < 256; ++b)
        QVERIFY2(text[b].unicode() >= 0x80, qPrintable(QString::number(b, 16)));
    QCOMPARE(na_cp1250(text), vsechny);
}

// The system's converter (ICU) knows the code page too; where it is present it must agree with
// our table on every defined byte.
void tst_codepage::agrees_with_the_system_converter() {
    QStringDecoder icu("windows-1250");
    if (!icu.isValid())
        QSKIP("this Qt has no windows-1250 converter to compare with");
    const QByteArray nedefinovane("\x81\x83\x88\x90\x98");
    for (int b = 128; b < 256; ++b) {
        const QByteArray bajt(1, static_cast<char>(b));
        const QString nase = z_cp1250(bajt);
        if (nedefinovane.contains(bajt[0])) {
            // Undefined bytes stand for the control character of the same number.
            QCOMPARE(nase, QString(QChar(b)));
            continue;
        }
        QStringDecoder dekoder("windows-1250");
        const QString jejich = dekoder.decode(bajt);
        QVERIFY2(nase == jejich, qPrintable(QStringLiteral("byte 0x%1").arg(b, 2, 16)));
    }
}

void tst_codepage::unrepresentable_characters_become_question_marks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bajty");
    QTest::newRow("latin-1 letter outside") << QStringLiteral("añb") << QByteArray("a?b");
    QTest::newRow("cyrillic") << QStringLiteral("Жж") << QByteArray("??");
    QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << QByteArray("?");
    QTest::newRow("character outside the basic plane is one mark")
        << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
}

void tst_codepage::unrepresentable_characters_become_question_marks() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bajty);
    QCOMPARE(na_cp1250(text), bajty);
}

QTEST_APPLESS_MAIN(tst_codepage)
#include "tst_codepage.moc"
