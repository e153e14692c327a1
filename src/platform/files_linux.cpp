// Reading and changing files on Linux (files_p.h): file descriptors opened without following a
// link at the file's place, the file's lock (flock) held from the reading to the replacement, and
// the permissions of what is written.

#include "platform/files.h"

#include "platform/files_p.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tarvik {

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

// An ordinary file with no second name, through which it could be someone else's. A file that
// has just been replaced has no name left: what it holds was the file until then.
bool jedine_jmeno(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink <= 1;
}

identita_souboru identita_z(const struct stat& st) {
    return {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

// Reads the open file whole from where it stands (its start), as precti_soubor does.
precteny_soubor precti_cely(int fd, const struct stat& st, qint64 nejvic) {
    return soubory::precti_otevreny(
        {jedine_jmeno(st), st.st_size}, nejvic,
        [fd](QByteArray& obsah, qint64 az) { return cti_az(fd, obsah, az); });
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

// Renames `z` to `na` only where nothing lies at `na` (EEXIST otherwise); a file system that cannot
// (EINVAL) renames it as rename does.
int prejmenuj_do_prazdna(const QByteArray& z, const QByteArray& na) {
    if (::renameat2(AT_FDCWD, z.constData(), AT_FDCWD, na.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    return ::rename(z.constData(), na.constData());
}

} // namespace

namespace soubory {

// A link is the administrator's when no one but root or the program's own user may change the
// folder that holds it: a folder that a group shares, or that is another account's, may hold
// anything another account put there.
bool odkaz_spravce(const QString& odkaz) {
    struct stat slozka {};
    return ::stat(QFile::encodeName(QFileInfo(odkaz).absolutePath()).constData(), &slozka) == 0 &&
           (slozka.st_uid == 0 || slozka.st_uid == ::geteuid()) &&
           (slozka.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The held file: open (for writing where it may be written), locked where asked, and its status.
struct drzeny_soubor::systemove {
    popisovac f;
    struct stat st {};
    bool zapisovatelny = false;
};

drzeny_soubor::drzeny_soubor(const QString& cil) : cil_(cil), s_(std::make_unique<systemove>()) {}
drzeny_soubor::~drzeny_soubor() = default;

drzeni drzeny_soubor::drz(qint64 nejvic, const QDeadlineTimer* konec) {
    struct stat pred {};
    if (::lstat(QFile::encodeName(cil_).constData(), &pred) != 0)
        return errno == ENOENT ? drzeni::chybi : drzeni::odmitnut;
    // Nothing else is opened: no device, no FIFO to wait on.
    if (!jedine_jmeno(pred))
        return drzeni::odmitnut;
    int fd = otevri(cil_, O_RDWR | O_NONBLOCK);
    s_->zapisovatelny = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == ETXTBSY))
        fd = otevri(cil_, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? drzeni::znovu : drzeni::odmitnut;
    s_->f.nastav(fd);
    if (::fstat(fd, &s_->st) != 0 || !jedine_jmeno(s_->st))
        return drzeni::odmitnut;
    if (konec) {
        if (!zamkni(fd, *konec))
            return drzeni::odmitnut;
        struct stat ted {};
        if (::lstat(QFile::encodeName(cil_).constData(), &ted) != 0 ||
            identita_z(ted) != identita_z(s_->st))
            return drzeni::znovu;
        // A second name made while the lock was awaited.
        if (::fstat(fd, &s_->st) != 0 || !jedine_jmeno(s_->st))
            return drzeni::odmitnut;
    }
    id_ = identita_z(s_->st);
    stary_ = precti_cely(fd, s_->st, nejvic);
    return drzeni::drzen;
}

nahrazeni drzeny_soubor::nahrad(QByteArrayView obsah, std::optional<quint64> cislo) {
    const QString slozka = QFileInfo(cil_).absolutePath();
    // The old file, where one is held.
    const struct stat* stary = s_->f.platny() ? &s_->st : nullptr;
    // A new file is created as any file of the program would be; a replaced one gets the old one's
    // permissions below and is no one else's meanwhile.
    const mode_t prava = stary ? 0600 : nejvyssi_prava;
    int fd = -1;
    const docasny docasny = vytvor_docasny(
        cil_, cislo,
        [&](const QString& jmeno) {
            fd = otevri(jmeno, O_WRONLY | O_CREAT | O_EXCL, prava);
            return fd >= 0           ? vytvoreni::vytvoren
                   : errno == EEXIST ? vytvoreni::obsazeno
                                     : vytvoreni::selhalo;
        },
        [](const QString& jmeno) { ::unlink(QFile::encodeName(jmeno).constData()); });
    if (docasny.stav != vytvoreni::vytvoren)
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
    const QByteArray z = QFile::encodeName(docasny.cesta), na = QFile::encodeName(cil_);
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

bool drzeny_soubor::prepis(qsizetype od, QByteArrayView bajty) {
    if (!s_->zapisovatelny)
        return false;
    // A file that another user made executable or setuid, or let others read, loses that where
    // it is ours.
    if ((s_->st.st_mode & 07777 & ~nejvyssi_prava) && s_->st.st_uid == ::geteuid())
        (void)!::fchmod(s_->f.fd(), s_->st.st_mode & nejvyssi_prava);
    return zapis_vse(s_->f.fd(), bajty, od) && synchronizuj(s_->f.fd()) && s_->f.zavri();
}

} // namespace soubory

precteny_soubor precti_soubor(const QString& cesta, qint64 nejvic, odkazy odkaz) {
    const QString cil = odkaz == odkazy::nasledovat ? konec_odkazu(cesta) : cesta;
    popisovac f(otevri(cil, O_RDONLY | O_NONBLOCK));
    if (!f.platny())
        return {errno == ENOENT || errno == ENOTDIR ? stav_cteni::chybi : stav_cteni::odmitnut, {}};
    struct stat st {};
    if (::fstat(f.fd(), &st) != 0)
        return {stav_cteni::odmitnut, {}};
    return precti_cely(f.fd(), st, nejvic);
}

std::optional<identita_souboru> identita(const QString& cesta) {
    struct stat st {};
    if (cesta.isEmpty() || ::stat(QFile::encodeName(cesta).constData(), &st) != 0)
        return std::nullopt;
    return identita_z(st);
}

} // namespace tarvik
