#include "platform/files.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <optional>
#include <utility>

#ifndef Q_OS_WIN
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#endif

namespace tarvik {

namespace {

// A link is the administrator's when no one but root or the program's own user may change the
// folder that holds it: a folder that a group shares, or that is another account's, may hold
// anything another account put there. On Windows only an administrator can make a link at all.
bool odkaz_spravce([[maybe_unused]] const QString& odkaz) {
#ifdef Q_OS_WIN
    return true;
#else
    struct stat slozka {};
    return ::stat(QFile::encodeName(QFileInfo(odkaz).absolutePath()).constData(), &slozka) == 0 &&
           (slozka.st_uid == 0 || slozka.st_uid == ::geteuid()) &&
           (slozka.st_mode & (S_IWGRP | S_IWOTH)) == 0;
#endif
}

} // namespace

std::optional<usek_zmeny> zmena_na_miste(QByteArrayView stary, QByteArrayView novy) {
    constexpr qsizetype stranka = 4096;
    if (novy.size() < stary.size())
        return std::nullopt;
    usek_zmeny u{0, novy.size()};
    while (u.od < stary.size() && novy[u.od] == stary[u.od])
        ++u.od;
    if (novy.size() == stary.size())
        while (u.po > u.od && novy[u.po - 1] == stary[u.po - 1])
            --u.po;
    if (u.od < u.po && u.od / stranka != (u.po - 1) / stranka)
        return std::nullopt;
    return u;
}

QString docasny_soubor(const QString& cil, quint64 cislo) {
    const QFileInfo info(cil);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".zapis-") + QString::number(cislo, 16);
}

