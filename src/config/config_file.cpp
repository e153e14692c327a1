#include "config/config_file.h"

#include "config/codepage.h"
#include "config/ini_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace tarvik {

namespace {

enum class obsah_souboru { precten, chybi, necitelny };

obsah_souboru precti_soubor(const QString& cesta, QByteArray& obsah) {
    QFile soubor(cesta);
    if (!soubor.open(QIODevice::ReadOnly))
        return soubor.exists() ? obsah_souboru::necitelny : obsah_souboru::chybi;
    if (soubor.size() > nejvetsi_konfigurace)
        return obsah_souboru::necitelny;
    obsah = soubor.readAll();
    return soubor.error() == QFileDevice::NoError ? obsah_souboru::precten
                                                  : obsah_souboru::necitelny;
}

QString orizni_na_kapacitu(const QString& text, int kapacita) {
    return text.left(std::max(kapacita - 1, 0));
}

} // namespace

bool zapis_soubor_atomicky(const QString& cesta, QByteArrayView obsah) {
    // QSaveFile writes a temporary file beside `cesta` with the permissions of the file it
    // replaces, syncs it to disk on commit and only then renames it into place.
    const bool novy = !QFileInfo::exists(cesta);
    QSaveFile soubor(cesta);
    if (!soubor.open(QIODevice::WriteOnly))
        return false;
    if (soubor.write(obsah.data(), obsah.size()) != obsah.size())
        return false; // the temporary file goes with `soubor`
    if (!soubor.commit())
        return false;
    // The operators share the program's folder through its group: a new file is theirs to write
    // as well, or the next operator's settings would be refused without a word.
    const QFileInfo slozka(QFileInfo(cesta).absolutePath());
    if (novy && slozka.permission(QFileDevice::WriteGroup))
        QFile::setPermissions(cesta, QFile::permissions(cesta) | QFileDevice::ReadGroup |
                                         QFileDevice::WriteGroup);
    return true;
}

cteni_konfigurace::cteni_konfigurace(const QString& cesta) {
    QByteArray obsah;
    if (precti_soubor(cesta, obsah) == obsah_souboru::precten)
        obsah_ = std::move(obsah);
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
    QByteArray obsah;
    const auto stav = precti_soubor(cesta, obsah);
    if (stav == obsah_souboru::necitelny)
        return false; // a file that cannot be read whole must not be replaced by a part of it
    const auto novy =
        ini::nastav_hodnotu(obsah, na_cp1250(sekce), na_cp1250(klic), na_cp1250(hodnota));
    if (!novy)
        return false;
    if (stav == obsah_souboru::precten && *novy == obsah)
        return true;
    return zapis_soubor_atomicky(cesta, *novy);
}

bool konfigurace_existuje(const QString& cesta) {
    return QFileInfo(cesta).isFile();
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
    return zapis_soubor_atomicky(cesta, vychozi_konfigurace());
}

} // namespace tarvik
