// The manual quotes the program's messages exactly: every message it quotes is one of the texts
// in the program's sources.

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextDocumentFragment>

namespace {

QString normalizuj(const QString& text) {
    return text.simplified();
}

QString precti(const QString& cesta) {
    QFile f(cesta);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The string literals of a C++ source, adjacent ones joined as the compiler joins them; comments
// and character literals are skipped.
QStringList literaly(const QString& zdroj) {
    static const QRegularExpression token(
        QString::fromLatin1(
            R"re((?:u8|u|U|L)?"((?:[^"\\\n]|\\.)*)"|//[^\n]*|/\*.*?\*/|'(?:[^'\\\n]|\\.)*')re"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression mezera(QString::fromLatin1(R"(^\s*$)"));
    QStringList vysledek;
    qsizetype konec_posledniho = -1;
    for (const auto& shoda : token.globalMatch(zdroj)) {
        if (!shoda.captured(0).endsWith(u'"'))
            continue;
        QString text = shoda.captured(1);
        text.replace(QLatin1String("\\n"), QLatin1String("\n"))
            .replace(QLatin1String("\\\""), QLatin1String("\""))
            .replace(QLatin1String("\\\\"), QLatin1String("\\"));
        const bool navazuje =
            konec_posledniho >= 0 &&
            mezera.match(zdroj.mid(konec_posledniho, shoda.capturedStart() - konec_posledniho))
                .hasMatch();
        if (navazuje)
            vysledek.last() += text;
        else
            vysledek.append(text);
        konec_posledniho = shoda.capturedEnd();
    }
    return vysledek;
}

} // namespace

class tst_manual : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hlaseni_v_napovede() {
        QSet<QString> texty;
        QDirIterator soubory(QStringLiteral(TARVIK_SOURCE_DIR "/src"), {"*.cpp", "*.h"},
                             QDir::Files, QDirIterator::Subdirectories);
        while (soubory.hasNext())
            for (const QString& t : literaly(precti(soubory.next())))
                if (!normalizuj(t).isEmpty())
                    texty.insert(normalizuj(t));
        QVERIFY(texty.contains(QStringLiteral("Tarvik - chyba")));

        // The messages that the manual quotes: marked <b class="hlaseni">, or a sentence in
        // Czech quotation marks.
        const QString napoveda = precti(QStringLiteral(TARVIK_SOURCE_DIR "/resources/tarvik.hlp"));
        static const QRegularExpression citace(
            QString::fromUtf8(R"re(<b class="hlaseni">(.*?)</b>|„([^“]*\.)“)re"),
            QRegularExpression::DotMatchesEverythingOption);
        int pocet = 0;
        QStringList chybi;
        for (const auto& shoda : citace.globalMatch(napoveda)) {
            const QString html =
                shoda.captured(1).isEmpty() ? shoda.captured(2) : shoda.captured(1);
            const QString zprava = normalizuj(QTextDocumentFragment::fromHtml(html).toPlainText());
            ++pocet;
            // A message is one text of the program, or two joined (a heading and its detail).
            bool nalezena = texty.contains(zprava);
            for (auto t = texty.cbegin(); !nalezena && t != texty.cend(); ++t)
                nalezena =
                    zprava.startsWith(*t) && texty.contains(normalizuj(zprava.mid(t->size())));
            if (!nalezena)
                chybi << zprava;
        }
        QVERIFY2(chybi.isEmpty(), qPrintable(chybi.join(u'\n')));
        QVERIFY(pocet > 20);
    }
};

QTEST_MAIN(tst_manual)
#include "tst_manual.moc"
