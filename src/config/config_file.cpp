#include "config/config_file.h"

#include "config/codepage.h"
#include "config/ini_text.h"
#include "platform/files.h"

#include <QFileInfo>
#include <algorithm>

namespace tarvik {

namespace {

precteny_soubor precti_konfiguraci(const QString& cesta) {
    return precti_soubor(cesta, nejvetsi_konfigurace, odkazy::nasledovat);
}

QString orizni_na_kapacitu(const QString& text, int kapacita) {
    return text.left(std::max(kapacita - 1, 0));
}

} // namespace

cteni_konfigurace::cteni_konfigurace(const QString& cesta) {
    auto soubor = precti_konfiguraci(cesta);
    if (soubor.stav == stav_cteni::precten)
        obsah_ = std::move(soubor.obsah);
}

QString cteni_konfigurace::cti(QStringView sekce, QStringView klic, const QString& vychozi,
                               int kapacita) const {
    const auto hodnota =
        obsah_ ? ini::najdi_hodnotu(*obsah_, na_cp1250(sekce), na_cp1250(klic)) : std::nullopt;
    if (!hodnota)
        return orizni_na_kapacitu(vychozi, kapacita);
    // A value is a C string to the program: a NUL byte in a damaged file ends it. One byte is one
    // character in this code page, so the cut can come before decoding.
    const qsizetype konec = hodnota->contains('\0') ? hodnota->indexOf('\0') : hodnota->size();
    return z_cp1250(
        QByteArrayView(*hodnota).first(std::min<qsizetype>(konec, std::max(kapacita - 1, 0))));
}

bool cteni_konfigurace::obsahuje(QStringView sekce, QStringView klic) const {
    return obsah_ && ini::najdi_hodnotu(*obsah_, na_cp1250(sekce), na_cp1250(klic));
}

QString cteni_konfigurace::nazev_stykace(QStringView cislo) const {
    return cti(u"stykace", QStringLiteral("stykac%1").arg(cislo), neprirazeno, kapacita::stykac);
}

bool cteni_konfigurace::zalozka_aktivni(int zalozka) const {
    return cti(u"zalozky", QStringLiteral("aktivni%1").arg(zalozka), QStringLiteral("0"),
               kapacita::aktivni)
        .trimmed()
        .startsWith(QLatin1Char('1'));
}

QString cti_hodnotu(const QString& cesta, QStringView sekce, QStringView klic,
                    const QString& vychozi, int kapacita) {
    return cteni_konfigurace(cesta).cti(sekce, klic, vychozi, kapacita);
}

QString cti_nazev_stykace(const QString& cesta, QStringView cislo) {
    return cteni_konfigurace(cesta).nazev_stykace(cislo);
}

bool zapis_hodnotu(const QString& cesta, QStringView sekce, QStringView klic,
                   const QString& hodnota) {
    const auto soubor = precti_konfiguraci(cesta);
    if (soubor.stav == stav_cteni::odmitnut)
        return false; // a file that cannot be read whole must not be replaced by a part of it
    const auto novy =
        ini::nastav_hodnotu(soubor.obsah, na_cp1250(sekce), na_cp1250(klic), na_cp1250(hodnota));
    if (!novy)
        return false;
    if (soubor.stav == stav_cteni::precten && *novy == soubor.obsah)
        return true;
    return zapis_soubor(cesta, *novy, odkazy::nasledovat);
}

bool konfigurace_existuje(const QString& cesta) {
    return QFileInfo(cesta).isFile();
}

bool konfigurace_poskozena(const QString& cesta) {
    if (!konfigurace_existuje(cesta))
        return false;
    const cteni_konfigurace konfigurace(cesta);
    return !konfigurace.obsahuje(u"system", u"heslo") && !konfigurace.obsahuje(u"system", u"com");
}

QByteArray vychozi_konfigurace() {
    QString text;
    text.reserve(12 * 1024);
    const auto radek = [&text](const QString& r) {
        text += r;
        text += QLatin1String("\r\n");
    };
    radek(QStringLiteral("[system]"));
    radek(QStringLiteral("heslo=1596403827"));
    radek(QStringLiteral("com=1"));
    radek({});
    radek(QStringLiteral("[zalozky]"));
    for (int n = 1; n <= 5; ++n)
        radek(QStringLiteral("nazev%1=záložka %1").arg(n));
    for (int n = 1; n <= 5; ++n)
        radek(QStringLiteral("aktivni%1=1").arg(n));
    radek({});
    radek(QStringLiteral("[stykace]"));
    for (int n = 0; n <= 127; ++n)
        radek(QStringLiteral("stykac%1=stykač %1").arg(n));
    radek({});
    radek(QStringLiteral("[chlivky]"));
    for (int n = 0; n <= 319; ++n)
        radek(QStringLiteral("chlivek%1=%2").arg(n).arg(n <= 127 ? n : 0));
    radek({});
    return na_cp1250(text);
}

bool vytvor_konfiguracni_soubor(const QString& cesta) {
    return zapis_soubor(cesta, vychozi_konfigurace(), odkazy::nasledovat);
}

} // namespace tarvik
