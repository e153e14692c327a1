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
// the first failure of the surface, leaving the document unfinished. Returns whether the document
// was finished.
bool tiskni_stykace(tiskova_plocha& plocha, const QString& cesta_ini);

// Lets the user choose the printer; false when the choice is cancelled.
using volba_tiskarny = std::function<bool(QPrinter& tiskarna)>;

// The menu command: the print dialog, then the table on the printer chosen in it. With no printer
// installed the dialog offers the PDF file soubor_tisku_bez_tiskarny(). Cancelling the dialog
// prints nothing; a file that cil_tisku_povolen() refuses for chranena_mista_tisku() gets
// zprava_cil_tisku_odmitnut and nothing is written; a table written to a file is announced with
// its path (zprava_tisk_do_souboru); any other failure ends the command without a message and
// leaves no document open.
void menu_tisk_stykace(QWidget* rodic, const QString& cesta_ini);
// The same with the dialog played by `vyber` (tests).
void menu_tisk_stykace(const QString& cesta_ini, const volba_tiskarny& vyber,
                       QWidget* rodic = nullptr);

// The print dialog as the menu command shows it. On Linux its file chooser for printing to a file
// only chooses: it deletes, renames and makes nothing, as an operator without the password uses
// it. On Windows the dialog and the save dialog asking for the PDF file where no printer is
// installed are the system's own, and their choosers are as free as anywhere in the system (see
// vyber_jen_cteni).
volba_tiskarny dialog_tisku(QWidget* rodic);

// Where the table goes when no printer is installed: tarvik-stykace-<year>-<month>-<day>.pdf,
// dated today, in the user's documents folder, made when missing, or else in the home folder.
// Empty when neither can be written: the print dialog then asks where the file goes.
QString soubor_tisku_bez_tiskarny();

// What a printout must never reach: the configuration file and its backup, and anything in or
// below the program's folder and the folder that holds the configuration file.
struct chranena_mista {
    QStringList slozky;
    QStringList soubory;
};
chranena_mista chranena_mista_tisku(const QString& cesta_ini);

// Whether the printout may be written to the file `soubor`: the file that a write would really
// reach (links and ".." followed as the system follows them) is an ordinary file or a new one,
// is none of the protected files and lies in none of the protected folders nor below them. Files
// and folders are compared as themselves (device and number), so no other path, hard link or
// mount leads around the guard. A link that leads nowhere is refused, as its target is unknown
// until written.
bool cil_tisku_povolen(const QString& soubor, const chranena_mista& chranena);

inline const QString zprava_cil_tisku_odmitnut = QStringLiteral(
    "Do zvoleného souboru nelze tisknout. Tabulka se nesmí uložit do složky programu ani přes "
    "konfigurační soubor nebo jeho zálohu a musí jít do obyčejného souboru. Zvolte jiný soubor.");
// %1: the file's path.
inline const QString zprava_tisk_do_souboru =
    QStringLiteral("Tabulka stykačů byla uložena do souboru:\n%1");

} // namespace tarvik
