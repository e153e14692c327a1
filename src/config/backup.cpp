#include "config/backup.h"

#include "platform/devices.h"
#include "platform/message_box.h"

#include <QFile>
#include <QSaveFile>

namespace tarvik {

bool kopiruj_soubor(const QString& zdroj, const QString& cil) {
    QFile vstup(zdroj);
    if (!vstup.open(QIODevice::ReadOnly))
        return false;
    QSaveFile vystup(cil);
    if (!vystup.open(QIODevice::WriteOnly))
        return false;
    char blok[64 * 1024];
    for (;;) {
        const qint64 precteno = vstup.read(blok, sizeof blok);
        if (precteno < 0)
            return false; // the temporary copy goes with `vystup`
        if (precteno == 0)
            break;
        if (vystup.write(blok, precteno) != precteno)
            return false;
    }
    return vstup.error() == QFileDevice::NoError && vystup.commit();
}

void menu_save_Click(QWidget* rodic, const QString& cesta_ini) {
    zobraz_info(rodic, zprava_vlozte_disketu);
    if (kopiruj_soubor(cesta_ini, cesta_zalohy()))
        zobraz_info(rodic, zprava_zaloha_zkopirovana);
    else
        zobraz_chybu(rodic, zprava_chyba_kopirovani);
}

void menu_load_Click(QWidget* rodic, const QString& cesta_ini) {
    zobraz_info(rodic, zprava_vlozte_disketu_s_konfiguraci);
    if (kopiruj_soubor(cesta_zalohy(), cesta_ini))
        zobraz_info(rodic, zprava_obnova_zkopirovana);
    else
        zobraz_chybu(rodic, zprava_chyba_kopirovani);
}

} // namespace tarvik
