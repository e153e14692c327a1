#pragma once

#include "config/config_file.h"

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace tarvik {

class tiskova_plocha;

// The one-page table of contactor names: a title, 64 rows of two contactors each (r and r + 64)
// with their names from the configuration file at `cesta_ini`, and the date of printing. Stops at
// the first failure of the surface, leaving the document unfinished.
void tiskni_stykace(tiskova_plocha& plocha, const QString& cesta_ini);

// Lets the user choose the printer; false when the choice is cancelled.
using volba_tiskarny = std::function<bool(QPrinter& tiskarna)>;

// The menu command: the print dialog, then the table on the printer chosen in it. Cancelling the
// dialog prints nothing; any failure after it ends the command without a message and leaves no
// document open.
void menu_tisk_stykace(QWidget* rodic, const QString& cesta_ini);
// The same with the dialog played by `vyber` (tests).
void menu_tisk_stykace(const QString& cesta_ini, const volba_tiskarny& vyber);

} // namespace tarvik
