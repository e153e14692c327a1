// Reading and replacing files on Windows (files.h), with the system's own calls: a temporary file
// flushed to the disk and moved over the old one, or the old one written in place.

#include "platform/files.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
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

// An ordinary file on a disk, no folder, device, pipe or link; its size.
std::optional<qint64> velikost_obycejneho(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return std::nullopt;
    return qint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
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

// Writes `novy` over the file in place, where one write can do it (see zmena_na_miste).
bool zapis_na_miste(const QString& cesta, QByteArrayView novy, odkazy odkaz) {
    popisovac f(otevri(cesta, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, odkaz));
    const auto velikost = f.platny() ? velikost_obycejneho(f.h()) : std::nullopt;
    QByteArray stary;
    if (!velikost || !cti_az(f.h(), stary, *velikost) || stary.size() != *velikost)
        return false;
    const auto zmena = zmena_na_miste(stary, novy);
    return zmena && zapis_vse(f.h(), novy.sliced(zmena->od, zmena->po - zmena->od), zmena->od) &&
           ::FlushFileBuffers(f.h()) && f.zavri();
}

// Removes what writes killed before their move left beside `cil`, once they are a minute old. A
// temporary file that a write still has open cannot be deleted: it opens them sharing nothing.
void uklid_docasne(const QString& cil) {
    const QFileInfo info(cil);
    const QDateTime stari = QDateTime::currentDateTime().addSecs(-60);
    for (const QFileInfo& soubor : info.absoluteDir().entryInfoList(
             {info.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::System))
        if (je_docasny(soubor.fileName(), info.fileName()) && soubor.lastModified() < stari)
            ::DeleteFileW(nativni(soubor.filePath()).c_str());
}

// Writes a temporary file beside `cil` and moves it over `cil`, straight through to the disk.
// Returns nothing when the folder takes no new file, or the old file cannot be replaced (a
// scanner holding it, rights to write but not to delete it), so that the caller may write in
// place.
std::optional<bool> zapis_nahrazenim(const QString& cil, QByteArrayView obsah) {
    uklid_docasne(cil);
    QString docasny;
    HANDLE novy = INVALID_HANDLE_VALUE;
    for (int pokus = 0; novy == INVALID_HANDLE_VALUE && pokus < 100; ++pokus) {
        docasny = cil + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate() & 0xffffff,
                                                  6, 16, QLatin1Char('0'));
        // The new file takes its rights from the folder, as any file the program makes.
        novy = otevri(docasny, GENERIC_WRITE, 0, CREATE_NEW, odkazy::odmitnout);
        if (novy == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return std::nullopt;
    }
    if (novy == INVALID_HANDLE_VALUE)
        return std::nullopt;
    popisovac f(novy);
    const bool zapsano = zapis_vse(f.h(), obsah, 0) && ::FlushFileBuffers(f.h()) && f.zavri();
    if (zapsano && ::MoveFileExW(nativni(docasny).c_str(), nativni(cil).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    f.zavri();
    ::DeleteFileW(nativni(docasny).c_str());
    if (!zapsano)
        return false; // the disk took no new content: the old file stays as it is
    return std::nullopt;
}

} // namespace

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
    const auto velikost = velikost_obycejneho(f.h());
    precteny_soubor vysledek{stav_cteni::odmitnut, {}};
    if (!velikost || *velikost > nejvic)
        return vysledek;
    // The size may change while the file is read: at most one byte more than allowed is read.
    if (!cti_az(f.h(), vysledek.obsah, nejvic + 1) || vysledek.obsah.size() > nejvic)
        return {stav_cteni::odmitnut, {}};
    vysledek.stav = stav_cteni::precten;
    return vysledek;
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
    return identita_souboru{info.dwVolumeSerialNumber,
                            (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool zapis_soubor(const QString& cesta, QByteArrayView obsah, odkazy odkaz,
                  QByteArrayView obsah_na_miste) {
    const QString cil = odkaz == odkazy::nasledovat ? konec_odkazu(cesta) : cesta;
    const DWORD atributy = ::GetFileAttributesW(nativni(cil).c_str());
    const bool existuje = atributy != INVALID_FILE_ATTRIBUTES;
    if (!existuje && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    if (existuje && (atributy & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    if (const auto nahrazeno = zapis_nahrazenim(cil, obsah))
        return *nahrazeno;
    return existuje && zapis_na_miste(cil, obsah_na_miste.isNull() ? obsah : obsah_na_miste, odkaz);
}

} // namespace tarvik
