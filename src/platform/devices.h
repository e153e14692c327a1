#pragma once

#include <QString>

namespace tarvik {

// Device path of serial port COM<n>. On Linux <program folder>/dosdevices/com<n> when that entry
// exists (followed to the real device, so that lock files name the device itself), else
// /dev/ttyS<n-1>; on Windows \\.\COM<n>.
QString cesta_serioveho_portu(int cislo);

// The lock file by which QSerialPort marks a serial device in use (LCK..<name> in the system's
// lock folder, in the order Qt looks for it), as the process it names stands.
enum class stav_zamku {
    zadny,              // no lock file, or one that names no process
    drzi_bezici_proces, // the process that wrote it runs
    po_mrtvem_procesu   // left behind by a process that has ended
};
stav_zamku zamek_zarizeni(const QString& cesta_zarizeni);
// The system's error number on opening the device for reading and writing; 0 when it opens (it
// is closed again at once). On Windows a port that another program holds is EBUSY.
int chyba_otevreni_zarizeni(const QString& cesta_zarizeni);

// Where the diskette backup of the configuration lives: on Linux tarvik.ini in the folder
// <program folder>/dosdevices/a: (a link to any folder on the removable medium or a share, or
// the mount point itself), without it in /media/floppy; on Windows a:\tarvik.ini. Empty when that
// folder is missing, is reached through a link that is not the administrator's (see
// slozka_spravce), or lies on the file system that holds the configuration file (a mount point
// with nothing mounted; on Windows the volume that holds the configuration).
QString cesta_zalohy();

} // namespace tarvik
