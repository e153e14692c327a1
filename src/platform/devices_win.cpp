// Device paths on Windows: the ports and the drive by the system's own names.

#include "platform/devices.h"

#include "platform/devices_p.h"

#include <qt_windows.h>

namespace tarvik {

QString cesta_serioveho_portu(int cislo) {
    // Every port by its name in the device namespace: the bare name COM<n> reaches COM1 to COM9
    // only. No dosdevices folder is looked at, as a file named com<n> in any folder is the port
    // itself to Windows and "a:" is no file name there.
    return QStringLiteral("\\\\.\\COM%1").arg(cislo);
}

QString slozka_zalohy() {
    // Drive a: itself. A drive without a medium is answered at once rather than with the
    // system's box asking for a disk.
    static const bool bez_dotazu_na_disk = [] {
        ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS);
        return true;
    }();
    Q_UNUSED(bez_dotazu_na_disk);
    return QStringLiteral("a:/");
}

} // namespace tarvik
