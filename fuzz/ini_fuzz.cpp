// Feeds arbitrary bytes to the INI text reader and writer as the content of a configuration file
// and checks what a write must keep: the value written reads back, every other key reads as
// before, at most one existing line changes, and writing the same value again changes nothing;
// the same write padded for a write in place reads the same and changes that line alone.
#include "config/ini_text.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace {

using namespace tarvik;
using tarvik::fuzz::over;

constexpr std::array<std::pair<const char*, const char*>, 8> jmena = {{
    {"system", "com"},
    {"SYSTEM", "Heslo"},
    {"zalozky", "nazev1"},
    {"zalozky", "aktivni1"},
    {"stykace", "stykac5"},
    {"chlivky", "chlivek319"},
    {"s", "k"},
    {"s", "K2"},
}};

bool stejne(const char* a, const char* b) {
    return QByteArray(a).compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray orizni(QByteArray hodnota) {
    hodnota.replace('\r', "").replace('\n', "");
    const auto mezera = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    qsizetype od = 0, po = hodnota.size();
    while (od < po && mezera(hodnota[od]))
        ++od;
    while (po > od && mezera(hodnota[po - 1]))
        --po;
    return hodnota.mid(od, po - od);
}

QList<QByteArrayView> radky(const QByteArray& text) {
    QList<QByteArrayView> r;
    qsizetype od = 0;
    while (od < text.size()) {
        const qsizetype lf = text.indexOf('\n', od);
        const qsizetype konec = lf < 0 ? text.size() : lf + 1;
        r.append(QByteArrayView(text).sliced(od, konec - od));
        od = konec;
    }
    return r;
}

// Lines of `pred` that are not found unchanged at the start or the end of `po`.
std::pair<qsizetype, qsizetype> zmenene_radky(const QByteArray& pred, const QByteArray& po) {
    const auto a = radky(pred);
    const auto b = radky(po);
    qsizetype zacatek = 0;
    while (zacatek < a.size() && zacatek < b.size() && a[zacatek] == b[zacatek])
        ++zacatek;
    qsizetype konec = 0;
    while (konec < a.size() - zacatek && konec < b.size() - zacatek &&
           a[a.size() - 1 - konec] == b[b.size() - 1 - konec])
        ++konec;
    return {a.size() - zacatek - konec, b.size() - zacatek - konec};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const auto& [sekce, klic] = jmena[data[0] % jmena.size()];
    const std::size_t delka = std::min<std::size_t>(data[1] % 40, size - 2);
    const QByteArray hodnota(reinterpret_cast<const char*>(data) + 2, qsizetype(delka));
    const QByteArray text(reinterpret_cast<const char*>(data) + 2 + delka,
                          qsizetype(size - 2 - delka));

    const ini::rejstrik pred_zapisem(text);
    std::array<std::optional<QByteArray>, jmena.size()> pred;
    for (std::size_t i = 0; i < jmena.size(); ++i)
        pred[i] = pred_zapisem.najdi(jmena[i].first, jmena[i].second);

    const auto po = ini::nastav_hodnotu(text, sekce, klic, hodnota);
    over(po.has_value(), "valid names are accepted");
    const ini::rejstrik po_zapisu(*po);
    over(po_zapisu.najdi(sekce, klic) == orizni(hodnota), "the value reads back");

    for (std::size_t i = 0; i < jmena.size(); ++i) {
        if (stejne(jmena[i].first, sekce) && stejne(jmena[i].second, klic))
            continue;
        over(po_zapisu.najdi(jmena[i].first, jmena[i].second) == pred[i],
             "other keys read as before");
    }

    const auto [stare, nove] = zmenene_radky(text, *po);
    over(stare <= 1 && nove <= 4, "one existing line changes at most");

    over(ini::nastav_hodnotu(*po, sekce, klic, hodnota) == po, "a second write changes nothing");

    // Padded for a write in place: as long as the old text, read as the unpadded one, and the
    // padding in the changed line, so that nothing after that line moves.
    const QByteArray doplnena = ini::doplnena_na_delku(text, *po);
    over(doplnena.size() == std::max(text.size(), po->size()), "padded to the old length");
    const ini::rejstrik doplneny(doplnena);
    for (const auto& [s, k] : jmena)
        over(doplneny.najdi(s, k) == po_zapisu.najdi(s, k), "the padding is not read");
    over(po->size() >= text.size() || zmenene_radky(text, doplnena).first <= 1,
         "the padding stays in the changed line");
    return 0;
}
