// The manual quotes the program's messages exactly: every message it quotes is one of the texts
// in the program's sources.

#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextDocumentFragment>

namespace {

QString precti(const QString& cesta) {
    QFile f(cesta);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The string literals of the program's sources, blanks simplified, literals on adjacent lines
// joined as the compiler joins them; comments and character literals are skipped.
QSet<QString> texty_programu() {
    static const QRegularExpression spoj(QString::fromLatin1(R"re("\s*\n\s*(?:u8|u|U|L)?")re"));
    static const QRegularExpression token(
        QString::fromLatin1(
            R"re((?:u8|u|U|L)?"((?:[^"\\\n]|\\.)*)"|//[^\n]*|/\*.*?\*/|'(?:[^'\\\n]|\\.)*')re"),
        QRegularExpression::DotMatchesEverythingOption);
    QSet<QString> texty;
    QDirIterator soubory(QStringLiteral(TARVIK_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (soubory.hasNext())
        for (const auto& shoda : token.globalMatch(precti(soubory.next()).remove(spoj)))
            if (shoda.captured(0).endsWith(u'"'))
                texty.insert(shoda.captured(1)
                                 .replace(QLatin1String("\\\""), QLatin1String("\""))
                                 .replace(QLatin1String("\\\\"), QLatin1String("\\"))
                                 .replace(QLatin1String("\\n"), QLatin1String("\n"))
                                 .simplified());
    return texty;
}

} // namespace

class tst_manual : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The messages that the manual quotes: marked <b class="hlaseni">, or a sentence in Czech
    // quotation marks. A message is one text of the program, or two joined (a heading and its
    // detail).
    void hlaseni_v_napovede() {
        const QSet<QString> texty = texty_programu();
        QVERIFY(texty.contains(QStringLiteral("Tarvik - chyba")));
        static const QRegularExpression citace(
            QString::fromUtf8(R"re(<b class="hlaseni">(.*?)</b>|„([^“]*\.)“)re"),
            QRegularExpression::DotMatchesEverythingOption);
        int pocet = 0;
        QStringList chybi;
        for (const auto& shoda : citace.globalMatch(
                 precti(QStringLiteral(TARVIK_SOURCE_DIR "/resources/tarvik.hlp")))) {
            const QString zprava =
                QTextDocumentFragment::fromHtml(shoda.captured(1) + shoda.captured(2))
                    .toPlainText()
                    .simplified();
            bool nalezena = texty.contains(zprava);
            for (auto t = texty.cbegin(); !nalezena && t != texty.cend(); ++t)
                nalezena =
                    zprava.startsWith(*t) && texty.contains(zprava.mid(t->size()).simplified());
            if (!nalezena)
                chybi << zprava;
            ++pocet;
        }
        QVERIFY2(chybi.isEmpty(), qPrintable(chybi.join(u'\n')));
        QVERIFY(pocet > 20);
    }
};

QTEST_MAIN(tst_manual)
#include "tst_manual.moc"
