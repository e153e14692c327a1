#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <optional>

// The configuration file's text, read and changed as bytes, without any file access.
//
// Reading follows the profile-string rules the file has always been read by:
// - A line ends with LF, optionally preceded by CR. A UTF-8 byte order mark before the first line
//   is skipped.
// - Blanks (space, tab, CR, vertical tab, form feed) around a line, around a key and around a
//   value are not part of it.
// - A line starting with ';' is a comment. A line "[name]" starts section "name"; text after the
//   closing bracket is ignored; a line starting with '[' but without ']' is ignored.
// - Any other line with a '=' is a key line: the key before the first '=', the value after it.
//   Lines without '=' and key lines before the first section belong to no key.
// - Section and key names are compared without regard to the case of the letters A to Z.
// - Only the first section of a name is searched, and in it the first line of a key.
// - A value is taken literally: quotes and ';' inside it are part of it.
// Bytes of any value (NUL included) are accepted anywhere, and lines may be of any length.
namespace tarvik::ini {

// Every value a text holds, found by the rules above in one pass, so that many keys of one text
// are read without scanning it for each.
class rejstrik {
public:
    explicit rejstrik(QByteArrayView text);
    // The value of `klic` in section `sekce`, or nothing when the section or the key is missing.
    std::optional<QByteArray> najdi(QByteArrayView sekce, QByteArrayView klic) const;

private:
    QHash<QByteArray, QByteArray> hodnoty_; // by section and key, in small letters
};

// The text with `klic` in section `sekce` set to `hodnota`, every other byte kept:
// - an existing key keeps its line, its blanks before the value and its line break; only the
//   value from its first byte to the end of the line is replaced;
// - a missing key gets the line "klic=hodnota" after the last key line of the section (or after
//   the section's own line when it has no keys);
// - a missing section gets the lines "[sekce]" and "klic=hodnota" at the end of the text, after
//   a line break when the text does not end with one.
// New lines end like the text's first line (CR LF or LF); CR LF when the text has no line break.
// CR and LF in `hodnota` are left out, so a value can never split its line, and so are blanks at
// either end of it, which no reader would see; writing the same value twice gives the same text.
// Names that the format cannot hold as given (empty, blanks at either end, CR or LF, ']' in a
// section, '=' in a key, a key starting with '[' or ';') are refused: the result is then empty.
std::optional<QByteArray> nastav_hodnotu(QByteArrayView text, QByteArrayView sekce,
                                         QByteArrayView klic, QByteArrayView hodnota);

// `novy` (the text `stary` with one value changed) brought to the length of `stary` with blanks
// at the end of the line where the change ends, which no reader sees, so that the change can be
// written over the old text without moving what follows it; `novy` itself when it is not shorter.
QByteArray doplnena_na_delku(QByteArrayView stary, QByteArrayView novy);

} // namespace tarvik::ini
