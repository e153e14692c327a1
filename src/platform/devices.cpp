#include "platform/devices.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace tarvik {

QString cesta_serioveho_portu(int cislo) {
    const QString odkaz = program_folder() + QStringLiteral("/dosdevices/com%1").arg(cislo);
    const QFileInfo info(odkaz);
    if (info.exists() || info.isSymLink()) {
        const QString cil = info.canonicalFilePath();
        return cil.isEmpty() ? odkaz : cil; // a dangling link names no device: opening it fails
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(cislo);
#else
    return QStringLiteral("/dev/ttyS%1").arg(cislo - 1);
#endif
}

QString cesta_zalohy() {
    const QString disketa = program_folder() + QStringLiteral("/dosdevices/a:");
    const QFileInfo info(disketa);
    if (info.exists() || info.isSymLink())
        return disketa + QStringLiteral("/tarvik.ini");
#ifdef Q_OS_WIN
    return QStringLiteral("a:/tarvik.ini");
#else
    // An empty mount point is no medium: a copy there would land on the local disk and be
    // reported as a backup.
    const QString mechanika = QStringLiteral("/media/floppy");
    if (QStorageInfo(mechanika).rootPath() != mechanika)
        return {};
    return mechanika + QStringLiteral("/tarvik.ini");
#endif
}

} // namespace tarvik
