// Reading and changing files, the part that every system shares: how a change goes (the temporary
// file and its name, the write in place), and the administrator's links. Each system's own calls
// are in files_linux.cpp and files_win.cpp (files_p.h).

#include "platform/files.h"

#include "platform/files_p.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <chrono>

namespace tarvik {

namespace soubory {

precteny_soubor precti_otevreny(const otevreny_soubor& soubor, qint64 nejvic,
                                const std::function<bool(QByteArray&, qint64)>& cti_az) {
    if (!soubor.jedine_jmeno || soubor.velikost > nejvic)
        return {stav_cteni::odmitnut, {}};
    precteny_soubor vysledek{stav_cteni::precten, {}};
    if (!cti_az(vysledek.obsah, nejvic + 1) || vysledek.obsah.size() > nejvic)
        return {stav_cteni::odmitnut, {}};
    return vysledek;
}

docasny vytvor_docasny(const QString& cil, std::optional<quint64> cislo,
                       const std::function<vytvoreni(const QString&)>& vytvor,
                       const std::function<void(const QString&)>& odstran) {
    docasny d;
    if (cislo) {
        d.cesta = docasny_soubor(cil, *cislo);
        // What a killed change of this file left: only the change that holds the file uses this
        // name.
        odstran(d.cesta);
        d.stav = vytvor(d.cesta);
        return d;
    }
    for (int pokus = 0; pokus < 100; ++pokus) {
        d.cesta = docasny_soubor(cil, QRandomGenerator::global()->generate());
        d.stav = vytvor(d.cesta);
        if (d.stav != vytvoreni::obsazeno)
            break;
    }
    return d;
}

namespace {

// How long a change waits for another program's change of the same file: those take
// milliseconds, so only a program that holds the lock without changing anything waits it out.
constexpr auto cekani_na_zamek = std::chrono::seconds(5);

// Writes `novy` over the held file in place, where one write can do it (see zmena_na_miste).
bool zapis_na_miste(drzeny_soubor& d, QByteArrayView novy) {
    if (d.stary().stav != stav_cteni::precten)
        return false;
    const auto zmena = zmena_na_miste(d.stary().obsah, novy);
    return zmena && d.prepis(zmena->od, novy.sliced(zmena->od, zmena->po - zmena->od));
}

} // namespace

} // namespace soubory

using namespace soubory;

std::optional<usek_zmeny> zmena_na_miste(QByteArrayView stary, QByteArrayView novy) {
    constexpr qsizetype stranka = 4096;
    if (novy.size() < stary.size())
        return std::nullopt;
    usek_zmeny u{0, novy.size()};
    while (u.od < stary.size() && novy[u.od] == stary[u.od])
        ++u.od;
    if (novy.size() == stary.size())
        while (u.po > u.od && novy[u.po - 1] == stary[u.po - 1])
            --u.po;
    if (u.od < u.po && u.od / stranka != (u.po - 1) / stranka)
        return std::nullopt;
    return u;
}

QString docasny_soubor(const QString& cil, quint64 cislo) {
    const QFileInfo info(cil);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".zapis-") + QString::number(cislo, 16);
}

QString konec_odkazu(const QString& cesta) {
    QFileInfo info(cesta);
    for (int hloubka = 0; hloubka < 40 && info.isSymLink() && odkaz_spravce(info.filePath());
         ++hloubka)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

QString slozka_spravce(const QString& cesta) {
    // The path taken apart, its first part the root ("" before the first "/", or a drive).
    QStringList zbyva = QDir::cleanPath(QFileInfo(cesta).absoluteFilePath()).split(u'/');
    QString hotovo = zbyva.takeFirst(); // resolved so far, with no link in it
    for (int odkazu = 0; !zbyva.isEmpty();) {
        const QString cast = zbyva.takeFirst();
        if (cast.isEmpty() || cast == u".")
            continue;
        if (cast == u"..") {
            hotovo.truncate(std::max<qsizetype>(hotovo.lastIndexOf(u'/'), 0));
            continue;
        }
        const QString dalsi = hotovo + u'/' + cast;
        const QFileInfo info(dalsi);
        if (info.isSymLink()) {
            if (++odkazu > 40 || !odkaz_spravce(dalsi))
                return {};
            zbyva = QDir::cleanPath(info.symLinkTarget()).split(u'/') + zbyva;
            hotovo = zbyva.takeFirst();
        } else if (info.isDir()) {
            hotovo = dalsi;
        } else {
            return {};
        }
    }
    return hotovo.isEmpty() ? QStringLiteral("/") : hotovo;
}

bool zmen_soubor(const QString& cesta, qint64 nejvic, const zmena_souboru& zmena) {
    const QString cil = konec_odkazu(cesta);
    const QDeadlineTimer konec(cekani_na_zamek);
    for (int pokus = 0; pokus < 100; ++pokus) {
        drzeny_soubor d(cil);
        const drzeni stav = d.drz(nejvic, &konec);
        if (stav == drzeni::znovu)
            continue;
        if (stav == drzeni::odmitnut)
            return false;
        const auto novy = zmena(d.stary());
        if (!novy)
            return false;
        if (d.stary().stav == stav_cteni::precten && novy->obsah == d.stary().obsah)
            return true;
        // The temporary file of an existing file is named by its number: the next change of
        // the file finds what a killed one left.
        const bool existuje = stav == drzeni::drzen;
        switch (d.nahrad(novy->obsah, existuje ? std::optional(d.id().cislo) : std::nullopt)) {
        case nahrazeni::hotovo:
            return true;
        case nahrazeni::selhalo:
            return false;
        case nahrazeni::soubor_se_objevil:
            continue;
        case nahrazeni::bez_noveho_souboru:
            return existuje &&
                   zapis_na_miste(d, novy->na_miste.isNull() ? novy->obsah : novy->na_miste);
        }
    }
    return false;
}

bool zapis_soubor(const QString& cesta, QByteArrayView obsah) {
    drzeny_soubor d(cesta);
    const drzeni stav = d.drz(obsah.size(), nullptr);
    if (stav != drzeni::drzen && stav != drzeni::chybi)
        return false;
    switch (d.nahrad(obsah, std::nullopt)) {
    case nahrazeni::hotovo:
        return true;
    case nahrazeni::bez_noveho_souboru:
        return stav == drzeni::drzen && zapis_na_miste(d, obsah);
    default:
        return false;
    }
}

} // namespace tarvik
