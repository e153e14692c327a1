#pragma once

#include <QString>

namespace tarvik {

enum class vysledek_kopie {
    hotovo,           // the copy is complete
    chyba,            // no medium, no file, a copy that failed or was refused at its target
    neni_konfigurace, // the file to copy is no configuration (see je_konfigurace) or not one to
                      // take
};

// The copies of the configuration file at `cesta_ini` to and from the file `zaloha` on the
// medium, byte for byte. Only a configuration is copied (see je_konfigurace): a restore never
// replaces the configuration with anything else, nor a backup the backup. The medium is not
// trusted: there only an ordinary file with one name that is no link is read or replaced, and no
// more than the configuration's size limit is read. The copy replaces its target only when it is
// complete and synced to disk, so a failure leaves the target as it was; the restore replaces the
// configuration as a change of it does (see zmen_soubor).
vysledek_kopie zalohuj_soubor(const QString& cesta_ini, const QString& zaloha);
vysledek_kopie obnov_soubor(const QString& zaloha, const QString& cesta_ini);

} // namespace tarvik
