#pragma once

#include <QString>

namespace tarvik {

// The folder that holds the program's executable: the configuration file, the help file and the
// dosdevices folder are looked up there. Tests point it at a temporary folder.
QString slozka_programu();
void nastav_slozku_programu(const QString& slozka);

} // namespace tarvik
