#include "config/ini_text.h"

#include <QSet>
#include <string_view>

namespace tarvik::ini {

namespace {

using std::string_view;
using pozice = string_view::size_type;

constexpr string_view bom = "\xEF\xBB\xBF";

// The blanks around lines, names and values: space, tab, CR, vertical tab and form feed.
constexpr bool je_mezera(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

string_view pohled(QByteArrayView v) {
    return {v.data(), static_cast<pozice>(v.size())};
}

// Offsets of a part of the text, so that a line can be both compared and rewritten.
struct usek {
    pozice od = 0;
    pozice po = 0;
    string_view v(string_view text) const { return text.substr(od, po - od); }
};

usek orizni(string_view text, usek u) {
    while (u.od < u.po && je_mezera(text[u.od]))
        ++u.od;
    while (u.po > u.od && je_mezera(text[u.po - 1]))
        --u.po;
    return u;
}

constexpr char mala(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool stejne_jmeno(string_view a, string_view b) {
    if (a.size() != b.size())
        return false;
    for (pozice i = 0; i < a.size(); ++i)
        if (mala(a[i]) != mala(b[i]))
            return false;
    return true;
}

enum class druh { jiny, sekce, klic };

struct radek {
    pozice konec_obsahu = 0; // where its line break starts (or the end of the text)
    pozice konec = 0;        // first byte of the next line
    druh d = druh::jiny;
    usek jmeno;              // section or key name, trimmed
    usek hodnota;            // value, trimmed
    pozice za_rovnitkem = 0; // first byte of the value, blanks after '=' skipped
};

radek rozeber(string_view text, pozice zacatek) {
    radek r;
    const pozice lf = text.find('\n', zacatek);
    if (lf == string_view::npos) {
        r.konec_obsahu = r.konec = text.size();
    } else {
        r.konec = lf + 1;
        r.konec_obsahu = lf > zacatek && text[lf - 1] == '\r' ? lf - 1 : lf;
    }
    pozice od = zacatek;
    if (zacatek == 0 && text.substr(0, bom.size()) == bom)
        od = bom.size();
    const usek obsah = orizni(text, {od, r.konec_obsahu});
    if (obsah.od == obsah.po || text[obsah.od] == ';')
        return r;
    if (text[obsah.od] == '[') {
        const pozice zavorka = text.substr(0, obsah.po).find(']', obsah.od);
        if (zavorka != string_view::npos) {
            r.d = druh::sekce;
            r.jmeno = orizni(text, {obsah.od + 1, zavorka});
        }
        return r;
    }
    const pozice rovnitko = text.substr(0, obsah.po).find('=', obsah.od);
    if (rovnitko == string_view::npos)
        return r;
    r.d = druh::klic;
    r.jmeno = orizni(text, {obsah.od, rovnitko});
    r.hodnota = orizni(text, {rovnitko + 1, obsah.po});
    r.za_rovnitkem = rovnitko + 1;
    while (r.za_rovnitkem < r.konec_obsahu && je_mezera(text[r.za_rovnitkem]))
        ++r.za_rovnitkem;
    return r;
}

// What the text holds for one key of one section.
struct nalez {
    bool sekce = false;
    pozice konec_sekce = 0; // end of the section's own line or of its last key line
    bool klic = false;
    radek radek_klice;
};

nalez hledej(string_view text, string_view sekce, string_view klic) {
    nalez n;
    for (pozice p = 0; p < text.size();) {
        const radek r = rozeber(text, p);
        p = r.konec;
        if (r.d == druh::sekce) {
            if (n.sekce)
                break; // the end of the first section of that name
            if (stejne_jmeno(r.jmeno.v(text), sekce)) {
                n.sekce = true;
                n.konec_sekce = r.konec;
            }
        } else if (r.d == druh::klic && n.sekce) {
            n.konec_sekce = r.konec;
            if (stejne_jmeno(r.jmeno.v(text), klic)) {
                n.klic = true;
                n.radek_klice = r;
                break;
            }
        }
    }
    return n;
}

bool plati_jmeno(string_view jmeno, string_view zakazane) {
    return !jmeno.empty() && !je_mezera(jmeno.front()) && !je_mezera(jmeno.back()) &&
           jmeno.find_first_of(zakazane) == string_view::npos;
}

// The line break that new lines get: the one the text already uses.
string_view zlom_radku(string_view text) {
    const pozice lf = text.find('\n');
    if (lf != string_view::npos && (lf == 0 || text[lf - 1] != '\r'))
        return "\n";
    return "\r\n";
}

void pridej(QByteArray& cil, string_view s) {
    cil.append(s.data(), static_cast<qsizetype>(s.size()));
}

// Section and key in small letters, joined by a line break, which neither can hold.
QByteArray klic_rejstriku(string_view sekce, string_view klic) {
    QByteArray k;
    k.reserve(static_cast<qsizetype>(sekce.size() + klic.size() + 1));
    for (const char c : sekce)
        k.append(mala(c));
    k.append('\n');
    for (const char c : klic)
        k.append(mala(c));
    return k;
}

} // namespace

rejstrik::rejstrik(QByteArrayView text) {
    const string_view t = pohled(text);
    QSet<QByteArray> sekce; // the names of the sections met so far
    string_view v_sekci;
    bool prvni = false; // whether the current section is the first of its name
    for (pozice p = 0; p < t.size();) {
        const radek r = rozeber(t, p);
        p = r.konec;
        if (r.d == druh::sekce) {
            v_sekci = r.jmeno.v(t);
            const QByteArray jmeno = klic_rejstriku(v_sekci, {});
            prvni = !sekce.contains(jmeno);
            sekce.insert(jmeno);
        } else if (r.d == druh::klic && prvni) {
            const QByteArray k = klic_rejstriku(v_sekci, r.jmeno.v(t));
            if (!hodnoty_.contains(k)) {
                const string_view h = r.hodnota.v(t);
                hodnoty_.insert(k, QByteArray(h.data(), static_cast<qsizetype>(h.size())));
            }
        }
    }
}

std::optional<QByteArray> rejstrik::najdi(QByteArrayView sekce, QByteArrayView klic) const {
    const auto h = hodnoty_.constFind(klic_rejstriku(pohled(sekce), pohled(klic)));
    if (h == hodnoty_.cend())
        return std::nullopt;
    return *h;
}

std::optional<QByteArray> nastav_hodnotu(QByteArrayView text, QByteArrayView sekce,
                                         QByteArrayView klic, QByteArrayView hodnota) {
    const string_view t = pohled(text);
    const string_view s = pohled(sekce);
    const string_view k = pohled(klic);
    using namespace std::string_view_literals;
    if (!plati_jmeno(s, "\r\n]"sv) || !plati_jmeno(k, "\r\n="sv) || k.front() == '[' ||
        k.front() == ';')
        return std::nullopt;

    QByteArray ciste;
    ciste.reserve(hodnota.size());
    for (const char c : hodnota)
        if (c != '\r' && c != '\n')
            ciste.append(c);
    const string_view c = pohled(ciste);
    const usek bez_mezer = orizni(c, {0, c.size()});
    ciste = ciste.sliced(bez_mezer.od, bez_mezer.po - bez_mezer.od);

    const nalez n = hledej(t, s, k);
    const string_view zlom = zlom_radku(t);
    QByteArray vysledek;
    vysledek.reserve(text.size() + k.size() + s.size() + ciste.size() + 8);

    if (n.klic) {
        pridej(vysledek, t.substr(0, n.radek_klice.za_rovnitkem));
        vysledek.append(ciste);
        pridej(vysledek, t.substr(n.radek_klice.konec_obsahu));
        return vysledek;
    }

    if (n.sekce) {
        const string_view pred = t.substr(0, n.konec_sekce);
        pridej(vysledek, pred);
        if (!pred.ends_with('\n'))
            pridej(vysledek, zlom);
        pridej(vysledek, k);
        vysledek.append('=');
        vysledek.append(ciste);
        pridej(vysledek, zlom);
        pridej(vysledek, t.substr(n.konec_sekce));
        return vysledek;
    }

    pridej(vysledek, t);
    if (!t.empty() && t != bom && !t.ends_with('\n'))
        pridej(vysledek, zlom);
    vysledek.append('[');
    pridej(vysledek, s);
    vysledek.append(']');
    pridej(vysledek, zlom);
    pridej(vysledek, k);
    vysledek.append('=');
    vysledek.append(ciste);
    pridej(vysledek, zlom);
    return vysledek;
}

QByteArray doplnena_na_delku(QByteArrayView stary, QByteArrayView novy) {
    if (novy.size() >= stary.size())
        return novy.toByteArray();
    const string_view s = pohled(stary), n = pohled(novy);
    pozice prvni = 0;
    while (prvni < n.size() && n[prvni] == s[prvni])
        ++prvni;
    pozice spolecny_konec = 0; // of the bytes after the change
    while (spolecny_konec < n.size() - prvni &&
           n[n.size() - 1 - spolecny_konec] == s[s.size() - 1 - spolecny_konec])
        ++spolecny_konec;
    // The blanks go where the line that holds the end of the change ends: after its last byte
    // other than a blank (CR included) and before its LF.
    pozice kam = n.find('\n', n.size() - spolecny_konec);
    if (kam == string_view::npos)
        kam = n.size();
    while (kam > 0 && n[kam - 1] != '\n' && je_mezera(n[kam - 1]))
        --kam;
    QByteArray vysledek = novy.toByteArray();
    vysledek.insert(static_cast<qsizetype>(kam), stary.size() - novy.size(), ' ');
    return vysledek;
}

} // namespace tarvik::ini
