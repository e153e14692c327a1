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

// Where each setting lives in the file (its section and key as the file has always had them),
// what it reads as when missing, and how much of it is read. Nothing else names them.
struct polozka {
    QString sekce;
    QString klic;
    QString vychozi;
    int kapacita;
};

const QString sekce_system = QStringLiteral("system");
const QString sekce_zalozky = QStringLiteral("zalozky");
const QString sekce_stykace = QStringLiteral("stykace");
const QString sekce_chlivky = QStringLiteral("chlivky");

namespace polozky {
polozka hash_hesla() {
    return {sekce_system, QStringLiteral("heslo"), QString(), kapacita::heslo};
}
polozka port() {
    return {sekce_system, QStringLiteral("com"), QStringLiteral("1"), kapacita::com};
}
polozka nazev_zalozky(int zalozka) {
    return {sekce_zalozky, QStringLiteral("nazev%1").arg(zalozka), neprirazeno, kapacita::nazev};
}
polozka zalozka_aktivni(int zalozka) {
    return {sekce_zalozky, QStringLiteral("aktivni%1").arg(zalozka), QStringLiteral("0"),
            kapacita::aktivni};
}
polozka nazev_stykace(QStringView cislo) {
    return {sekce_stykace, QStringLiteral("stykac%1").arg(cislo), neprirazeno, kapacita::stykac};
}
polozka stykac_chlivku(int chlivek) {
    return {sekce_chlivky, QStringLiteral("chlivek%1").arg(chlivek), QStringLiteral("0"),
            kapacita::chlivek};
}

} // namespace polozky

QString cti_polozku(const cteni_konfigurace& konfigurace, const polozka& p) {
    return konfigurace.cti(p.sekce, p.klic, p.vychozi, p.kapacita);
}

bool zapis(const QString& cesta, const polozka& p, const QString& hodnota) {
    return zapis_hodnotu(cesta, p.sekce, p.klic, hodnota);
}

} // namespace

cteni_konfigurace::cteni_konfigurace(const QString& cesta) {
    auto soubor = precti_konfiguraci(cesta);
    if (soubor.stav == stav_cteni::precten)
        obsah_.emplace(soubor.obsah);
}

cteni_konfigurace cteni_konfigurace::z_obsahu(QByteArrayView obsah) {
    cteni_konfigurace k;
    k.obsah_.emplace(obsah);
    return k;
}

QString cteni_konfigurace::cti(QStringView sekce, QStringView klic, const QString& vychozi,
                               int kapacita) const {
    const auto hodnota = obsah_ ? obsah_->najdi(na_cp1250(sekce), na_cp1250(klic)) : std::nullopt;
    if (!hodnota)
        return orizni_na_kapacitu(vychozi, kapacita);
    // A value is a C string to the program: a NUL byte in a damaged file ends it. One byte is one
    // character in this code page, so the cut can come before decoding.
    const qsizetype konec = hodnota->contains('\0') ? hodnota->indexOf('\0') : hodnota->size();
    return z_cp1250(
        QByteArrayView(*hodnota).first(std::min<qsizetype>(konec, std::max(kapacita - 1, 0))));
}

bool cteni_konfigurace::obsahuje(QStringView sekce, QStringView klic) const {
    return obsah_ && obsah_->najdi(na_cp1250(sekce), na_cp1250(klic));
}

QString cteni_konfigurace::nazev_zalozky(int zalozka) const {
    return cti_polozku(*this, polozky::nazev_zalozky(zalozka));
}

bool cteni_konfigurace::zalozka_aktivni(int zalozka) const {
    return cti_polozku(*this, polozky::zalozka_aktivni(zalozka))
        .trimmed()
        .startsWith(QLatin1Char('1'));
}

QString cteni_konfigurace::stykac_chlivku(int chlivek) const {
    return cti_polozku(*this, polozky::stykac_chlivku(chlivek));
}

QString cteni_konfigurace::nazev_stykace(QStringView cislo) const {
    return cti_polozku(*this, polozky::nazev_stykace(cislo));
}

int cteni_konfigurace::port() const {
    // The value of the leading digits, as the port has always been read.
    int cislo = 0;
    for (const QChar c : cti_polozku(*this, polozky::port())) {
        if (c < u'0' || c > u'9' || cislo > 100000)
            break;
        cislo = cislo * 10 + (c.unicode() - u'0');
    }
    return cislo;
}

QString cteni_konfigurace::hash_hesla() const {
    return cti_polozku(*this, polozky::hash_hesla());
}

QString cti_hodnotu(const QString& cesta, QStringView sekce, QStringView klic,
                    const QString& vychozi, int kapacita) {
    return cteni_konfigurace(cesta).cti(sekce, klic, vychozi, kapacita);
}

QString cti_nazev_stykace(const QString& cesta, QStringView cislo) {
    return cteni_konfigurace(cesta).nazev_stykace(cislo);
}

int cti_port(const QString& cesta) {
    return cteni_konfigurace(cesta).port();
}

