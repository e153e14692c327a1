#pragma once

#include <QString>

class QWidget;

namespace tarvik {

// The copies of the configuration file at `cesta_ini` to and from the file `zaloha` on the
// medium, byte for byte. The medium is not trusted: there only an ordinary file that is no link
// is read or replaced, and no more than the configuration's size limit is read. The copy replaces
// its target only when it is complete and synced to disk, so a failure leaves the target as it
// was. Each returns whether the copy is complete.
bool zalohuj_soubor(const QString& cesta_ini, const QString& zaloha);
bool obnov_soubor(const QString& zaloha, const QString& cesta_ini);

// Backup of the configuration file at `cesta_ini` to the diskette (cesta_zalohy()), with the
// operator's messages.
void zalohuj_konfiguraci(QWidget* rodic, const QString& cesta_ini);

// Restore of the configuration file at `cesta_ini` from the diskette. Nothing is reloaded: the
// restored values take effect where the file is next read.
void obnov_konfiguraci(QWidget* rodic, const QString& cesta_ini);

inline const QString zprava_vlozte_disketu =
    QStringLiteral("Vložte disketu do disketové mechaniky.Potom stiskněte tlačítko OK.");
inline const QString zprava_vlozte_disketu_s_konfiguraci =
    QStringLiteral("Vložte disketu s konfiguračním souborem do disketové mechaniky.Potom "
                   "stiskněte tlačítko OK.");
inline const QString zprava_zaloha_zkopirovana = QStringLiteral("Soubor byl úspěšně zkopírován.");
inline const QString zprava_obnova_zkopirovana = QStringLiteral("Soubor byl úspěšně zkopírován.  ");
inline const QString zprava_chyba_kopirovani =
    QStringLiteral("Při kopírování konfiguračního souboru nastala chyba. Zkontrolujte disketu a "
                   "postup opakujte.");

} // namespace tarvik
