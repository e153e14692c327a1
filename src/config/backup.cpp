#include "config/backup.h"

#include "config/config_file.h"
#include "platform/files.h"

namespace tarvik {

namespace {

bool kopiruj(const QString& zdroj, odkazy odkaz_zdroje, const QString& cil, odkazy odkaz_cile) {
    if (zdroj.isEmpty() || cil.isEmpty())
        return false; // no medium
    const auto soubor = precti_soubor(zdroj, nejvetsi_konfigurace, odkaz_zdroje);
    return soubor.stav == stav_cteni::precten && zapis_soubor(cil, soubor.obsah, odkaz_cile);
}

} // namespace

bool zalohuj_soubor(const QString& cesta_ini, const QString& zaloha) {
    return kopiruj(cesta_ini, odkazy::nasledovat, zaloha, odkazy::odmitnout);
}

bool obnov_soubor(const QString& zaloha, const QString& cesta_ini) {
    return kopiruj(zaloha, odkazy::odmitnout, cesta_ini, odkazy::nasledovat);
}

} // namespace tarvik
