#include "app/backup_dialogue.h"

#include "config/backup.h"
#include "config/config_file.h"
#include "platform/devices.h"
#include "platform/message_box.h"

namespace tarvik {

void zalohuj_konfiguraci(QWidget* rodic, const QString& cesta_ini) {
    // The backup on the medium may be the only good copy left.
    if (konfigurace_poskozena(cesta_ini)) {
        zobraz_chybu(rodic, zprava_poskozena_nezalohuje_se);
        return;
    }
    zobraz_info(rodic, zprava_vlozte_disketu);
    switch (zalohuj_soubor(cesta_ini, cesta_zalohy())) {
    case vysledek_kopie::hotovo:
        zobraz_info(rodic, zprava_zaloha_zkopirovana);
        break;
    case vysledek_kopie::neni_konfigurace:
        zobraz_chybu(rodic, zprava_poskozena_nezalohuje_se);
        break;
    case vysledek_kopie::chyba:
        zobraz_chybu(rodic, zprava_chyba_kopirovani);
        break;
    }
}

void obnov_konfiguraci(QWidget* rodic, const QString& cesta_ini) {
    zobraz_info(rodic, zprava_vlozte_disketu_s_konfiguraci);
    switch (obnov_soubor(cesta_zalohy(), cesta_ini)) {
    case vysledek_kopie::hotovo:
        zobraz_info(rodic, zprava_obnova_zkopirovana);
        break;
    case vysledek_kopie::neni_konfigurace:
        zobraz_chybu(rodic, zprava_zaloha_neni_konfigurace);
        break;
    case vysledek_kopie::chyba:
        zobraz_chybu(rodic, zprava_chyba_kopirovani);
        break;
    }
}

} // namespace tarvik
