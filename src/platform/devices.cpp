#include "platform/devices.h"

#include "platform/files.h"
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
// Whether `slozka` is a folder on a mounted file system other than the one that holds the
// configuration file. A folder on the same file system (an empty mount point, a folder beside the
// program) is no medium: a copy there would be reported as a backup and lost with the disk.
bool je_na_jinem_svazku(const QString& slozka) {
    if (slozka.isEmpty() || !QFileInfo(slozka).isDir())
        return false;
    const QStorageInfo medium(slozka);
    const QString ini = konec_odkazu(slozka_programu() + QStringLiteral("/tarvik.ini"));
    const QStorageInfo konfigurace(QFileInfo(ini).absolutePath());
    return medium.isValid() && konfigurace.isValid() && medium.rootPath() != konfigurace.rootPath();
}
} // namespace

QString cesta_zalohy() {
    // dosdevices/a: is a link to a folder on the removable medium or a share, or the mount point
    // itself.
    const QFileInfo disketa(slozka_programu() + QStringLiteral("/dosdevices/a:"));
    QString slozka;
    if (disketa.isSymLink() || disketa.exists()) {
        slozka = disketa.canonicalFilePath(); // empty when the link points nowhere
    } else {
#ifdef Q_OS_WIN
        return QStringLiteral("a:/tarvik.ini");
#else
        slozka = QFileInfo(QStringLiteral("/media/floppy")).canonicalFilePath();
#endif
    }
    return je_na_jinem_svazku(slozka) ? slozka + QStringLiteral("/tarvik.ini") : QString();
}

} // namespace tarvik
