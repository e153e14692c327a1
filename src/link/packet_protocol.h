#pragma once

#include "link/counts.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>

namespace tarvik {

// Packets on the line: "X", a type letter, a body, CR LF. Plain ASCII, one byte a character.

// The states of the contactors 0 to 127, as a status packet carries them.
using stavy_stykacu = std::array<bool, pocet_stykacu>;

inline constexpr qsizetype delka_s_paketu = 2 + pocet_stykacu + 2; // "XS", the states, CR LF
inline constexpr char znak_zacatku = 'X';
inline constexpr char znak_konce = '\n';

enum class typ_paketu { r, s, neznamy };

// The type of a packet is its second character, compared exactly; an empty or one-character
// packet has none.
typ_paketu typ(QByteArrayView paket);

// True for a well-formed S packet: 132 bytes whose 128 state characters are all '0' or '1'.
// The first two and the last two bytes are not examined (framing and dispatch vouch for them).
bool zkontroluj_s_paket(QByteArrayView paket);

// The 128 states of a packet that passed zkontroluj_s_paket: contactor k is on when the byte
// right after "XS" plus k is '1'.
stavy_stykacu stavy_z_s_paketu(QByteArrayView paket);

// A contactor number as it goes on the line: one or two characters get leading zeros, three are
// kept (so "---" stays "---"), any other length gives an empty text.
QString dopln_nuly(const QString& cislo);

// "XA" CR LF.
QByteArray dotaz_na_stav();
// "XW" + number + "=1" or "=0" + CR LF. The number is sent as given (already padded).
QByteArray prikaz_prepnuti(const QString& cislo, bool zapnout);
// The acknowledgement that prikaz_prepnuti awaits: the same with "XR".
QByteArray potvrzeni_prepnuti(const QString& cislo, bool zapnout);
// The awaited reply as status panel 3 shows it: the packet without its CR LF (and any other
// control characters), e.g. "XR005=1" or "XS".
QString text_odpovedi(QByteArrayView odpoved);

// The receiver: cuts the incoming byte stream into packets.
//
// Bytes are queued by pridej() and consumed by dalsi_paket(), one packet at a time, so that the
// caller may do anything (even receive more bytes) between two packets without disturbing the
// position reached in the stream. Each byte c is examined in arrival order:
//   1. 'X' (capital only) starts a packet, or, inside one, is kept like any other byte;
//   2. inside a packet c is appended;
//   3. '\n' hands over a copy of the packet, even an empty one (a line feed outside any packet),
//      and returns to outside a packet.
// Other bytes outside a packet are dropped.
//
// Memory is bounded. A packet that grows past nejvetsi_paket bytes without a line feed is handed
// over at once, cut to nejvetsi_paket bytes plus '\n': far too long for any packet, so it fails
// the check of its type ("Neznámý typ paketu.", "Je očekáván R paket." or the S check). The rest of
// that overlong line is dropped up to the next "X", which starts a packet at once, or up to its
// line feed, which ends the line already reported. Bytes queued while more than
// nejvetsi_fronta are waiting are dropped as well, and the packet that they interrupt is
// abandoned, so that no packet is ever glued together from two pieces of the stream.
class prijimac {
public:
    static constexpr qsizetype nejvetsi_paket = 1024;
    static constexpr qsizetype nejvetsi_fronta = 64 * 1024;

    void pridej(QByteArrayView data);
    std::optional<QByteArray> dalsi_paket();

    // Forgets the packet being received and everything waiting (opening a port).
    void vymaz();
    // Forgets everything waiting; a packet cut short by that is dropped up to the next "X" (or
    // its own line feed), as after an overlong line.
    void zahod_cekajici();

    bool prijem_paketu() const { return prijem_paketu_; }
    const QByteArray& prijimany_paket() const { return prijimany_paket_; }
    qsizetype cekajici_bajty() const { return fronta_.size() - pozice_; }

private:
    QByteArray fronta_;
    qsizetype pozice_ = 0;
    bool fronta_pretekla_ = false;
    QByteArray prijimany_paket_;
    bool prijem_paketu_ = false;
    bool hledej_zacatek_ = false; // dropping up to the next "X" or line feed
};

} // namespace tarvik
