#include "platform/files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <optional>
#include <utility>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarvik {

namespace {

// A link is the administrator's when no one but the owner of its folder may change that folder:
// an operator's group-writable folder may hold anything an operator put there. On Windows only an
// administrator can make a link at all.
bool odkaz_spravce([[maybe_unused]] const QString& odkaz) {
#ifdef Q_OS_WIN
    return true;
#else
    struct stat slozka {};
    return ::stat(QFile::encodeName(QFileInfo(odkaz).absolutePath()).constData(), &slozka) == 0 &&
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

bool je_docasny(const QString& jmeno, const QString& cil) {
    if (jmeno.size() != cil.size() + 7 || !jmeno.startsWith(cil + QLatin1Char('.')))
        return false;
    const auto hex = [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); };
    return std::all_of(jmeno.cbegin() + cil.size() + 1, jmeno.cend(), hex);
}

QString konec_odkazu(const QString& cesta) {
    QFileInfo info(cesta);
    for (int hloubka = 0; hloubka < 40 && info.isSymLink() && odkaz_spravce(info.filePath());
         ++hloubka)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

#ifndef Q_OS_WIN

namespace {

// A file descriptor closed with its owner.
class popisovac {
public:
    explicit popisovac(int fd) : fd_(fd) {}
    ~popisovac() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    popisovac(const popisovac&) = delete;
    popisovac& operator=(const popisovac&) = delete;
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

// The most a written file may allow: reading and writing by its owner and group, reading by
// others. Never execution, nor setuid, setgid or sticky bits, whatever the old file had.
constexpr mode_t nejvyssi_prava = 0664;

// Writes `novy` over the file in place, where one write can do it (see zmena_na_miste).
bool zapis_na_miste(const QString& cesta, QByteArrayView novy) {
    popisovac f(otevri(cesta, O_RDWR | O_NONBLOCK));
    struct stat st {};
    if (!f.platny() || ::fstat(f.fd(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    QByteArray stary;
    if (!cti_az(f.fd(), stary, st.st_size) || stary.size() != st.st_size)
        return false;
    const auto zmena = zmena_na_miste(stary, novy);
    if (!zmena)
        return false;
    // A file that another user made executable or setuid loses those bits where it is ours.
    if ((st.st_mode & 07777 & ~nejvyssi_prava) && st.st_uid == ::geteuid())
        (void)!::fchmod(f.fd(), st.st_mode & nejvyssi_prava);
    return zapis_vse(f.fd(), novy.sliced(zmena->od, zmena->po - zmena->od), zmena->od) &&
           synchronizuj(f.fd()) && f.zavri();
}

// Removes what writes killed before their rename left behind. A temporary file that a write is
// busy with is locked by it, and a young one may be that write's before it took the lock.
void uklid_docasne(const QString& cil) {
    const QFileInfo info(cil);
    const QDir slozka = info.absoluteDir();
    const QString jmeno = info.fileName();
    const QDateTime stari = QDateTime::currentDateTime().addSecs(-60);
    for (const QFileInfo& soubor :
         slozka.entryInfoList({jmeno + QStringLiteral(".*")}, QDir::Files | QDir::Hidden)) {
        if (!je_docasny(soubor.fileName(), jmeno) || soubor.isSymLink() ||
            soubor.lastModified() > stari)
            continue;
        popisovac f(otevri(soubor.filePath(), O_RDONLY | O_NONBLOCK));
        if (f.platny() && ::flock(f.fd(), LOCK_EX | LOCK_NB) == 0)
            ::unlink(QFile::encodeName(soubor.filePath()).constData());
    }
}

// Writes a temporary file beside `cil` and renames it over `cil`. Returns nothing when the
// folder takes no new file, so that the caller may write in place.
std::optional<bool> zapis_nahrazenim(const QString& cil, QByteArrayView obsah,
                                     const struct stat* stary) {
    uklid_docasne(cil);
    const QString slozka = QFileInfo(cil).absolutePath();
    QString docasny;
    int fd = -1;
    for (int pokus = 0; fd < 0 && pokus < 100; ++pokus) {
        docasny = cil + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate() & 0xffffff,
                                                  6, 16, QLatin1Char('0'));
        // A new file is created as any file of the program would be; a replaced one gets the old
        // one's permissions below and is no one else's meanwhile.
        fd = otevri(docasny, O_WRONLY | O_CREAT | O_EXCL, stary ? 0600 : nejvyssi_prava);
        if (fd < 0 && errno != EEXIST)
            return std::nullopt;
    }
    if (fd < 0)
        return std::nullopt;
    popisovac f(fd);
    (void)!::flock(f.fd(), LOCK_EX | LOCK_NB);

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
    hotovo =
        hotovo && synchronizuj(f.fd()) && f.zavri() &&
        ::rename(QFile::encodeName(docasny).constData(), QFile::encodeName(cil).constData()) == 0;
    if (!hotovo) {
        ::unlink(QFile::encodeName(docasny).constData());
        return false;
    }
    synchronizuj_slozku(slozka);
    return true;
}

} // namespace

precteny_soubor precti_soubor(const QString& cesta, qint64 nejvic, odkazy odkaz) {
    const QString cil = odkaz == odkazy::nasledovat ? konec_odkazu(cesta) : cesta;
    popisovac f(otevri(cil, O_RDONLY | O_NONBLOCK));
    if (!f.platny())
        return {errno == ENOENT || errno == ENOTDIR ? stav_cteni::chybi : stav_cteni::odmitnut, {}};
    struct stat st {};
    precteny_soubor vysledek{stav_cteni::odmitnut, {}};
    if (::fstat(f.fd(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > nejvic)
        return vysledek;
    // The size may change while the file is read: at most one byte more than allowed is read.
    if (!cti_az(f.fd(), vysledek.obsah, nejvic + 1) || vysledek.obsah.size() > nejvic)
        return {stav_cteni::odmitnut, {}};
    vysledek.stav = stav_cteni::precten;
    return vysledek;
}

std::optional<identita_souboru> identita(const QString& cesta) {
    struct stat st {};
    if (cesta.isEmpty() || ::stat(QFile::encodeName(cesta).constData(), &st) != 0)
        return std::nullopt;
    return identita_souboru{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

bool zapis_soubor(const QString& cesta, QByteArrayView obsah, odkazy odkaz,
                  QByteArrayView obsah_na_miste) {
    const QString cil = odkaz == odkazy::nasledovat ? konec_odkazu(cesta) : cesta;
    struct stat stary {};
    const bool existuje = ::lstat(QFile::encodeName(cil).constData(), &stary) == 0;
    if (existuje && !S_ISREG(stary.st_mode))
        return false;
    if (!existuje && errno != ENOENT)
        return false;
    if (const auto nahrazeno = zapis_nahrazenim(cil, obsah, existuje ? &stary : nullptr))
        return *nahrazeno;
    return existuje && zapis_na_miste(cil, obsah_na_miste.isNull() ? obsah : obsah_na_miste);
}

#endif

} // namespace tarvik
