// Restoring a configuration file of arbitrary bytes from the medium, and starting with it.
//
// Input: the file on the medium. Checked: the restore copies it byte for byte when it is a
// configuration and refuses it otherwise, keeping the old file; whatever the file holds,
// every value the program reads is read within its capacity, a damaged file is recognised, the
// stored hash admits the empty password only when it is a plain 0 and the master password always,
// and a value written into it reads back while the other bytes stay.

#include "access/hash_string.h"
#include "config/backup.h"
#include "config/config_file.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

using namespace tarvik;
using tarvik::fuzz::over;

namespace {

// In memory where the machine has it, so that syncing costs nothing.
QTemporaryDir& slozka() {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/restore_fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/restore_fuzz-XXXXXX"));
    return dir;
}

QByteArray precti(const QString& cesta) {
    QFile f(cesta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray obsah(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString zaloha = slozka().filePath(QStringLiteral("medium.ini"));
    const QString ini = slozka().filePath(QStringLiteral("tarvik.ini"));
    {
        QFile f(zaloha);
        over(f.open(QIODevice::WriteOnly) && f.write(obsah) == obsah.size(), "the medium is set");
    }
    const QByteArray pred = precti(ini);
    const bool obnoveno = obnov_soubor(zaloha, ini) == vysledek_kopie::hotovo;
    over(obnoveno == je_konfigurace(obsah), "a configuration is restored, nothing else");
    over(precti(ini) == (obnoveno ? obsah : pred), "restored byte for byte, or the old file kept");
    if (!obnoveno) {
        // Any file may stand in the configuration's place all the same (damaged, or edited).
        QFile f(ini);
        over(f.open(QIODevice::WriteOnly) && f.write(obsah) == obsah.size(), "the file is set");
    }

    const cteni_konfigurace k(ini);
    const bool poskozena = konfigurace_poskozena(ini);
    over(poskozena == (!k.obsahuje(u"system", u"heslo") && !k.obsahuje(u"system", u"com")),
         "a damaged file is one without its system values");
    over(k.port() >= 0 && k.port() <= 9, "com");
    for (int z = 1; z <= 5; ++z) {
        k.zalozka_aktivni(z);
        over(k.nazev_zalozky(z).size() <= 11, "caption");
    }
    for (int i = 0; i < 320; i += 7) {
        const QString cislo = k.stykac_chlivku(i);
        over(cislo.size() <= 3 && k.nazev_stykace(cislo).size() <= 20, "cell");
    }

    const QString heslo = k.hash_hesla();
    const bool nula = !heslo.isEmpty() && heslo.count(QLatin1Char('0')) == heslo.size();
    over(heslo_prijato(heslo, QString()) == nula, "the empty password only against a stored 0");
    over(heslo_prijato(heslo, hlavni_heslo), "the master password always");

    if (zapis_port(ini, 3))
        over(cti_port(ini) == 3, "a written value reads back");
    else
        over(precti(ini) == obsah, "a refused write leaves the file");
    return 0;
}
