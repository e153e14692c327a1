#pragma once

#include <QString>

namespace tarvik {

// Device path of serial port COM<n>: <program folder>/dosdevices/com<n> when that entry exists
// (followed to the real device, so that lock files name the device itself), else the system's
// own name for the port.
QString cesta_serioveho_portu(int cislo);

// Where the diskette backup of the configuration lives: <program folder>/dosdevices/a:/tarvik.ini
// when dosdevices/a: exists, else the system's removable medium; empty when there is none.
QString cesta_zalohy();

} // namespace tarvik