QString konec_odkazu(const QString& cesta) {
    QFileInfo info(cesta);
    for (int hloubka = 0; hloubka < 40 && info.isSymLink() && odkaz_spravce(info.filePath());
         ++hloubka)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

QString slozka_spravce(const QString& cesta) {
    // The path taken apart, its first part the root ("" before the first "/", or a drive).
    QStringList zbyva = QDir::cleanPath(QFileInfo(cesta).absoluteFilePath()).split(u'/');
    QString hotovo = zbyva.takeFirst(); // resolved so far, with no link in it
    for (int odkazu = 0; !zbyva.isEmpty();) {
        const QString cast = zbyva.takeFirst();
        if (cast.isEmpty() || cast == u".")
            continue;
        if (cast == u"..") {
            hotovo.truncate(std::max<qsizetype>(hotovo.lastIndexOf(u'/'), 0));
            continue;
        }
        const QString dalsi = hotovo + u'/' + cast;
        const QFileInfo info(dalsi);
        if (info.isSymLink()) {
            if (++odkazu > 40 || !odkaz_spravce(dalsi))
                return {};
            zbyva = QDir::cleanPath(info.symLinkTarget()).split(u'/') + zbyva;
            hotovo = zbyva.takeFirst();
        } else if (info.isDir()) {
            hotovo = dalsi;
        } else {
            return {};
        }
    }
    return hotovo.isEmpty() ? QStringLiteral("/") : hotovo;
}

#ifndef Q_OS_WIN

namespace {

// A file descriptor closed with its owner.
class popisovac {
public:
    explicit popisovac(int fd = -1) : fd_(fd) {}
    ~popisovac() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    popisovac(const popisovac&) = delete;
    popisovac& operator=(const popisovac&) = delete;
    void nastav(int fd) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int fd() const { return fd_; }
    bool platny() const { return fd_ >= 0; }
    // Closes now: a file system that reports a write error only at close is heard.
    bool zavri() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

// Opens the file itself, never through a link at its place (a link there is refused with ELOOP).
int otevri(const QString& cesta, int priznaky, mode_t prava = 0) {
    int fd;
    do
        fd = ::open(QFile::encodeName(cesta).constData(),
                    priznaky | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, prava);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool zapis_vse(int fd, QByteArrayView bajty, off_t kde) {
    while (!bajty.isEmpty()) {
        const ssize_t n = ::pwrite(fd, bajty.data(), static_cast<size_t>(bajty.size()), kde);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bajty = bajty.sliced(n);
        kde += n;
    }
    return true;
}

// Reads at most `nejvic` bytes from where the file stands.
bool cti_az(int fd, QByteArray& obsah, qint64 nejvic) {
    obsah.clear();
    char blok[16384];
    while (obsah.size() < nejvic) {
        const auto chci = static_cast<size_t>(std::min<qint64>(sizeof blok, nejvic - obsah.size()));
        const ssize_t n = ::read(fd, blok, chci);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        obsah.append(blok, n);
    }
    return true;
}

bool synchronizuj(int fd) {
    int r;
    do
        r = ::fsync(fd);
    while (r < 0 && errno == EINTR);
    return r == 0;
}

// The rename is only durable once the folder that holds it is synced. The new content is in place
// already; some file systems refuse to sync a folder, which changes nothing about that.
void synchronizuj_slozku(const QString& slozka) {
    popisovac f(otevri(slozka, O_RDONLY | O_DIRECTORY));
    if (f.platny())
        synchronizuj(f.fd());
}

// The most a written file may allow: reading and writing by its owner and group. Others never
// read it (it holds the password's hash), nothing executes it, and it never gets setuid, setgid
// or sticky bits, whatever the old file had.
constexpr mode_t nejvyssi_prava = 0660;

// How long a change waits for another program's change of the same file: those take
// milliseconds, so only a program that holds the lock without changing anything waits it out.
constexpr auto cekani_na_zamek = std::chrono::seconds(5);

// An ordinary file with no second name, through which it could be someone else's. A file that
// has just been replaced has no name left: what it holds was the file until then.
bool jedine_jmeno(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink <= 1;
}

// Reads the open file whole from where it stands (its start), as precti_soubor does.
precteny_soubor precti_otevreny(int fd, const struct stat& st, qint64 nejvic) {
    precteny_soubor vysledek{stav_cteni::odmitnut, {}};
    if (!jedine_jmeno(st) || st.st_size > nejvic)
        return vysledek;
    // The size may change while the file is read: at most one byte more than allowed is read.
    if (!cti_az(fd, vysledek.obsah, nejvic + 1) || vysledek.obsah.size() > nejvic)
        return {stav_cteni::odmitnut, {}};
    vysledek.stav = stav_cteni::precten;
    return vysledek;
}

// Takes the lock of the open file, waiting while another program holds it, until `konec`. Where
// the file system keeps no locks (some network shares), the change goes on without one.
bool zamkni(int fd, const QDeadlineTimer& konec) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true;
        if (konec.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The file that a change holds: open (for writing where it may be written), locked, and read.
struct drzeny_soubor {
    popisovac f;
    struct stat st {};
    bool zapisovatelny = false;
    precteny_soubor stary;
};

enum class drzeni { drzen, chybi, odmitnut, znovu };

// Opens the file `cil` and, with `konec`, takes its lock; then reads it. A file that was replaced
// or removed while the lock was awaited is for the caller to open again (znovu).
drzeni drz(const QString& cil, qint64 nejvic, const QDeadlineTimer* konec, drzeny_soubor& d) {
    struct stat pred {};
    if (::lstat(QFile::encodeName(cil).constData(), &pred) != 0)
        return errno == ENOENT ? drzeni::chybi : drzeni::odmitnut;
    // Nothing else is opened: no device, no FIFO to wait on.
    if (!jedine_jmeno(pred))
        return drzeni::odmitnut;
    int fd = otevri(cil, O_RDWR | O_NONBLOCK);
    d.zapisovatelny = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == ETXTBSY))
        fd = otevri(cil, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? drzeni::znovu : drzeni::odmitnut;
    d.f.nastav(fd);
    if (::fstat(d.f.fd(), &d.st) != 0 || !jedine_jmeno(d.st))
        return drzeni::odmitnut;
    if (konec) {
        if (!zamkni(d.f.fd(), *konec))
            return drzeni::odmitnut;
        struct stat ted {};
        if (::lstat(QFile::encodeName(cil).constData(), &ted) != 0 || ted.st_dev != d.st.st_dev ||
            ted.st_ino != d.st.st_ino)
            return drzeni::znovu;
        // A second name made while the lock was awaited.
        if (::fstat(d.f.fd(), &d.st) != 0 || !jedine_jmeno(d.st))
            return drzeni::odmitnut;
    }
    d.stary = precti_otevreny(d.f.fd(), d.st, nejvic);
    return drzeni::drzen;
}

// Renames `z` to `na` only where nothing lies at `na` (EEXIST otherwise); a file system that cannot
// (EINVAL) renames it as rename does.
int prejmenuj_do_prazdna(const QByteArray& z, const QByteArray& na) {
    if (::renameat2(AT_FDCWD, z.constData(), AT_FDCWD, na.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    return ::rename(z.constData(), na.constData());
}

enum class nahrazeni { hotovo, selhalo, bez_noveho_souboru, soubor_se_objevil };

// Writes `obsah` to a temporary file beside `cil` (named by `cislo`, or at random) and renames it
// over the old file `stary`, or with no old file into the empty place.
nahrazeni nahrad(const QString& cil, QByteArrayView obsah, const struct stat* stary,
                 std::optional<quint64> cislo) {
    const QString slozka = QFileInfo(cil).absolutePath();
    // A new file is created as any file of the program would be; a replaced one gets the old one's
    // permissions below and is no one else's meanwhile.
    const mode_t prava = stary ? 0600 : nejvyssi_prava;
    QString docasny;
    int fd = -1;
    if (cislo) {
        docasny = docasny_soubor(cil, *cislo);
        // What a killed change of this file left: only the holder of its lock uses this name.
        ::unlink(QFile::encodeName(docasny).constData());
        fd = otevri(docasny, O_WRONLY | O_CREAT | O_EXCL, prava);
    } else {
        for (int pokus = 0; pokus < 100; ++pokus) {
            docasny = docasny_soubor(cil, QRandomGenerator::global()->generate());
            fd = otevri(docasny, O_WRONLY | O_CREAT | O_EXCL, prava);
            if (fd >= 0 || errno != EEXIST)
                break;
        }
    }
    if (fd < 0)
        return nahrazeni::bez_noveho_souboru;
    popisovac f(fd);

    bool hotovo = zapis_vse(f.fd(), obsah, 0);
    if (hotovo && stary) {
        // A replaced file keeps its permissions, within nejvyssi_prava. As root, the file stays
        // its owner's; anyone else cannot give a file away, and keeps it.
        (void)!::fchown(f.fd(), stary->st_uid, stary->st_gid);
        hotovo = ::fchmod(f.fd(), stary->st_mode & nejvyssi_prava) == 0;
    } else if (hotovo && QFileInfo(slozka).permission(QFileDevice::WriteGroup)) {
        // The operators share the program's folder through its group: a new file is theirs to
        // write as well, or the next operator's settings would be refused without a word.
        struct stat nove {};
        hotovo =
            ::fstat(f.fd(), &nove) == 0 &&
            ::fchmod(f.fd(), ((nove.st_mode & 07777) | S_IRGRP | S_IWGRP) & nejvyssi_prava) == 0;
    }
    const QByteArray z = QFile::encodeName(docasny), na = QFile::encodeName(cil);
    bool objevil_se = false;
    if (hotovo && synchronizuj(f.fd()) && f.zavri()) {
        if ((stary ? ::rename(z.constData(), na.constData()) : prejmenuj_do_prazdna(z, na)) == 0) {
            synchronizuj_slozku(slozka);
            return nahrazeni::hotovo;
        }
        objevil_se = !stary && errno == EEXIST;
    }
    ::unlink(z.constData());
    return objevil_se ? nahrazeni::soubor_se_objevil : nahrazeni::selhalo;
}

// Writes `novy` over the held file in place, where one write can do it (see zmena_na_miste).
bool zapis_na_miste(drzeny_soubor& d, QByteArrayView novy) {
    if (!d.zapisovatelny || d.stary.stav != stav_cteni::precten)
        return false;
    const auto zmena = zmena_na_miste(d.stary.obsah, novy);
    if (!zmena)
        return false;
    // A file that another user made executable or setuid, or let others read, loses that where
    // it is ours.
    if ((d.st.st_mode & 07777 & ~nejvyssi_prava) && d.st.st_uid == ::geteuid())
        (void)!::fchmod(d.f.fd(), d.st.st_mode & nejvyssi_prava);
    return zapis_vse(d.f.fd(), novy.sliced(zmena->od, zmena->po - zmena->od), zmena->od) &&
           synchronizuj(d.f.fd()) && d.f.zavri();
}

} // namespace

precteny_soubor precti_soubor(const QString& cesta, qint64 nejvic, odkazy odkaz) {
    const QString cil = odkaz == odkazy::nasledovat ? konec_odkazu(cesta) : cesta;
    popisovac f(otevri(cil, O_RDONLY | O_NONBLOCK));
    if (!f.platny())
        return {errno == ENOENT || errno == ENOTDIR ? stav_cteni::chybi : stav_cteni::odmitnut, {}};
    struct stat st {};
    if (::fstat(f.fd(), &st) != 0)
        return {stav_cteni::odmitnut, {}};
    return precti_otevreny(f.fd(), st, nejvic);
}

std::optional<identita_souboru> identita(const QString& cesta) {
    struct stat st {};
    if (cesta.isEmpty() || ::stat(QFile::encodeName(cesta).constData(), &st) != 0)
        return std::nullopt;
    return identita_souboru{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

bool zmen_soubor(const QString& cesta, qint64 nejvic, const zmena_souboru& zmena) {
    const QString cil = konec_odkazu(cesta);
    const QDeadlineTimer konec(cekani_na_zamek);
    for (int pokus = 0; pokus < 100; ++pokus) {
        drzeny_soubor d;
        const drzeni stav = drz(cil, nejvic, &konec, d);
        if (stav == drzeni::znovu)
            continue;
        if (stav == drzeni::odmitnut)
            return false;
        const auto novy = zmena(d.stary);
        if (!novy)
            return false;
        if (d.stary.stav == stav_cteni::precten && novy->obsah == d.stary.obsah)
            return true;
        const bool existuje = stav == drzeni::drzen;
        switch (nahrad(cil, novy->obsah, existuje ? &d.st : nullptr,
                       existuje ? std::optional<quint64>(d.st.st_ino) : std::nullopt)) {
        case nahrazeni::hotovo:
            return true;
        case nahrazeni::selhalo:
            return false;
        case nahrazeni::soubor_se_objevil:
            continue;
        case nahrazeni::bez_noveho_souboru:
            return existuje &&
                   zapis_na_miste(d, novy->na_miste.isNull() ? novy->obsah : novy->na_miste);
        }
    }
    return false;
}

bool zapis_soubor(const QString& cesta, QByteArrayView obsah) {
    drzeny_soubor d;
    const drzeni stav = drz(cesta, obsah.size(), nullptr, d);
    if (stav != drzeni::drzen && stav != drzeni::chybi)
        return false;
    const bool existuje = stav == drzeni::drzen;
    switch (nahrad(cesta, obsah, existuje ? &d.st : nullptr, std::nullopt)) {
    case nahrazeni::hotovo:
        return true;
    case nahrazeni::bez_noveho_souboru:
        return existuje && zapis_na_miste(d, obsah);
    default:
        return false;
    }
}

#endif

} // namespace tarvik
