#pragma once

#include <QString>

namespace tarvik {

// The folder that holds the program's executable: the help file and, on Linux, the dosdevices
// folder are looked up there. Tests point it at a temporary folder.
QString slozka_programu();
void nastav_slozku_programu(const QString& slozka);

// Qt also looks for its plugins in the executable's folder. On Linux none belong there (the
// system's plugin folder, which root alone writes, holds them), so that folder is never searched,
// the platform plugin's search included: whatever lands in it is never loaded as code. Call it
// before the application object is made. On Windows the plugins live beside the program, in a
// folder only administrators write, and stay there.
void pluginy_jen_ze_systemu();

// The configuration file tarvik.ini. It is beside the program when it is there (the old
// program's layout, a portable copy) and always on Linux, where the package links it to the
// operators' folder. On Windows an installed program, whose folder under Program Files only
// administrators may write, keeps it in the folder that the setup program made for the operators,
// %ProgramData%\Tarvik, when that folder exists and no tarvik.ini lies beside the program.
QString cesta_konfigurace();

} // namespace tarvik
