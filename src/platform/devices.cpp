#include "platform/devices.h"

#include "platform/files.h"
#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <limits>
#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
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

stav_zamku zamek_zarizeni(const QString& cesta_zarizeni) {
#ifdef Q_OS_WIN
    Q_UNUSED(cesta_zarizeni);
    return stav_zamku::zadny;
#else
    QString jmeno =
        cesta_zarizeni.startsWith(QLatin1String("/dev/")) ? cesta_zarizeni.mid(5) : cesta_zarizeni;
    jmeno.replace(u'/', u'_');
    for (const char* slozka : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                               "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        QFile zamek(QLatin1String(slozka) + QLatin1String("/LCK..") + jmeno);
        if (!zamek.exists())
            continue;
        if (!zamek.open(QIODevice::ReadOnly))
            return stav_zamku::drzi_bezici_proces; // unreadable: assume it is held
        bool ok = false;
        const qint64 pid = zamek.readLine(32).trimmed().toLongLong(&ok);
        if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
            return stav_zamku::zadny;
        const bool bezi = ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
        return bezi ? stav_zamku::drzi_bezici_proces : stav_zamku::po_mrtvem_procesu;
    }
    return stav_zamku::zadny;
#endif
}

int chyba_otevreni_zarizeni(const QString& cesta_zarizeni) {
#ifdef Q_OS_WIN
    // A port that another program holds refuses a second handle (a port is never shared).
    const HANDLE port =
        ::CreateFileW(reinterpret_cast<const wchar_t*>(cesta_zarizeni.utf16()),
                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port != INVALID_HANDLE_VALUE) {
        ::CloseHandle(port);
        return 0;
    }
    switch (::GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EBUSY;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    default:
        return EIO;
    }
#else
    const int fd = ::open(QFile::encodeName(cesta_zarizeni).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
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
