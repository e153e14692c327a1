// Reading and replacing files on Windows (files.h), with the system's own calls: a temporary file
// flushed to the disk and moved over the old one, or the old one written in place. Windows keeps
// no lock between reading a file and moving another over it: changes made at the same moment by
// two programs are not serialised here.

#include "platform/files.h"

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

// An ordinary file on a disk with one name: no folder, device, pipe or link, nor a file with a
// second name (a hard link). Its size and its number on the volume.
struct obycejny_soubor {
    qint64 velikost = 0;
    quint64 cislo = 0;
};
std::optional<obycejny_soubor> obycejny(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        info.nNumberOfLinks != 1)
        return std::nullopt;
    return obycejny_soubor{qint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow,
                           quint64(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
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

// Reads the open file whole, when it is no larger than `nejvic`.
precteny_soubor precti_otevreny(HANDLE h, const std::optional<obycejny_soubor>& soubor,
                                qint64 nejvic) {
    precteny_soubor vysledek{stav_cteni::odmitnut, {}};
    if (!soubor || soubor->velikost > nejvic)
        return vysledek;
    // The size may change while the file is read: at most one byte more than allowed is read.
    if (!cti_az(h, vysledek.obsah, nejvic + 1) || vysledek.obsah.size() > nejvic)
        return {stav_cteni::odmitnut, {}};
    vysledek.stav = stav_cteni::precten;
    return vysledek;
}

// Writes `novy` over the file in place, where one write can do it (see zmena_na_miste) over the
// content `stary` that the change was made of.
bool zapis_na_miste(const QString& cesta, QByteArrayView stary, QByteArrayView novy) {
    popisovac f(otevri(cesta, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                       odkazy::odmitnout));
    const auto soubor = f.platny() ? obycejny(f.h()) : std::nullopt;
    QByteArray ted;
    if (!soubor || !cti_az(f.h(), ted, soubor->velikost) || ted != stary)
        return false;
    const auto zmena = zmena_na_miste(stary, novy);
    return zmena && zapis_vse(f.h(), novy.sliced(zmena->od, zmena->po - zmena->od), zmena->od) &&
           ::FlushFileBuffers(f.h()) && f.zavri();
}

enum class nahrazeni { hotovo, selhalo, bez_noveho_souboru, soubor_se_objevil };

// Writes a temporary file beside `cil` (named by `cislo`, or at random) and moves it over `cil`
// (with `existuje`; otherwise only into the empty place), straight through to the disk.
// bez_noveho_souboru when the folder takes no new file, or the old file cannot be replaced (a
// scanner holding it, rights to write but not to delete it), so that the caller may write in
// place.
nahrazeni zapis_nahrazenim(const QString& cil, QByteArrayView obsah, bool existuje,
                           std::optional<quint64> cislo) {
    QString docasny;
    HANDLE novy = INVALID_HANDLE_VALUE;
    if (cislo) {
        docasny = docasny_soubor(cil, *cislo);
        // What a killed change of this file left. A change busy with it has it open sharing
        // nothing: then it stays, and this change is refused.
        ::DeleteFileW(nativni(docasny).c_str());
        novy = otevri(docasny, GENERIC_WRITE, 0, CREATE_NEW, odkazy::odmitnout);
        if (novy == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS)
            return nahrazeni::selhalo;
    } else {
        for (int pokus = 0; novy == INVALID_HANDLE_VALUE && pokus < 100; ++pokus) {
            docasny = docasny_soubor(cil, QRandomGenerator::global()->generate());
            // The new file takes its rights from the folder, as any file the program makes.
            novy = otevri(docasny, GENERIC_WRITE, 0, CREATE_NEW, odkazy::odmitnout);
            if (novy == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
    }
    if (novy == INVALID_HANDLE_VALUE)
        return nahrazeni::bez_noveho_souboru;
    popisovac f(novy);
    const bool zapsano = zapis_vse(f.h(), obsah, 0) && ::FlushFileBuffers(f.h()) && f.zavri();
    if (zapsano &&
        ::MoveFileExW(nativni(docasny).c_str(), nativni(cil).c_str(),
                      (existuje ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH))
        return nahrazeni::hotovo;
    const DWORD chyba = ::GetLastError();
    f.zavri();
    ::DeleteFileW(nativni(docasny).c_str());
    if (!zapsano)
        return nahrazeni::selhalo; // the disk took no new content: the old file stays as it is
    if (!existuje && (chyba == ERROR_ALREADY_EXISTS || chyba == ERROR_FILE_EXISTS))
        return nahrazeni::soubor_se_objevil;
    return nahrazeni::bez_noveho_souboru;
}

// The file at `cil` as a change finds it: missing, read, or refused (no ordinary file of one name,
// unopenable); its number on the volume.
struct nalezeny_soubor {
    precteny_soubor stary;
    quint64 cislo = 0;
};
std::optional<nalezeny_soubor> najdi(const QString& cil, qint64 nejvic) {
    popisovac f(otevri(cil, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, odkazy::odmitnout));
    if (!f.platny()) {
        const DWORD chyba = ::GetLastError();
        if (chyba == ERROR_FILE_NOT_FOUND || chyba == ERROR_PATH_NOT_FOUND)
            return nalezeny_soubor{};
        return std::nullopt;
    }
    const auto soubor = obycejny(f.h());
    if (!soubor)
        return std::nullopt;
    return nalezeny_soubor{precti_otevreny(f.h(), soubor, nejvic), soubor->cislo};
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
    return precti_otevreny(f.h(), obycejny(f.h()), nejvic);
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

bool zmen_soubor(const QString& cesta, qint64 nejvic, const zmena_souboru& zmena) {
    const QString cil = konec_odkazu(cesta);
    for (int pokus = 0; pokus < 100; ++pokus) {
        const auto soubor = najdi(cil, nejvic);
        if (!soubor)
            return false;
        const auto novy = zmena(soubor->stary);
        if (!novy)
            return false;
        if (soubor->stary.stav == stav_cteni::precten && novy->obsah == soubor->stary.obsah)
            return true;
        const bool existuje = soubor->stary.stav != stav_cteni::chybi;
        switch (zapis_nahrazenim(cil, novy->obsah, existuje,
                                 existuje ? std::optional(soubor->cislo) : std::nullopt)) {
        case nahrazeni::hotovo:
            return true;
        case nahrazeni::selhalo:
            return false;
        case nahrazeni::soubor_se_objevil:
            continue;
        case nahrazeni::bez_noveho_souboru:
            return soubor->stary.stav == stav_cteni::precten &&
                   zapis_na_miste(cil, soubor->stary.obsah,
                                  novy->na_miste.isNull() ? novy->obsah : novy->na_miste);
        }
    }
    return false;
}

bool zapis_soubor(const QString& cesta, QByteArrayView obsah) {
    const auto soubor = najdi(cesta, obsah.size());
    if (!soubor)
        return false;
    const bool existuje = soubor->stary.stav != stav_cteni::chybi;
    switch (zapis_nahrazenim(cesta, obsah, existuje, std::nullopt)) {
    case nahrazeni::hotovo:
        return true;
    case nahrazeni::bez_noveho_souboru:
        return soubor->stary.stav == stav_cteni::precten &&
               zapis_na_miste(cesta, soubor->stary.obsah, obsah);
    default:
        return false;
    }
}

} // namespace tarvik
