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
