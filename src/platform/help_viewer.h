#pragma once

#include <QString>

class QWidget;

namespace tarvik {

// Opens the HTML help file in a small window of its own at its contents, and returns at once;
// the window stays open beside the program. Returns false when the file cannot be read.
bool zobraz_napovedu(QWidget* rodic, const QString& cesta);

// The help window currently open, if any (for tests).
QWidget* okno_napovedy();

} // namespace tarvik
