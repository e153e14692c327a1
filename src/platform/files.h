#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace tarvik {

// What is done with a symbolic link at the place of the file itself. The folders on the way are
// always followed.
enum class odkazy {
    nasledovat, // the administrator's links are followed (see konec_odkazu), no other
    odmitnout,  // a link is refused, never read nor written through
};

enum class stav_cteni { precten, chybi, odmitnut };

struct precteny_soubor {
    stav_cteni stav = stav_cteni::chybi;
    QByteArray obsah;
};

// Reads the ordinary file at `cesta` whole. Nothing but an ordinary file is read: a folder, a
// FIFO or a device is refused without waiting on it, as is a file larger than `nejvic` bytes (of
// which no more than `nejvic` + 1 bytes are read) and a file that cannot be read to its end.
precteny_soubor precti_soubor(const QString& cesta, qint64 nejvic, odkazy odkaz);

// Replaces the file at `cesta` with `obsah` so that a failure at any point, a kill included, leaves
// the old file byte for byte as it was (or leaves no file where there was none):
// - where the folder takes a new file, the bytes go to a temporary file beside it, are flushed,
//   checked and synced to disk, and the temporary file is renamed over the old one. It keeps the
//   old file's permissions, but never more than reading and writing by owner and group and reading
//   by others (no execution, setuid, setgid or sticky bits); a new file is shared with the
//   folder's group when the folder is group-writable. Temporary files that killed writes left
//   beside the file are removed first.
// - where it does not (no permission, no free inode, a name too long for a temporary name) but
//   the file exists and is writable, the file is written in place with `obsah_na_miste` (a null
//   view: `obsah`), which must be at least as long as the old file: the bytes that differ are
//   written with one write, and only when they lie within one 4096-byte page of the file, as only
//   such a write cannot be cut short by a kill. Otherwise the write is refused.
// The file itself is always opened without following a link at its place: with
// odkazy::nasledovat the administrator's links lead to it and stay links, any other link there is
// refused, as is anything else than an ordinary file. Returns whether the new content is in place.
bool zapis_soubor(const QString& cesta, QByteArrayView obsah, odkazy odkaz,
                  QByteArrayView obsah_na_miste = {});

// The bytes [od, po) of `novy` that replace those of `stary` when `novy` is written over it in
// place, as one write that a kill cannot cut short: only where `novy` is no shorter (the file is
// never cut) and those bytes lie within one 4096-byte page, as the system copies a write into a
// file page by page and gives way to a fatal signal only between two pages. An empty range when
// nothing differs; nothing where no such write can be made.
struct usek_zmeny {
    qsizetype od = 0;
    qsizetype po = 0;
};
std::optional<usek_zmeny> zmena_na_miste(QByteArrayView stary, QByteArrayView novy);

// Whether `jmeno` names one of the temporary files that a write of the file named `cil` makes
// beside it: `cil`, a dot and six lowercase hexadecimal digits.
bool je_docasny(const QString& jmeno, const QString& cil);

// The path that the administrator's chain of links at `cesta` leads to, also when its last target
// does not exist; `cesta` itself when it is no link. A link is the administrator's when it lies in
// a folder that no one but the folder's owner may write (the program's folder, dosdevices/): a
// link in a folder that a group shares, such as the operators' configuration folder, is where the
// chain ends, and it is then refused by every read and write.
QString konec_odkazu(const QString& cesta);

// What tells one file or folder from every other, whichever path, hard link or mount leads to it:
// its device and its number on the device.
struct identita_souboru {
    quint64 zarizeni = 0;
    quint64 cislo = 0;
    friend bool operator==(const identita_souboru&, const identita_souboru&) = default;
};
// The identity of what lies at `cesta`, links followed; nothing when there is nothing there.
std::optional<identita_souboru> identita(const QString& cesta);

} // namespace tarvik
