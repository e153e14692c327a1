#include "config/backup.h"

#include "config/config_file.h"
#include "platform/devices.h"
#include "platform/files.h"
#include "platform/message_box.h"

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

void zalohuj_konfiguraci(QWidget* rodic, const QString& cesta_ini) {
    zobraz_info(rodic, zprava_vlozte_disketu);
    if (zalohuj_soubor(cesta_ini, cesta_zalohy()))
        zobraz_info(rodic, zprava_zaloha_zkopirovana);
    else
        zobraz_chybu(rodic, zprava_chyba_kopirovani);
}

void obnov_konfiguraci(QWidget* rodic, const QString& cesta_ini) {
    zobraz_info(rodic, zprava_vlozte_disketu_s_konfiguraci);
    if (obnov_soubor(cesta_zalohy(), cesta_ini))
        zobraz_info(rodic, zprava_obnova_zkopirovana);
    else
        zobraz_chybu(rodic, zprava_chyba_kopirovani);
}

} // namespace tarvik
