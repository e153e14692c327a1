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

// The menu command: the print dialog, then the table on the printer chosen in it. With no printer
// installed the dialog offers the PDF file soubor_tisku_bez_tiskarny(). Cancelling the dialog
// prints nothing; a file that cil_tisku_povolen() refuses gets zprava_cil_tisku_odmitnut and
// nothing is written; any other failure ends the command without a message and leaves no
// document open.
void menu_tisk_stykace(QWidget* rodic, const QString& cesta_ini);
// The same with the dialog played by `vyber` (tests).
void menu_tisk_stykace(const QString& cesta_ini, const volba_tiskarny& vyber,
                       QWidget* rodic = nullptr);

// Where the table goes when no printer is installed: tarvik-stykace-<year>-<month>-<day>.pdf in
// the user's documents folder, dated today.
QString soubor_tisku_bez_tiskarny();

// Whether the printout may be written to the file `soubor`: the file that a write would really
// reach (links and ".." followed as the system follows them) is an ordinary file or a new one,
// lies in none of `chranene_slozky` nor below them, and is none of `chranene_soubory`. A link that
// leads nowhere is refused, as its target is unknown until written.
bool cil_tisku_povolen(const QString& soubor, const QStringList& chranene_slozky,
                       const QStringList& chranene_soubory);

inline const QString zprava_cil_tisku_odmitnut = QStringLiteral(
    "Do zvoleného souboru nelze tisknout. Tabulka se nesmí uložit do složky programu ani přes "
    "konfigurační soubor nebo jeho zálohu a musí jít do obyčejného souboru. Zvolte jiný soubor.");

} // namespace tarvik
