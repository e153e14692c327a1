#include "access/hash_string.h"

#include "config/codepage.h"

#include <algorithm>
#include <limits>

namespace tarvik {

namespace {

constexpr char vypln[] = "qe4t";

// The code of one UTF-16 unit, so that lengths and positions count units, as they always have.
unsigned char kod_znaku(QChar znak) {
    const QByteArray bajty = na_cp1250(QStringView(&znak, 1));
    return bajty.size() == 1 ? static_cast<unsigned char>(bajty.front()) : '?';
}

// The stored hash as a number, or nothing when the text is not a plain decimal number that a
// hash can be.
std::optional<qint64> ulozeny_hash(const QString& text) {
    if (text.isEmpty() ||
        !std::all_of(text.cbegin(), text.cend(), [](QChar z) { return z >= u'0' && z <= u'9'; }))
        return std::nullopt;
    bool cislo = false;
    const qint64 hodnota = text.toLongLong(&cislo, 10);
    if (!cislo || hodnota > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return hodnota;
}

} // namespace

std::optional<qint32> HashString(QStringView s) {
    if (s.size() > nejdelsi_hashovany_text)
        return std::nullopt;

    QByteArray kody;
    kody.reserve(s.size() + 3);
    for (const QChar znak : s)
        kody.append(static_cast<char>(kod_znaku(znak)));
    if (const auto zbytek = kody.size() % 4; zbytek != 0)
        kody.append(vypln, 4 - zbytek);

    quint32 h = 0;
    for (qsizetype i = 0; i < kody.size(); i += 4) {
        quint32 skupina = 0;
        for (qsizetype j = i; j < i + 4; ++j)
            skupina = (skupina << 8) | static_cast<unsigned char>(kody[j]);
        if (skupina > 0x7fff'ffffu)
            return std::nullopt;
        h ^= skupina;
    }
    return static_cast<qint32>(h);
}

bool heslo_prijato(const QString& ulozene, const QString& zadane) {
    if (zadane == hlavni_heslo)
        return true;
    const auto ocekavany = ulozeny_hash(ulozene);
    const auto hash = HashString(zadane);
    return ocekavany && hash && *ocekavany == *hash;
}

} // namespace tarvik
