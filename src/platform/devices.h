#pragma once

#include <QString>

namespace tarvik {

// Device path of serial port COM<n>. On Linux <program folder>/dosdevices/com<n> when that entry
// exists (followed to the real device, so that lock files name the device itself), else
// /dev/ttyS<n-1>; on Windows \\.\COM<n>.
QString cesta_serioveho_portu(int cislo);

// Where the diskette backup of the configuration lives: on Linux tarvik.ini in the folder
// <program folder>/dosdevices/a: (a link to any folder on the removable medium or a share, or
// the mount point itself), without it in /media/floppy; on Windows a:\tarvik.ini. Empty when that
// folder is missing, is reached through a link that is not the administrator's (see
// slozka_spravce), or lies on the file system that holds the configuration file (a mount point
// with nothing mounted; on Windows the volume that holds the configuration).
QString cesta_zalohy();

} // namespace tarvik
