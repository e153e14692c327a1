// Reading and changing files on Windows (files_p.h), with the system's own calls: a temporary
// file flushed to the disk and moved over the old one, or the old one written in place. Windows
// keeps no lock between reading a file and moving another over it: changes made at the same moment
// by two programs are not serialised here.

#include "platform/files.h"

#include "platform/files_p.h"

#include <QDeadlineTimer>
#include <QDir>
#include <algorithm>
#include <optional>
#include <qt_windows.h>
#include <string>
#include <utility>

namespace tarvik {

namespace {

// A file handle closed with its owner.
class popisovac {
public:
    explicit popisovac(HANDLE h) : h_(h) {}
    ~popisovac() {
        if (platny())
            ::CloseHandle(h_);
    }
    popisovac(const popisovac&) = delete;
    popisovac& operator=(const popisovac&) = delete;
    HANDLE h() const { return h_; }
    bool platny() const { return h_ != INVALID_HANDLE_VALUE; }
    bool zavri() { return platny() && ::CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)); }

private:
    HANDLE h_;
};

// The path as Windows takes it; a path longer than the old limit of 260 characters in the form
// that has no such limit.
std::wstring nativni(const QString& cesta) {
    const QString nativni = QDir::toNativeSeparators(QDir::cleanPath(cesta));
    const bool dlouha = nativni.size() >= MAX_PATH && nativni.size() > 2 && nativni[1] == u':';
    return (dlouha ? QStringLiteral("\\\\?\\") + nativni : nativni).toStdWString();
}

// With odkazy::odmitnout a link (a reparse point) at `cesta` is opened itself, and refused as no
// ordinary file.
HANDLE otevri(const QString& cesta, DWORD pristup, DWORD sdileni, DWORD jak, odkazy odkaz) {
    return ::CreateFileW(nativni(cesta).c_str(), pristup, sdileni, nullptr, jak,
                         FILE_ATTRIBUTE_NORMAL |
                             (odkaz == odkazy::odmitnout ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
                         nullptr);
}

identita_souboru identita_z(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// An ordinary file on a disk with one name: no folder, device, pipe or link, nor a file with a
// second name (a hard link). Its size and identity.
struct obycejny_soubor {
    qint64 velikost = 0;
    identita_souboru id;
};
std::optional<obycejny_soubor> obycejny(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        info.nNumberOfLinks != 1)
        return std::nullopt;
    return obycejny_soubor{qint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow, identita_z(info)};
}

bool zapis_vse(HANDLE h, QByteArrayView bajty, qint64 kde) {
    while (!bajty.isEmpty()) {
        OVERLAPPED misto{};
        misto.Offset = DWORD(kde);
        misto.OffsetHigh = DWORD(kde >> 32);
        DWORD n = 0;
        const auto kolik = DWORD(std::min<qsizetype>(bajty.size(), 1 << 20));
        if (!::WriteFile(h, bajty.data(), kolik, &n, &misto) || n == 0)
            return false;
        bajty = bajty.sliced(n);
        kde += n;
    }
    return true;
}

// Reads at most `nejvic` bytes from the start.
bool cti_az(HANDLE h, QByteArray& obsah, qint64 nejvic) {
    obsah.clear();
    char blok[16384];
    while (obsah.size() < nejvic) {
        OVERLAPPED misto{};
        misto.Offset = DWORD(obsah.size());
        misto.OffsetHigh = DWORD(qint64(obsah.size()) >> 32);
        DWORD n = 0;
        const auto chci = DWORD(std::min<qint64>(sizeof blok, nejvic - obsah.size()));
        if (!::ReadFile(h, blok, chci, &n, &misto))
            return ::GetLastError() == ERROR_HANDLE_EOF;
        if (n == 0)
            break;
        obsah.append(blok, n);
    }
    return true;
}

// Reads the open file whole, as precti_soubor does.
precteny_soubor precti_cely(HANDLE h, const std::optional<obycejny_soubor>& soubor, qint64 nejvic) {
    return soubory::precti_otevreny(
        {soubor.has_value(), soubor ? soubor->velikost : 0}, nejvic,
        [h](QByteArray& obsah, qint64 az) { return cti_az(h, obsah, az); });
}

} // namespace

