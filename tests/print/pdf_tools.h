#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tarvik::test {

// What poppler's command-line tools read back from a PDF file. A tool that cannot be run or fails
// gives an empty result.

// The text laid out as on the page (`pdftotext -layout`), pages ended by a form feed.
QString pdf_text(const QString& pdf);

// The number of pages (`pdfinfo`), 0 when unreadable.
int pdf_pocet_stran(const QString& pdf);

// The names of the fonts used (`pdffonts`), subset prefixes removed: "LiberationSans-Bold".
QStringList pdf_pisma(const QString& pdf);

// Every word with its box in points from the top left corner of its page (`pdftotext -bbox`);
// x_min is where the word's first character starts.
struct pdf_slovo {
    QString text;
    double x_min = 0;
    double y_min = 0;
    double x_max = 0;
    double y_max = 0;
    int strana = 0; // from 1
};
QList<pdf_slovo> pdf_slova(const QString& pdf);

} // namespace tarvik::test
