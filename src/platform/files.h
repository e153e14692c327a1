#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tarvik {

// What is done with a symbolic link at the place of the file itself. The folders on the way are
// always followed.
enum class odkazy {
    nasledovat, // the link is followed: its target is read or replaced, the link stays
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

// Replaces the file at `cesta` with `obsah` so that a failure at any point leaves the old file
// byte for byte as it was (or leaves no file where there was none):
// - where the folder takes a new file, the bytes go to a temporary file beside it, are flushed,
//   checked and synced to disk, and the temporary file is renamed over the old one, keeping its
//   permissions; a new file is shared with the folder's group when the folder is group-writable;
// - where it does not (no permission, no free inode, a name too long for a temporary name) but
//   the file exists and is writable, the file is written in place: the room that the new content
//   needs beyond the old end is written and synced first (and cut off again when it does not
//   fit), then the bytes from the first changed one on are written and synced.
// With odkazy::nasledovat a link at `cesta`, even one whose target does not exist yet, stays a
// link and its target is written; with odkazy::odmitnout a link there is refused. Anything else
// than an ordinary file at `cesta` is refused. Returns whether the new content is in place.
bool zapis_soubor(const QString& cesta, QByteArrayView obsah, odkazy odkaz);

// The path that a chain of links at `cesta` leads to, also when its last target does not exist;
// `cesta` itself when it is no link.
QString konec_odkazu(const QString& cesta);

} // namespace tarvik
