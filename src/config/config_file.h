#pragma once

#include "config/ini_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace tarvik {

// The file is about 10 kB. Anything far larger is not a configuration file: it is read as missing
// and never rewritten or copied, rather than loaded into memory whole.
inline constexpr qint64 nejvetsi_konfigurace = 16 * 1024 * 1024;

// Capacities of the values as the program reads them: characters including the terminating NUL,
// so a value is seen cut to capacity - 1 characters.
namespace kapacita {
inline constexpr int com = 2;
inline constexpr int heslo = 21;
inline constexpr int aktivni = 2;
inline constexpr int nazev = 12;
inline constexpr int chlivek = 4;
inline constexpr int stykac = 21;
} // namespace kapacita

// The unassigned marker: the number of a cell without a contactor, and the name of any contactor
// the file does not name.
inline const QString neprirazeno = QStringLiteral("---");

// The configuration file at `cesta` as it is now, read once: an operation that reads many values
// (the cells, the catalogue, the printout) asks them all of one reading. Reading never fails: an
// unreadable file reads as missing.
class cteni_konfigurace {
public:
    explicit cteni_konfigurace(const QString& cesta);
    // The configuration that the bytes `obsah` would be as the file.
    static cteni_konfigurace z_obsahu(QByteArrayView obsah);

    // The value of `klic` in section `sekce` cut to kapacita - 1 characters, or `vychozi` when the
    // file, the section or the key is missing. A key present with an empty value reads as empty;
    // a NUL byte ends a value.
    QString cti(QStringView sekce, QStringView klic, const QString& vychozi, int kapacita) const;
    // Whether the file holds the key `klic` in section `sekce`.
    bool obsahuje(QStringView sekce, QStringView klic) const;

    // The settings, each read within its capacity (see `kapacita`).
    // The caption of tab `zalozka` (1 to 5), "---" when the file has none.
    QString nazev_zalozky(int zalozka) const;
    // Whether tab `zalozka` (1 to 5) is shown: its flag, trimmed, begins with "1".
    bool zalozka_aktivni(int zalozka) const;
    // The number, as text, of the contactor in cell `chlivek` (0 to 319), "0" when the file has
    // none; "---" marks a cell without a contactor.
    QString stykac_chlivku(int chlivek) const;
    // The name of the contactor whose number is the text `cislo` ("---" when the file has none).
    QString nazev_stykace(QStringView cislo) const;
    // The port's number: the value of the leading digits of its text (0 when there are none), 1
    // when the file has none.
    int port() const;
    // The stored password hash as text, empty when the file has none.
    QString hash_hesla() const;
    // Whether the reading holds no configuration (see konfigurace_poskozena); a missing file
    // reads as damaged too, so ask only of a file that exists.
    bool poskozena() const;

private:
    cteni_konfigurace() = default;
    std::optional<ini::rejstrik> obsah_; // the file's values, indexed once
};

// One value, read on its own (see cteni_konfigurace).
QString cti_hodnotu(const QString& cesta, QStringView sekce, QStringView klic,
                    const QString& vychozi, int kapacita);
QString cti_nazev_stykace(const QString& cesta, QStringView cislo);
int cti_port(const QString& cesta);
QString cti_hash_hesla(const QString& cesta);

// Writes one value: replaces the key's value in place, adds the key at the end of its section, or
// adds the section at the end of the file; creates a missing file. Every other byte of the file is
// kept, and so is every value that another program writes at the same time. A failed write leaves
// the old file byte for byte as it was (see zmen_soubor); a link in the file's place stays and its
// target is written. Blanks at either end of the value, which no
// reader sees, are not written, nor are CR and LF inside it, which would split its line. Returns
// false on failure (the program does not report it); a file that exists but cannot be read whole is
// never rewritten.
bool zapis_hodnotu(const QString& cesta, QStringView sekce, QStringView klic,
                   const QString& hodnota);

// The settings written one at a time, each where cteni_konfigurace reads it (see zapis_hodnotu).
bool zapis_nazev_zalozky(const QString& cesta, int zalozka, const QString& nazev);
bool zapis_zalozka_aktivni(const QString& cesta, int zalozka, bool aktivni);
bool zapis_stykac_chlivku(const QString& cesta, int chlivek, const QString& cislo);
bool zapis_nazev_stykace(const QString& cesta, QStringView cislo, const QString& nazev);
bool zapis_port(const QString& cesta, int port);
bool zapis_hash_hesla(const QString& cesta, qint32 hash);

// True when an ordinary file exists at `cesta` (a folder of that name does not count), or a link
// that the program refuses to follow (see konec_odkazu).
bool konfigurace_existuje(const QString& cesta);

// The complete default configuration file, byte for byte: 468 lines, Windows-1250, CR LF.
QByteArray vychozi_konfigurace();

// True when a file exists at `cesta` but holds no configuration: it cannot be read whole (too
// large, unreadable), or its section `system` holds neither `heslo` nor `com` (an empty file,
// junk, a file whose lines end with CR alone). Such a file is never replaced by the default file.
bool konfigurace_poskozena(const QString& cesta);

// Writes the default file to `cesta`, also through a link whose target does not exist yet; a file
// that another program made there meanwhile is kept. Returns false when it could not be written
// whole; then no half-written file is left behind.
bool vytvor_konfiguracni_soubor(const QString& cesta);

// Whether the bytes `obsah` may take the configuration file's place (a restore): text with no
// control characters but blanks and line breaks that the program would not call damaged. An empty
// file, binary content or a file of another kind is none.
bool je_konfigurace(QByteArrayView obsah);

inline const QString zprava_chybi_konfigurace = QStringLiteral(
    "Konfigurační soubor nenalezen. Vytvořen nový s implicitními hodnotami. Pro správnou funkci "
    "programu obnovte tento soubor ze zálohy.");
inline const QString zprava_poskozena_konfigurace = QStringLiteral(
    "Konfigurační soubor je poškozen. Obnovte ho ze zálohy: Konfigurace – Obnova konfigurace z "
    "diskety.");
inline const QString zprava_chyba_vytvoreni =
    QStringLiteral("Chyba při vytváření konfiguračního souboru.");
// An administrator's change that the file did not take.
inline const QString zprava_zmena_neulozena = QStringLiteral(
    "Změnu se nepodařilo uložit do konfiguračního souboru, v souboru zůstává dosavadní nastavení. "
    "Zkontrolujte, zda lze do souboru zapisovat a zda je na disku místo, a změnu opakujte.");

} // namespace tarvik
