#include "platform/devices.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace tarvik {

QString cesta_serioveho_portu(int cislo) {
    const QString odkaz = slozka_programu() + QStringLiteral("/dosdevices/com%1").arg(cislo);
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

namespace {
// Whether a medium is mounted at `slozka` (the folder is the root of a mounted file system).
bool je_pripojeno(const QString& slozka) {
    return !slozka.isEmpty() && QStorageInfo(slozka).rootPath() == slozka;
}
} // namespace

QString cesta_zalohy() {
    const QString disketa = slozka_programu() + QStringLiteral("/dosdevices/a:");
    const QFileInfo info(disketa);
    // A link names the mount point of the removable medium. An empty mount point is no medium: a
    // copy there would land on the local disk and be reported as a backup.
    if (info.isSymLink()) {
        const QString cil = info.canonicalFilePath();
        return je_pripojeno(cil) ? cil + QStringLiteral("/tarvik.ini") : QString();
    }
    if (info.isDir())
        return disketa + QStringLiteral("/tarvik.ini");
#ifdef Q_OS_WIN
    return QStringLiteral("a:/tarvik.ini");
#else
    const QString mechanika = QFileInfo(QStringLiteral("/media/floppy")).canonicalFilePath();
    return je_pripojeno(mechanika) ? mechanika + QStringLiteral("/tarvik.ini") : QString();
#endif
}

} // namespace tarvik