QString cti_hash_hesla(const QString& cesta) {
    return cteni_konfigurace(cesta).hash_hesla();
}

bool zapis_hodnotu(const QString& cesta, QStringView sekce, QStringView klic,
                   const QString& hodnota) {
    const QByteArray s = na_cp1250(sekce), k = na_cp1250(klic), h = na_cp1250(hodnota);
    return zmen_soubor(cesta, nejvetsi_konfigurace,
                       [&](const precteny_soubor& stary) -> std::optional<novy_obsah> {
                           // A file that cannot be read whole must not be replaced by a part of it.
                           if (stary.stav == stav_cteni::odmitnut)
                               return std::nullopt;
                           auto novy = ini::nastav_hodnotu(stary.obsah, s, k, h);
                           if (!novy)
                               return std::nullopt;
                           auto na_miste = ini::doplnena_na_delku(stary.obsah, *novy);
                           return novy_obsah{*std::move(novy), std::move(na_miste)};
                       });
}

bool zapis_nazev_zalozky(const QString& cesta, int zalozka, const QString& nazev) {
    return zapis(cesta, polozky::nazev_zalozky(zalozka), nazev);
}

bool zapis_zalozka_aktivni(const QString& cesta, int zalozka, bool aktivni) {
    return zapis(cesta, polozky::zalozka_aktivni(zalozka),
                 aktivni ? QStringLiteral("1") : QStringLiteral("0"));
}

bool zapis_stykac_chlivku(const QString& cesta, int chlivek, const QString& cislo) {
    return zapis(cesta, polozky::stykac_chlivku(chlivek), cislo);
}

bool zapis_nazev_stykace(const QString& cesta, QStringView cislo, const QString& nazev) {
    return zapis(cesta, polozky::nazev_stykace(cislo), nazev);
}

bool zapis_port(const QString& cesta, int cislo) {
    return zapis(cesta, polozky::port(), QString::number(cislo));
}

bool zapis_hash_hesla(const QString& cesta, qint32 hash) {
    return zapis(cesta, polozky::hash_hesla(), QString::number(hash));
}

bool konfigurace_existuje(const QString& cesta) {
    // A link that the program does not follow holds the file's place as well: it is reported,
    // never replaced by a default file.
    const QFileInfo info(konec_odkazu(cesta));
    return info.isSymLink() || info.isFile();
}

bool cteni_konfigurace::poskozena() const {
    const auto chybi = [this](const polozka& p) { return !obsahuje(p.sekce, p.klic); };
    return chybi(polozky::hash_hesla()) && chybi(polozky::port());
}

bool konfigurace_poskozena(const QString& cesta) {
    return konfigurace_existuje(cesta) && cteni_konfigurace(cesta).poskozena();
}

QByteArray vychozi_konfigurace() {
    QString text;
    text.reserve(12 * 1024);
    const auto radek = [&text](const QString& r) {
        text += r;
        text += QLatin1String("\r\n");
    };
    const auto sekce = [&radek](const QString& nazev) { radek(u'[' + nazev + u']'); };
    const auto hodnota = [&radek](const polozka& p, const QString& h) { radek(p.klic + u'=' + h); };
    sekce(sekce_system);
    hodnota(polozky::hash_hesla(), QStringLiteral("1596403827"));
    hodnota(polozky::port(), QStringLiteral("1"));
    radek({});
    sekce(sekce_zalozky);
    for (int n = 1; n <= 5; ++n)
        hodnota(polozky::nazev_zalozky(n), QStringLiteral("záložka %1").arg(n));
    for (int n = 1; n <= 5; ++n)
        hodnota(polozky::zalozka_aktivni(n), QStringLiteral("1"));
    radek({});
    sekce(sekce_stykace);
    for (int n = 0; n <= 127; ++n)
        hodnota(polozky::nazev_stykace(QString::number(n)), QStringLiteral("stykač %1").arg(n));
    radek({});
    sekce(sekce_chlivky);
    for (int n = 0; n <= 319; ++n)
        hodnota(polozky::stykac_chlivku(n), QString::number(n <= 127 ? n : 0));
    radek({});
    return na_cp1250(text);
}

bool vytvor_konfiguracni_soubor(const QString& cesta) {
    // A file that another program made meanwhile stays.
    return zmen_soubor(cesta, nejvetsi_konfigurace,
                       [](const precteny_soubor& stary) -> std::optional<novy_obsah> {
                           if (stary.stav == stav_cteni::chybi)
                               return novy_obsah{vychozi_konfigurace(), {}};
                           if (stary.stav == stav_cteni::precten)
                               return novy_obsah{stary.obsah, {}};
                           return std::nullopt;
                       });
}

bool je_konfigurace(QByteArrayView obsah) {
    const auto ridici = [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && !QByteArrayView(" \t\r\n\v\f").contains(c);
    };
    return std::none_of(obsah.begin(), obsah.end(), ridici) &&
           !cteni_konfigurace::z_obsahu(obsah).poskozena();
}

} // namespace tarvik
