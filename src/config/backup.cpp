#include "config/backup.h"

#include "config/config_file.h"
#include "platform/devices.h"
#include "platform/message_box.h"

#include <QFile>

namespace tarvik {

bool kopiruj_soubor(const QString& zdroj, const QString& cil) {
    QFile vstup(zdroj);
    if (!vstup.open(QIODevice::ReadOnly) || vstup.size() > nejvetsi_konfigurace)
        return false;
    const QByteArray obsah = vstup.readAll();
    return vstup.error() == QFileDevice::NoError && zapis_soubor_atomicky(cil, obsah);
}

void zalohuj_konfiguraci(QWidget* rodic, const QString& cesta_ini) {
    zobraz_info(rodic, zprava_vlozte_disketu);
    if (kopiruj_soubor(cesta_ini, cesta_zalohy()))
        zobraz_info(rodic, zprava_zaloha_zkopirovana);
    else
        zobraz_chybu(rodic, zprava_chyba_kopirovani);
}

void obnov_konfiguraci(QWidget* rodic, const QString& cesta_ini) {
    zobraz_info(rodic, zprava_vlozte_disketu_s_konfiguraci);
    if (kopiruj_soubor(cesta_zalohy(), cesta_ini))
        zobraz_info(rodic, zprava_obnova_zkopirovana);
    else
        zobraz_chybu(rodic, zprava_chyba_kopirovani);
}

} // namespace tarvik
