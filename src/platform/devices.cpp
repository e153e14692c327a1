#include "platform/devices.h"

#include "platform/files.h"
#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace tarvik {

QString cesta_serioveho_portu(int cislo) {
#ifdef Q_OS_WIN
    // Every port by its name in the device namespace: the bare name COM<n> reaches COM1 to COM9
    // only. No dosdevices folder is looked at, as a file named com<n> in any folder is the port
    // itself to Windows and "a:" is no file name there.
    return QStringLiteral("\\\\.\\COM%1").arg(cislo);
#else
    const QString odkaz = slozka_programu() + QStringLiteral("/dosdevices/com%1").arg(cislo);
    const QFileInfo info(odkaz);
    if (info.exists() || info.isSymLink()) {
        const QString cil = info.canonicalFilePath();
        return cil.isEmpty() ? odkaz : cil; // a dangling link names no device: opening it fails
    }
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
    const QString ini = konec_odkazu(cesta_konfigurace());
    const QStorageInfo konfigurace(QFileInfo(ini).absolutePath());
    return medium.isValid() && konfigurace.isValid() && medium.rootPath() != konfigurace.rootPath();
}
} // namespace

QString cesta_zalohy() {
#ifdef Q_OS_WIN
    // Drive a: itself. A drive without a medium is answered at once rather than with the
    // system's box asking for a disk.
    static const bool bez_dotazu_na_disk = [] {
        ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS);
        return true;
    }();
    Q_UNUSED(bez_dotazu_na_disk);
    const QString slozka = QStringLiteral("a:/");
    return je_na_jinem_svazku(slozka) ? slozka + QStringLiteral("tarvik.ini") : QString();
#else
    // dosdevices/a: is a link to a folder on the removable medium or a share, or the mount point
    // itself. Only the administrator's links lead there: one that anyone else could have made on
    // the way (an operator's on a medium that operators may write) leaves no medium at all.
    const QString disketa = slozka_programu() + QStringLiteral("/dosdevices/a:");
    const QFileInfo info(disketa);
    const QString slozka = slozka_spravce(
        info.isSymLink() || info.exists() ? disketa : QStringLiteral("/media/floppy"));
    return je_na_jinem_svazku(slozka) ? slozka + QStringLiteral("/tarvik.ini") : QString();
#endif
}

} // namespace tarvik
