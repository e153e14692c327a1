#include "platform/devices.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <limits>
#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

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
    Q_UNUSED(cesta_zarizeni);
    return 0;
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
