#pragma once

#include <QString>

namespace tarvik {

// Device path of serial port COM<n>: <program folder>/dosdevices/com<n> when that entry exists
// (followed to the real device, so that lock files name the device itself), else the system's
// own name for the port.
QString cesta_serioveho_portu(int cislo);

// Where the diskette backup of the configuration lives: tarvik.ini in the folder
// <program folder>/dosdevices/a:, which is either a link to the mount point of the removable
// medium or a folder of its own; without it, on the system's removable medium. Empty when a
// mount point has nothing mounted.
QString cesta_zalohy();

} // namespace tarvik
