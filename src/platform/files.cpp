#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <optional>
#include <utility>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarvik {

QString konec_odkazu(const QString& cesta) {
    QFileInfo info(cesta);
    for (int hloubka = 0; hloubka < 40 && info.isSymLink(); ++hloubka)
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

int otevri(const QString& cesta, int priznaky, mode_t prava = 0) {
    int fd;
    do
        fd = ::open(QFile::encodeName(cesta).constData(), priznaky | O_CLOEXEC | O_NOCTTY, prava);
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

// Reads at most `nejvic` bytes from the position `kde` on.
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

bool zapis_na_miste(const QString& cesta, QByteArrayView novy, odkazy odkaz) {
    popisovac f(otevri(cesta, O_RDWR | O_NONBLOCK | (odkaz == odkazy::odmitnout ? O_NOFOLLOW : 0)));
    struct stat st {};
    if (!f.platny() || ::fstat(f.fd(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    QByteArray stary;
    if (!cti_az(f.fd(), stary, st.st_size) || stary.size() != st.st_size)
        return false;

    const qsizetype stara_delka = stary.size();
    if (novy.size() > stara_delka &&
        !(zapis_vse(f.fd(), novy.sliced(stara_delka), stara_delka) && synchronizuj(f.fd()))) {
        // The file does not grow: the old content is still whole, only its end is cut back.
        (void)!::ftruncate(f.fd(), stara_delka);
        synchronizuj(f.fd());
        return false;
    }
    const qsizetype spolecne = std::min(novy.size(), stara_delka);
    qsizetype prvni = 0;
    while (prvni < spolecne && novy[prvni] == stary[prvni])
        ++prvni;
    // These bytes land in room the file already holds, so a full disk cannot stop them.
    if (!zapis_vse(f.fd(), novy.sliced(prvni, spolecne - prvni), prvni))
        return false;
    if (novy.size() < stara_delka && ::ftruncate(f.fd(), novy.size()) != 0)
        return false;
    return synchronizuj(f.fd()) && f.zavri();
}

// Writes a temporary file beside `cil` and renames it over `cil`. Returns nothing when the
// folder takes no new file, so that the caller may write in place.
std::optional<bool> zapis_nahrazenim(const QString& cil, QByteArrayView obsah,
                                     const struct stat* stary) {
    const QFileInfo info(cil);
    const QString slozka = info.absolutePath();
    QString docasny;
    int fd = -1;
    for (int pokus = 0; fd < 0 && pokus < 100; ++pokus) {
        docasny = cil + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate() & 0xffffff,
                                                  6, 16, QLatin1Char('0'));
        // A new file is created as any file of the program would be; a replaced one gets the old
        // one's permissions below and is no one else's meanwhile.
        fd = otevri(docasny, O_WRONLY | O_CREAT | O_EXCL, stary ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return std::nullopt;
    }
    if (fd < 0)
        return std::nullopt;
    popisovac f(fd);

    bool hotovo = zapis_vse(f.fd(), obsah, 0);
    if (hotovo && stary) {
        // As root, the file stays its owner's; anyone else cannot give a file away, and keeps it.
        (void)!::fchown(f.fd(), stary->st_uid, stary->st_gid);
        hotovo = ::fchmod(f.fd(), stary->st_mode & 07777) == 0;
    } else if (hotovo && QFileInfo(slozka).permission(QFileDevice::WriteGroup)) {
        // The operators share the program's folder through its group: a new file is theirs to
        // write as well, or the next operator's settings would be refused without a word.
        struct stat nove {};
        hotovo = ::fstat(f.fd(), &nove) == 0 &&
                 ::fchmod(f.fd(), (nove.st_mode & 07777) | S_IRGRP | S_IWGRP) == 0;
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
    popisovac f(
        otevri(cesta, O_RDONLY | O_NONBLOCK | (odkaz == odkazy::odmitnout ? O_NOFOLLOW : 0)));
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

bool zapis_soubor(const QString& cesta, QByteArrayView obsah, odkazy odkaz) {
    const QString cil = odkaz == odkazy::nasledovat ? konec_odkazu(cesta) : cesta;
    struct stat stary {};
    const bool existuje = ::lstat(QFile::encodeName(cil).constData(), &stary) == 0;
    if (existuje && !S_ISREG(stary.st_mode))
        return false;
    if (!existuje && errno != ENOENT)
        return false;
    if (const auto nahrazeno = zapis_nahrazenim(cil, obsah, existuje ? &stary : nullptr))
        return *nahrazeno;
    return existuje && zapis_na_miste(cil, obsah, odkaz);
}

#endif

} // namespace tarvik
