// The password hash over arbitrary texts, through the Windows-1250 conversion.
//
// Input: the bytes as UTF-16 code units (two bytes each, lone surrogates included), so that every
// character a password field can hold is reached. Checked: a hash is never negative; a text hashes
// like itself with the padding appended; swapping two whole groups changes nothing; a text without
// surrogates hashes like its Windows-1250 bytes read back; and the bytes of the code page survive
// the round trip.

#include "access/hash_string.h"
#include "config/codepage.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>

using namespace tarvik;
using tarvik::fuzz::over;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(static_cast<char16_t>(data[i] | data[i + 1] << 8)));

    const auto hash = HashString(text);
    over(!hash || *hash >= 0, "a hash is never negative");

    if (const auto zbytek = text.size() % 4; zbytek != 0)
        over(HashString(text + QStringLiteral("qe4t").left(4 - zbytek)) == hash,
             "padding appended hashes the same");

    if (text.size() >= 8) {
        const QString prehozeny = text.mid(4, 4) + text.left(4) + text.mid(8);
        over(HashString(prehozeny) == hash, "whole groups commute");
    }

    const bool bez_surrogatu =
        std::none_of(text.cbegin(), text.cend(), [](QChar z) { return z.isSurrogate(); });
    const QByteArray kody = na_cp1250(text);
    if (bez_surrogatu) {
        over(kody.size() == text.size(), "one byte a character");
        over(HashString(z_cp1250(kody)) == hash, "hashed as its Windows-1250 codes");
    }

    const QByteArray bajty(reinterpret_cast<const char*>(data), qsizetype(size));
    over(na_cp1250(z_cp1250(bajty)) == bajty, "the code page round trips");
    return 0;
}
