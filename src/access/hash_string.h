#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tarvik {

// The password hash stored in tarvik.ini (system/heslo, as decimal text).
//
// Each character stands for its Windows-1250 code (one byte per UTF-16 unit; a unit the code page
// cannot represent counts as '?'). The text is padded to whole groups of four with the first
// characters of "qe4t"; each group is read as a 32-bit number, first character most significant,
// and the groups are XORed together. The empty text hashes to 0.
//
// A group can only be represented when its first character has a code below 128, so the result
// is always 0 to 2147483647. There is no hash (nullopt) when a group starts with a code of 128 or
// more (a Czech letter at position 1, 5, 9 ...), and for texts longer than
// `nejdelsi_hashovany_text` characters; no stored hash can come from such a text.
std::optional<qint32> HashString(QStringView s);

inline constexpr qsizetype nejdelsi_hashovany_text = 32764;

// The longest password that a change of the password takes (the setup program's too).
inline constexpr int nejdelsi_nove_heslo = 20;

// The master password, accepted whatever hash is stored.
inline const QString hlavni_heslo = QStringLiteral("kovar");

// The login's rule: `zadane` is the master password exactly, or `ulozene` (the text of
// system/heslo) is a decimal number equal to its hash. A stored text that is not a plain run of
// decimal digits (empty, signed, blanks or letters inside, beyond 2147483647) matches no hash,
// and neither does a password without a hash.
bool heslo_prijato(const QString& ulozene, const QString& zadane);

} // namespace tarvik
