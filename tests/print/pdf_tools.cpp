#include "pdf_tools.h"

#include <QProcess>
#include <QRegularExpression>

namespace tarvik::test {

namespace {

QString spust(const QString& program, const QStringList& argumenty) {
    QProcess proces;
    proces.start(program, argumenty);
    if (!proces.waitForFinished(-1) || proces.exitStatus() != QProcess::NormalExit ||
        proces.exitCode() != 0)
        return {};
    return QString::fromUtf8(proces.readAllStandardOutput());
}

QString bez_entit(QString text) {
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

QString pdf_text(const QString& pdf) {
    return spust(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                               QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
}

int pdf_pocet_stran(const QString& pdf) {
    static const QRegularExpression strany(QStringLiteral("^Pages:\\s+(\\d+)\\s*$"),
                                           QRegularExpression::MultilineOption);
    const auto shoda = strany.match(spust(QStringLiteral("pdfinfo"), {pdf}));
    return shoda.hasMatch() ? shoda.captured(1).toInt() : 0;
}

QStringList pdf_pisma(const QString& pdf) {
    QStringList pisma;
    const QStringList radky = spust(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'));
    // Two header lines, then one font a line, its name first.
    for (qsizetype i = 2; i < radky.size(); ++i) {
        QString nazev = radky[i].section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        if (nazev.isEmpty())
            continue;
        if (const qsizetype plus = nazev.indexOf(QLatin1Char('+')); plus == 6)
            nazev.remove(0, plus + 1);
        pisma.append(nazev);
    }
    return pisma;
}

QList<pdf_slovo> pdf_slova(const QString& pdf) {
    static const QRegularExpression znacka(
        QStringLiteral("<page |<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" "
                       "xMax=\"([-\\d.]+)\" yMax=\"([-\\d.]+)\">([^<]*)</word>"));
    QList<pdf_slovo> slova;
    int strana = 0;
    const QString html =
        spust(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                            QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    for (auto it = znacka.globalMatch(html); it.hasNext();) {
        const auto shoda = it.next();
        if (shoda.capturedView(0) == QLatin1String("<page ")) {
            ++strana;
            continue;
        }
        slova.append({bez_entit(shoda.captured(5)), shoda.captured(1).toDouble(),
                      shoda.captured(2).toDouble(), shoda.captured(3).toDouble(),
                      shoda.captured(4).toDouble(), strana});
    }
    return slova;
}

} // namespace tarvik::test
