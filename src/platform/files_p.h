#pragma once

// What the file access shared by every system (files.cpp) asks of each system's own
// (files_linux.cpp, files_win.cpp), and the rules they both keep. Not for use outside them.

#include "platform/files.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tarvik::soubory {

// Whether the link at `odkaz` is the administrator's (see konec_odkazu).
bool odkaz_spravce(const QString& odkaz);

// Reads an open file whole by `cti_az` (reading at most the bytes it is given, from the file's
// start): nothing unless it is an ordinary file with a single name, of `velikost` no larger than
// `nejvic`, read to its end. The size may change while the file is read: at most one byte more
// than allowed is read.
struct otevreny_soubor {
    bool jedine_jmeno = false;
    qint64 velikost = 0;
};
precteny_soubor precti_otevreny(const otevreny_soubor& soubor, qint64 nejvic,
                                const std::function<bool(QByteArray&, qint64)>& cti_az);

// How the system answers the making of a new file at a name: made, a file is there already, or
// failed for another reason.
enum class vytvoreni { vytvoren, obsazeno, selhalo };

// The temporary file of a write of `cil` (see docasny_soubor), made by `vytvor`, which makes a file
// only where none is. Named by `cislo`, the number of the file being changed (identita), after
// `odstran` has removed what a killed change of that file left; without it, named at random, as
// many times as a name is taken.
struct docasny {
    QString cesta;
    vytvoreni stav = vytvoreni::selhalo;
};
docasny vytvor_docasny(const QString& cil, std::optional<quint64> cislo,
                       const std::function<vytvoreni(const QString&)>& vytvor,
                       const std::function<void(const QString&)>& odstran);

enum class drzeni { drzen, chybi, odmitnut, znovu };
enum class nahrazeni { hotovo, selhalo, bez_noveho_souboru, soubor_se_objevil };

// The file at `cil` that a change (or a write) holds from the reading of its old content to its
// replacement, by the system's own calls.
class drzeny_soubor {
public:
    explicit drzeny_soubor(const QString& cil);
    ~drzeny_soubor();
    drzeny_soubor(const drzeny_soubor&) = delete;
    drzeny_soubor& operator=(const drzeny_soubor&) = delete;

    // Opens the file and reads it (within `nejvic`): drzen with what was read (the content, or
    // refused as precti_soubor refuses it), chybi when there is none, odmitnut when it is no
    // ordinary file with a single name or cannot be opened. With `konec`, the file's lock is taken
    // first, waiting while another program holds it until then (odmitnut after); a file that was
    // replaced or removed meanwhile is for the caller to open again (znovu). Windows keeps no
    // lock: there `konec` changes nothing.
    drzeni drz(qint64 nejvic, const QDeadlineTimer* konec);
    const precteny_soubor& stary() const { return stary_; }
    // The held file's identity, the same that identita gives for it.
    identita_souboru id() const { return id_; }

    // Puts `obsah` at the file's place through the temporary file (vytvor_docasny with `cislo`),
    // written, flushed to the disk and renamed over the held file (over the empty place where
    // none was held: soubor_se_objevil when a file appeared there meanwhile). bez_noveho_souboru
    // when no new file could be put there, so that the caller may write in place.
    nahrazeni nahrad(QByteArrayView obsah, std::optional<quint64> cislo);
    // Writes `bajty` over the held file from `od` with one write, flushed to the disk: the range
    // that zmena_na_miste gave for its old content.
    bool prepis(qsizetype od, QByteArrayView bajty);

private:
    struct systemove; // what the system's calls hold of the file
    QString cil_;
    precteny_soubor stary_;
    identita_souboru id_;
    std::unique_ptr<systemove> s_;
};

} // namespace tarvik::soubory
