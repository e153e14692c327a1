#include "platform/serial_access.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <limits>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace tarvik {

namespace {

// The most of a lock file that is read: a pid in ten columns and a line or two after it.
constexpr qsizetype nejvic_ze_zamku = 64;

QByteArray nativni(const QString& cesta) {
    return QFile::encodeName(cesta);
}

bool tentyz(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// QSerialPort's lock folders in its order, each once (/var/lock is a link to /run/lock) and by the
// name the system gives it.
QStringList slozky_zamku() {
    QStringList slozky;
    for (const QString& slozka :
         {QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
          QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
          QStringLiteral("/tmp"), QStringLiteral("/var/tmp"), QStringLiteral("/var/lock/lockdev"),
          QStringLiteral("/run/lock"),
          QStandardPaths::writableLocation(QStandardPaths::TempLocation)}) {
        const QString skutecna = QFileInfo(slozka).canonicalFilePath();
        if (!skutecna.isEmpty() && QFileInfo(skutecna).isDir() && !slozky.contains(skutecna))
            slozky << skutecna;
    }
    return slozky;
}

// The folder where locks are made: the first that this process may write, as QSerialPort takes it.
QString slozka_pro_zamek(const QStringList& slozky) {
    for (const QString& slozka : slozky)
        if (::access(nativni(slozka).constData(), W_OK | X_OK) == 0)
            return slozka;
    return {};
}

// LCK..ttyS0 for /dev/ttyS0, LCK..pts_3 for /dev/pts/3.
QString jmeno_zamku(const QString& zarizeni) {
    QString jmeno =
        zarizeni.startsWith(QLatin1String("/dev/")) ? zarizeni.mid(5) : QString(zarizeni);
    return QStringLiteral("LCK..") + jmeno.replace(u'/', u'_');
}

struct ucet {
    QString jmeno;
    gid_t skupina = 0;
};

std::optional<ucet> najdi_ucet(uid_t uid) {
    std::vector<char> misto(16384);
    passwd pw{};
    passwd* nalezen = nullptr;
    if (::getpwuid_r(uid, &pw, misto.data(), misto.size(), &nalezen) != 0 || !nalezen)
        return std::nullopt;
    return ucet{QString::fromLocal8Bit(pw.pw_name), pw.pw_gid};
}

QString jmeno_uctu(uid_t uid) {
    const auto u = najdi_ucet(uid);
    return u ? u->jmeno : QString::number(uid);
}

QString jmeno_skupiny(gid_t gid) {
    std::vector<char> misto(16384);
    group gr{};
    group* nalezena = nullptr;
    if (::getgrgid_r(gid, &gr, misto.data(), misto.size(), &nalezena) != 0 || !nalezena)
        return QString::number(gid);
    return QString::fromLocal8Bit(gr.gr_name);
}

bool je_ve_skupine(uid_t uid, gid_t gid) {
    const auto u = najdi_ucet(uid);
    if (!u)
        return false;
    if (u->skupina == gid)
        return true;
    const QByteArray jmeno = u->jmeno.toLocal8Bit();
    std::vector<gid_t> skupiny(64);
    int pocet = int(skupiny.size());
    while (::getgrouplist(jmeno.constData(), u->skupina, skupiny.data(), &pocet) < 0) {
        if (pocet <= int(skupiny.size()))
            return false;
        skupiny.resize(size_t(pocet));
    }
    return std::find(skupiny.begin(), skupiny.begin() + pocet, gid) != skupiny.begin() + pocet;
}

// Whether the account could open the device for reading and writing itself, by the device's
// owner, group and mode. An access control list on the device may let anyone: then it could.
bool muze_pouzit(uid_t uid, const struct stat& zarizeni, const QByteArray& cesta_zarizeni) {
    if (uid == 0 ||
        ::getxattr(cesta_zarizeni.constData(), "system.posix_acl_access", nullptr, 0) >= 0)
        return true;
    const mode_t m = zarizeni.st_mode;
    if (uid == zarizeni.st_uid)
        return (m & S_IRUSR) && (m & S_IWUSR);
    if (je_ve_skupine(uid, zarizeni.st_gid))
        return (m & S_IRGRP) && (m & S_IWGRP);
    return (m & S_IROTH) && (m & S_IWOTH);
}

// The process a lock names on its first line, in decimal with blanks around it allowed; 0 for none.
pid_t pid_zamku(QByteArrayView obsah) {
    const qsizetype konec = obsah.indexOf('\n');
    bool ok = false;
    const qlonglong pid =
        obsah.first(konec < 0 ? obsah.size() : konec).toByteArray().trimmed().toLongLong(&ok);
    return ok && pid > 0 && pid <= std::numeric_limits<pid_t>::max() ? pid_t(pid) : 0;
}

bool bezi(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

QString nazev_procesu(pid_t pid) {
    const int fd = ::open(nativni(QStringLiteral("/proc/%1/comm").arg(pid)).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    char nazev[32];
    const ssize_t n = ::read(fd, nazev, sizeof nazev);
    ::close(fd);
    return n > 0 ? QString::fromLocal8Bit(nazev, n).trimmed() : QString();
}

enum class druh_nalezu {
    nic,
    bez_vahy,  // keeps nobody out: no ordinary file, or a lock of one who cannot use the device
    zastaraly, // names no running process
    drzi       // a running process's lock, of one who could use the device
};

struct nalez {
    druh_nalezu druh = druh_nalezu::nic;
    struct stat st {};
    drzitel_zarizeni drzitel;
};

// What lies at one lock path. Nothing but an ordinary file is opened, and that without following a
// link or blocking; no more than nejvic_ze_zamku bytes of it are read.
nalez posud(const QString& cesta, const struct stat& zarizeni, const QByteArray& cesta_zarizeni) {
    nalez n;
    const QByteArray c = nativni(cesta);
    if (::lstat(c.constData(), &n.st) != 0)
        return n;
    n.drzitel.zamek = cesta;
    n.drzitel.vlastnik = jmeno_uctu(n.st.st_uid);
    const bool muze = muze_pouzit(n.st.st_uid, zarizeni, cesta_zarizeni);
    n.druh = druh_nalezu::bez_vahy;
    if (!S_ISREG(n.st.st_mode))
        return n;
    const int fd = ::open(c.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        // A lock that the system keeps from us: taken for held, if its owner could hold the port.
        if (muze)
            n.druh = druh_nalezu::drzi;
        return n;
    }
    char obsah[nejvic_ze_zamku];
    struct stat otevreny {};
    ssize_t precteno = -1;
    if (::fstat(fd, &otevreny) == 0 && S_ISREG(otevreny.st_mode) && tentyz(otevreny, n.st))
        precteno = ::read(fd, obsah, sizeof obsah);
    ::close(fd);
    if (precteno < 0)
        return n; // replaced meanwhile by something else
    const pid_t pid = pid_zamku(QByteArrayView(obsah, precteno));
    if (pid == 0 || !bezi(pid)) {
        n.druh = druh_nalezu::zastaraly;
    } else if (muze) {
        n.druh = druh_nalezu::drzi;
        n.drzitel.pid = pid;
        n.drzitel.program = nazev_procesu(pid);
    }
    return n;
}

// Removes the file found, if it is still the one at the path and the folder allows it.
void odstran(const QString& cesta, const struct stat& nalezeny) {
    const QByteArray c = nativni(cesta);
    struct stat ted {};
    if (::lstat(c.constData(), &ted) == 0 && tentyz(ted, nalezeny))
        ::unlink(c.constData());
}

} // namespace

zamek_zarizeni::~zamek_zarizeni() {
    uvolni();
}

std::optional<drzitel_zarizeni> zamek_zarizeni::zamkni(const QString& zarizeni) {
    uvolni();
    const QByteArray cesta_zarizeni = nativni(zarizeni);
    struct stat st_zarizeni {};
    if (::stat(cesta_zarizeni.constData(), &st_zarizeni) != 0)
        return std::nullopt; // no device: its opening fails and says so
    const QString jmeno = jmeno_zamku(zarizeni);
    const QStringList slozky = slozky_zamku();
    for (const QString& slozka : slozky) {
        const nalez n = posud(slozka + u'/' + jmeno, st_zarizeni, cesta_zarizeni);
        if (n.druh == druh_nalezu::drzi)
            return n.drzitel;
        if (n.druh == druh_nalezu::zastaraly)
            odstran(n.drzitel.zamek, n.st);
    }

    // The lock, in the first folder that takes it (/run/lock), where every program looks first.
    const QString slozka = slozka_pro_zamek(slozky);
    if (slozka.isEmpty())
        return std::nullopt;
    const QString cesta = slozka + u'/' + jmeno;
    const QByteArray c = nativni(cesta);
    const int fd = ::open(c.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) {
        // Another program was quicker, or something that stays is in the way.
        const nalez n = errno == EEXIST ? posud(cesta, st_zarizeni, cesta_zarizeni) : nalez{};
        if (n.druh == druh_nalezu::drzi)
            return n.drzitel;
        return std::nullopt;
    }
    // The pid in ten columns, as every program that honours these locks reads it; readable by all,
    // whatever the umask. The flock keeps QSerialPort elsewhere from removing it as stale.
    (void)!::fchmod(fd, 0644);
    (void)!::flock(fd, LOCK_EX | LOCK_NB);
    const QByteArray obsah = QByteArray::number(::getpid()).rightJustified(10) + '\n';
    if (::write(fd, obsah.constData(), size_t(obsah.size())) != obsah.size()) {
        ::unlink(c.constData());
        ::close(fd);
        return std::nullopt;
    }
    fd_ = fd;
    cesta_ = cesta;
    return std::nullopt;
}

QString zamek_zarizeni::jmeno_pro_qt(const QString& zarizeni) {
    zahod_jmeno_pro_qt();
    QByteArray sablona = nativni(QDir::tempPath() + QStringLiteral("/tarvik-XXXXXX"));
    if (!::mkdtemp(sablona.data()))
        return {};
    slozka_pro_qt_ = QFile::decodeName(sablona);
    quint64 nahoda[2];
    QRandomGenerator::system()->fillRange(nahoda);
    const QString odkaz =
        slozka_pro_qt_ + u'/' +
        QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(nahoda), sizeof nahoda).toHex());
    if (::symlink(nativni(zarizeni).constData(), nativni(odkaz).constData()) != 0) {
        zahod_jmeno_pro_qt();
        return {};
    }
    odkaz_pro_qt_ = odkaz;
    return odkaz;
}

void zamek_zarizeni::zahod_jmeno_pro_qt() {
    if (!odkaz_pro_qt_.isEmpty())
        ::unlink(nativni(odkaz_pro_qt_).constData());
    if (!slozka_pro_qt_.isEmpty())
        ::rmdir(nativni(slozka_pro_qt_).constData());
    odkaz_pro_qt_.clear();
    slozka_pro_qt_.clear();
}

void zamek_zarizeni::uvolni() {
    zahod_jmeno_pro_qt();
    if (fd_ < 0)
        return;
    struct stat nas {};
    if (::fstat(fd_, &nas) == 0)
        odstran(cesta_, nas);
    ::close(fd_);
    fd_ = -1;
    cesta_.clear();
}

int chyba_otevreni_zarizeni(const QString& zarizeni) {
    const int fd =
        ::open(nativni(zarizeni).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

QString rada_k_portu(const selhani_portu& s) {
    if (s.cislo < 1)
        return QStringLiteral("Klíč com v sekci [system] souboru %1 nenese číslo portu 1 až 9; "
                              "správce ho opraví (například com=1).")
            .arg(cesta_konfigurace());
    const QString odkaz = slozka_programu() + QStringLiteral("/dosdevices/com%1").arg(s.cislo);
    const QFileInfo info(odkaz);
    QString kde;
    if (info.isSymLink())
        kde = QStringLiteral("COM%1 je odkaz %2 na %3")
                  .arg(s.cislo)
                  .arg(odkaz, s.zarizeni == odkaz ? info.symLinkTarget() : s.zarizeni);
    else if (s.zarizeni == odkaz)
        kde = QStringLiteral("COM%1 je %2").arg(s.cislo).arg(odkaz);
    else
        kde = QStringLiteral("COM%1 je %2 (odkaz %3 není)").arg(s.cislo).arg(s.zarizeni, odkaz);

    if (s.drzitel) {
        const drzitel_zarizeni& d = *s.drzitel;
        QString kdo =
            d.pid ? QStringLiteral("proces %1").arg(d.pid) : QStringLiteral("neznámý proces");
        if (!d.program.isEmpty())
            kdo += QStringLiteral(" (%1)").arg(d.program);
        return QStringLiteral("%1; drží ho %2 účtu %3 zámkem %4. Ukončete ten program; nejde-li "
                              "to, požádejte správce o odstranění %4 (vlastník %3).")
            .arg(kde, kdo, d.vlastnik, d.zamek);
    }
    switch (s.chyba) {
    case EBUSY:
        return kde + QStringLiteral("; má ho otevřený jiný program. Ukončete ho.");
    case EACCES:
    case EPERM: {
        struct stat st {};
        const QString skupina = ::stat(nativni(s.zarizeni).constData(), &st) == 0
                                    ? jmeno_skupiny(st.st_gid)
                                    : QStringLiteral("dialout");
        const QString ja = jmeno_uctu(::geteuid());
        return QStringLiteral("%1; účet %2 k němu nemá přístup. Správce ho přidá do skupiny %3 "
                              "(sudo adduser %2 %3), platí od dalšího přihlášení.")
            .arg(kde, ja, skupina);
    }
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
    case EIO:
    case ELOOP: {
        // An adapter that is there, to name in the command; none is opened to find it.
        const QStringList adaptery =
            QDir(QStringLiteral("/dev"))
                .entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")}, QDir::System,
                           QDir::Name);
        const QString navrh = adaptery.isEmpty() ? QStringLiteral("/dev/ttyUSB0")
                                                 : QStringLiteral("/dev/") + adaptery.first();
        return QStringLiteral("%1; takové zařízení v systému není nebo neodpovídá. Připojte "
                              "převodník, nebo ať správce nasměruje odkaz na zařízení řídicí "
                              "jednotky:\nsudo ln -sfn %2 %3")
            .arg(kde, navrh, odkaz);
    }
    case 0: {
        // The device opens: QSerialPort could not write its lock, where no room is left.
        const QString slozka = slozka_pro_zamek(slozky_zamku());
        struct statvfs misto {};
        if (!slozka.isEmpty() && ::statvfs(nativni(slozka).constData(), &misto) == 0 &&
            (misto.f_bavail == 0 || misto.f_favail == 0))
            return QStringLiteral("%1; ve složce %2 není místo pro zámek portu. Ať správce "
                                  "odstraní, co ji zaplnilo (ls -lS %2).")
                .arg(kde, slozka);
        return kde + QStringLiteral("; zařízení nelze otevřít.");
    }
    default:
        return QStringLiteral("%1; zařízení nelze otevřít (%2).")
            .arg(kde, QString::fromLocal8Bit(std::strerror(s.chyba)));
    }
}

} // namespace tarvik
