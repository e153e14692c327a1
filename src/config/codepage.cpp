#include "config/codepage.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tarvik {

namespace {

// The upper half of Windows-1250, byte 0x80 + i is horni_polovina[i]. The five bytes that the
// code page leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) stand for the control characters of
// the same number, so that a stray byte in a hand-edited file survives being read and written
// back instead of turning into '?'.
constexpr std::array<char16_t, 128> horni_polovina = {
    // 0x80
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, //
    // 0x90
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, //
    // 0xA0
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, //
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, //
    // 0xB0
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, //
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, //
    // 0xC0
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, //
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, //
    // 0xD0
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, //
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, //
    // 0xE0
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, //
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, //
    // 0xF0
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, //
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, //
};

// The same table turned round and sorted by character, for a binary search when encoding.
using dvojice = std::pair<char16_t, unsigned char>;
constexpr std::array<dvojice, 128> podle_znaku = [] {
    std::array<dvojice, 128> t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = {horni_polovina[i], static_cast<unsigned char>(0x80 + i)};
    std::sort(t.begin(), t.end());
    return t;
}();

static_assert(std::adjacent_find(podle_znaku.begin(), podle_znaku.end(),
                                 [](const dvojice& a, const dvojice& b) {
                                     return a.first == b.first;
                                 }) == podle_znaku.end(),
              "every byte of the upper half must stand for a different character");

char zakoduj(char16_t znak) {
    if (znak < 0x80)
        return static_cast<char>(znak);
    const auto it = std::lower_bound(podle_znaku.begin(), podle_znaku.end(), znak,
                                     [](const dvojice& d, char16_t z) { return d.first < z; });
    if (it != podle_znaku.end() && it->first == znak)
        return static_cast<char>(it->second);
    return '?';
}

} // namespace

QByteArray na_cp1250(QStringView text) {
    QByteArray vysledek;
    vysledek.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar znak = text[i];
        if (znak.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            // One character outside the basic plane: one '?', not two.
            vysledek.append('?');
            ++i;
            continue;
        }
        vysledek.append(zakoduj(znak.unicode()));
    }
    return vysledek;
}

QString z_cp1250(QByteArrayView bajty) {
    QString vysledek(bajty.size(), Qt::Uninitialized);
    QChar* cil = vysledek.data();
    for (const char c : bajty) {
        const auto b = static_cast<unsigned char>(c);
        *cil++ = QChar(b < 0x80 ? char16_t(b) : horni_polovina[b - 0x80]);
    }
    return vysledek;
}

} // namespace tarvik
