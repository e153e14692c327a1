#pragma once

#include <QString>

class QWidget;

namespace tarvik {

// The operator's side of the copies in config/backup.h. Backup of the configuration file at
// `cesta_ini` to the diskette (cesta_zalohy()), with the operator's messages. A file that the
// program reports damaged is not backed up: it would replace the backup that can mend it.
void zalohuj_konfiguraci(QWidget* rodic, const QString& cesta_ini);

// Restore of the configuration file at `cesta_ini` from the diskette. A file there that is no
// configuration is refused, and the configuration stays as it was. Nothing is reloaded: the
// restored values take effect where the file is next read.
void obnov_konfiguraci(QWidget* rodic, const QString& cesta_ini);

inline const QString zprava_vlozte_disketu =
    QStringLiteral("Vložte disketu do disketové mechaniky.Potom stiskněte tlačítko OK.");
inline const QString zprava_vlozte_disketu_s_konfiguraci =
    QStringLiteral("Vložte disketu s konfiguračním souborem do disketové mechaniky.Potom "
                   "stiskněte tlačítko OK.");
inline const QString zprava_zaloha_zkopirovana = QStringLiteral("Soubor byl úspěšně zkopírován.");
inline const QString zprava_obnova_zkopirovana = QStringLiteral("Soubor byl úspěšně zkopírován.  ");
inline const QString zprava_poskozena_nezalohuje_se = QStringLiteral(
    "Konfigurační soubor je poškozen, a proto se nezálohuje: záloha na disketě zůstává, jak byla. "
    "Obnovte konfiguraci ze zálohy: Konfigurace – Obnova konfigurace z diskety.");
inline const QString zprava_zaloha_neni_konfigurace = QStringLiteral(
    "Soubor tarvik.ini na disketě není použitelná konfigurace (je prázdný, poškozený, příliš velký "
    "nebo to není obyčejný soubor), a proto se neobnovuje. Konfigurace zůstává, jak byla.");
inline const QString zprava_chyba_kopirovani =
    QStringLiteral("Při kopírování konfiguračního souboru nastala chyba. Zkontrolujte disketu a "
                   "postup opakujte.");

} // namespace tarvik
