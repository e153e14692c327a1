#include "config/backup.h"

#include "config/config_file.h"
#include "platform/files.h"

namespace tarvik {

namespace {

// The configuration at `cesta`, read as `odkaz` says; chyba when there is no file, none when it is
// no configuration.
std::optional<QByteArray> konfigurace(const QString& cesta, odkazy odkaz, vysledek_kopie& proc) {
    const auto soubor = precti_soubor(cesta, nejvetsi_konfigurace, odkaz);
    proc =
        soubor.stav == stav_cteni::chybi ? vysledek_kopie::chyba : vysledek_kopie::neni_konfigurace;
    if (soubor.stav != stav_cteni::precten || !je_konfigurace(soubor.obsah))
        return std::nullopt;
    return soubor.obsah;
}

vysledek_kopie hotovo_nebo_chyba(bool hotovo) {
    return hotovo ? vysledek_kopie::hotovo : vysledek_kopie::chyba;
}

} // namespace

vysledek_kopie zalohuj_soubor(const QString& cesta_ini, const QString& zaloha) {
    vysledek_kopie proc{};
    const auto obsah = konfigurace(cesta_ini, odkazy::nasledovat, proc);
    if (!obsah)
        return proc;
    return hotovo_nebo_chyba(!zaloha.isEmpty() && zapis_soubor(zaloha, *obsah));
}

vysledek_kopie obnov_soubor(const QString& zaloha, const QString& cesta_ini) {
    if (zaloha.isEmpty())
        return vysledek_kopie::chyba; // no medium
    vysledek_kopie proc{};
    const auto obsah = konfigurace(zaloha, odkazy::odmitnout, proc);
    if (!obsah)
        return proc;
    return hotovo_nebo_chyba(
        zmen_soubor(cesta_ini, nejvetsi_konfigurace, [&obsah](const precteny_soubor&) {
            return std::optional<novy_obsah>({*obsah, {}});
        }));
}

} // namespace tarvik
