// Device paths on Linux: the program's dosdevices folder, as the old program's surroundings had it.

#include "platform/devices.h"

#include "platform/devices_p.h"
#include "platform/files.h"
#include "platform/program_folder.h"

#include <QFileInfo>

namespace tarvik {

QString cesta_serioveho_portu(int cislo) {
    const QString odkaz = slozka_programu() + QStringLiteral("/dosdevices/com%1").arg(cislo);
    const QFileInfo info(odkaz);
    if (info.exists() || info.isSymLink()) {
        const QString cil = info.canonicalFilePath();
        return cil.isEmpty() ? odkaz : cil; // a dangling link names no device: opening it fails
    }
    return QStringLiteral("/dev/ttyS%1").arg(cislo - 1);
}

QString slozka_zalohy() {
    // dosdevices/a: is a link to a folder on the removable medium or a share, or the mount point
    // itself. Only the administrator's links lead there: one that anyone else could have made on
    // the way (an operator's on a medium that operators may write) leaves no medium at all.
    const QString disketa = slozka_programu() + QStringLiteral("/dosdevices/a:");
    const QFileInfo info(disketa);
    return slozka_spravce(info.isSymLink() || info.exists() ? disketa
                                                            : QStringLiteral("/media/floppy"));
}

} // namespace tarvik
