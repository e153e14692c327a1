#pragma once

#include <QString>

// The operator's messages that several tests expect, as the program must show them, byte for byte.
namespace tarvik::test::texty {

inline const QString vlozte_disketu =
    QStringLiteral("Vložte disketu do disketové mechaniky.Potom stiskněte tlačítko OK.");
inline const QString vlozte_zalohu = QStringLiteral(
    "Vložte disketu s konfiguračním souborem do disketové mechaniky.Potom stiskněte tlačítko OK.");
inline const QString zalohovano = QStringLiteral("Soubor byl úspěšně zkopírován.");
inline const QString obnoveno = QStringLiteral("Soubor byl úspěšně zkopírován.  "); // two blanks
inline const QString chyba_kopirovani = QStringLiteral(
    "Při kopírování konfiguračního souboru nastala chyba. Zkontrolujte disketu a postup opakujte.");

inline const QString neulozeno = QStringLiteral(
    "Změnu se nepodařilo uložit do konfiguračního souboru, v souboru zůstává dosavadní nastavení. "
    "Zkontrolujte, zda lze do souboru zapisovat a zda je na disku místo, a změnu opakujte.");

} // namespace tarvik::test::texty