namespace soubory {

// Only an administrator can make a link on Windows at all.
bool odkaz_spravce(const QString&) {
    return true;
}

// Windows holds no file between the reading and the replacement: whether there was one, and
// nothing open.
struct drzeny_soubor::systemove {
    bool existuje = false;
};

drzeny_soubor::drzeny_soubor(const QString& cil) : cil_(cil), s_(std::make_unique<systemove>()) {}
drzeny_soubor::~drzeny_soubor() = default;

drzeni drzeny_soubor::drz(qint64 nejvic, const QDeadlineTimer*) {
    popisovac f(otevri(cil_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, odkazy::odmitnout));
    if (!f.platny()) {
        const DWORD chyba = ::GetLastError();
        return chyba == ERROR_FILE_NOT_FOUND || chyba == ERROR_PATH_NOT_FOUND ? drzeni::chybi
                                                                              : drzeni::odmitnut;
    }
    const auto soubor = obycejny(f.h());
    if (!soubor)
        return drzeni::odmitnut;
    s_->existuje = true;
    id_ = soubor->id;
    stary_ = precti_cely(f.h(), soubor, nejvic);
    return drzeni::drzen;
}

nahrazeni drzeny_soubor::nahrad(QByteArrayView obsah, std::optional<quint64> cislo) {
    HANDLE novy = INVALID_HANDLE_VALUE;
    // The new file takes its rights from the folder, as any file the program makes.
    const docasny docasny = vytvor_docasny(
        cil_, cislo,
        [&](const QString& jmeno) {
            novy = otevri(jmeno, GENERIC_WRITE, 0, CREATE_NEW, odkazy::odmitnout);
            return novy != INVALID_HANDLE_VALUE            ? vytvoreni::vytvoren
                   : ::GetLastError() == ERROR_FILE_EXISTS ? vytvoreni::obsazeno
                                                           : vytvoreni::selhalo;
        },
        [](const QString& jmeno) { ::DeleteFileW(nativni(jmeno).c_str()); });
    // A change busy with the file's own temporary file has it open sharing nothing: then it stays,
    // and this change is refused.
    if (cislo && docasny.stav == vytvoreni::obsazeno)
        return nahrazeni::selhalo;
    if (docasny.stav != vytvoreni::vytvoren)
        return nahrazeni::bez_noveho_souboru;
    popisovac f(novy);
    const bool zapsano = zapis_vse(f.h(), obsah, 0) && ::FlushFileBuffers(f.h()) && f.zavri();
    if (zapsano &&
        ::MoveFileExW(nativni(docasny.cesta).c_str(), nativni(cil_).c_str(),
                      (s_->existuje ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH))
        return nahrazeni::hotovo;
    const DWORD chyba = ::GetLastError();
    f.zavri();
    ::DeleteFileW(nativni(docasny.cesta).c_str());
    if (!zapsano)
        return nahrazeni::selhalo; // the disk took no new content: the old file stays as it is
    if (!s_->existuje && (chyba == ERROR_ALREADY_EXISTS || chyba == ERROR_FILE_EXISTS))
        return nahrazeni::soubor_se_objevil;
    // The old file cannot be replaced (a scanner holding it, rights to write but not to delete
    // it): the caller may write in place.
    return nahrazeni::bez_noveho_souboru;
}

bool drzeny_soubor::prepis(qsizetype od, QByteArrayView bajty) {
    // Only where the file is still what the change was made of.
    popisovac f(otevri(cil_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                       odkazy::odmitnout));
    const auto soubor = f.platny() ? obycejny(f.h()) : std::nullopt;
    QByteArray ted;
    return soubor && cti_az(f.h(), ted, soubor->velikost) && ted == stary_.obsah &&
           zapis_vse(f.h(), bajty, od) && ::FlushFileBuffers(f.h()) && f.zavri();
}

} // namespace soubory

precteny_soubor precti_soubor(const QString& cesta, qint64 nejvic, odkazy odkaz) {
    popisovac f(otevri(cesta, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, odkaz));
    if (!f.platny()) {
        const DWORD chyba = ::GetLastError();
        return {chyba == ERROR_FILE_NOT_FOUND || chyba == ERROR_PATH_NOT_FOUND
                    ? stav_cteni::chybi
                    : stav_cteni::odmitnut,
                {}};
    }
    return precti_cely(f.h(), obycejny(f.h()), nejvic);
}

std::optional<identita_souboru> identita(const QString& cesta) {
    if (cesta.isEmpty())
        return std::nullopt;
    // Folders open only with backup semantics; nothing is read or written.
    popisovac f(::CreateFileW(nativni(cesta).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!f.platny() || !::GetFileInformationByHandle(f.h(), &info))
        return std::nullopt;
    return identita_z(info);
}

} // namespace tarvik
