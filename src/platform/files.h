#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

// Reading and changing files so that no change is half made: the same on Linux and on Windows but
// where a comment names one of them.

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

// Reads the ordinary file at `cesta` whole. Nothing but an ordinary file with a single name is
// read: a folder, a FIFO or a device is refused without waiting on it, as is a file that has a
// second name (a hard link, through which it may be anyone's file), a file larger than `nejvic`
// bytes (of which no more than `nejvic` + 1 bytes are read) and a file that cannot be read to its
// end.
precteny_soubor precti_soubor(const QString& cesta, qint64 nejvic, odkazy odkaz);

// What a change makes of a file: its new content and, for a write in place, the same brought to
// at least the old length (see zmena_na_miste; null: `obsah`).
struct novy_obsah {
    QByteArray obsah;
    QByteArray na_miste;
};
// The change itself: the new content made from the old one (read as precti_soubor reads it, within
// the size limit that zmen_soubor is given), or nothing to refuse the change.
using zmena_souboru = std::function<std::optional<novy_obsah>(const precteny_soubor& stary)>;

// Changes the file at `cesta`, the administrator's links followed (see konec_odkazu), so that a
// failure at any point, a kill included, leaves the old file byte for byte as it was (or no file
// where there was none) and, on Linux, no other program's change is lost:
// - On Linux, programs changing the file at once take turns: the file is locked from the reading
//   of its old content to its replacement. A program that finds it locked waits, at most a few
//   seconds (then the change is refused). Windows has no such lock: there two changes at once may
//   both be reported saved and the later replacement keep only its own, and a write in place is
//   refused when the file changed since it was read. On both, a file that appears while a missing
//   one is being made is not replaced: the change is made again, of that file.
// - Where the folder takes a new file, the new content goes to a temporary file beside it (named
//   by docasny_soubor), is flushed, checked and synced to disk, and is renamed over the old file.
//   On Linux it keeps the old file's permissions, but never more than reading and writing by owner
//   and group (no access for others, no execution, setuid, setgid or sticky bits); a new file is
//   shared with the folder's group when the folder is group-writable. On Windows it takes its
//   rights from the folder, as any new file there.
// - Where it does not (no permission, no free inode, a name too long for a temporary name; on
//   Windows also an old file that cannot be replaced) but the file exists and is writable, the
//   file is written in place: the bytes that differ are written with one write, and only when they
//   lie within one 4096-byte page of the file, as only such a write cannot be cut short by a kill
//   (zmena_na_miste). Otherwise the change is refused.
// Nothing but an ordinary file with a single name is changed: any other link at its place, a
// second name, a folder, a FIFO or a device is refused, as is a file that cannot be opened.
// Returns whether the new content is in place (true at once when nothing changes).
bool zmen_soubor(const QString& cesta, qint64 nejvic, const zmena_souboru& zmena);

// Replaces the file at `cesta` with `obsah` as zmen_soubor does, for a copy that no other program
// changes (the backup on its medium): without a lock, and a link at its place is refused.
bool zapis_soubor(const QString& cesta, QByteArrayView obsah);

// The temporary file of a write of the file `cil`: a hidden name of the program's own making that
// no one gives a copy, in the same folder, "." and the file's name, ".zapis-" and a number in
// hexadecimal (".tarvik.ini.zapis-1a2b"). A change of an existing file names it by that file's
// number on its device, which one change at a time uses (the holder of the file's lock; on
// Windows, which has no such lock, the change that has it open): the temporary file that a killed
// change left is removed by the next change of the file, and nothing else in the folder is ever
// looked at. Any other write (a missing file, the backup) takes a random number, and removes
// nothing.
QString docasny_soubor(const QString& cil, quint64 cislo);

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

// The path that the administrator's chain of links at `cesta` leads to, also when its last target
// does not exist; `cesta` itself when it is no link. On Linux a link is the administrator's when it
// lies in a folder that only root or the program's own user may change (the program's folder,
// dosdevices/): a link that anyone else could have made, in a folder that a group shares (such as
// the operators' configuration folder) or that is another account's, is where the chain ends, and
// it is then refused by every read and write. On Windows, where only an administrator can make a
// link, every link is.
QString konec_odkazu(const QString& cesta);

// The folder that `cesta` names, with every link on the way resolved as the system resolves it,
// but only where it is the administrator's (see konec_odkazu); empty when another link lies on the
// way or the folder does not exist.
QString slozka_spravce(const QString& cesta);

// What tells one file or folder from every other, whichever path, hard link or mount leads to it:
// its device and its number on the device (on Windows the volume's serial number and the file's
// index on the volume).
struct identita_souboru {
    quint64 zarizeni = 0;
    quint64 cislo = 0;
    friend bool operator==(const identita_souboru&, const identita_souboru&) = default;
};
// The identity of what lies at `cesta`, links followed; nothing when there is nothing there.
std::optional<identita_souboru> identita(const QString& cesta);

} // namespace tarvik
