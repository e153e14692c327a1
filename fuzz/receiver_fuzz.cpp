// The receiver and the packet checks over arbitrary byte streams in arbitrary chunks.
//
// Input: the first byte seeds the chunk sizes and how many packets are taken between chunks (the
// link takes them one at a time and may receive more bytes in between); the rest is the stream.
// Checked: the receiver's buffer stays bounded, every packet handed over (but the empty one of a
// lone line feed) runs from "X" to a line feed, and
// as long as no packet grows too long the packets are exactly those of the plain character rules.

#include "fuzz_check.h"
#include "link/packet_protocol.h"

#include <QByteArray>
#include <QList>
#include <cstdint>

using namespace tarvik;
using tarvik::fuzz::over;

namespace {

// The character rules without any bound: the reference.
struct vzor {
    QByteArray paket;
    bool prijem = false;
    bool pretekl = false;
    QList<QByteArray> pakety;

    void prijmi(char c) {
        if (c == znak_zacatku)
            prijem = true;
        if (prijem)
            paket += c;
        if (paket.size() > prijimac::nejvetsi_paket && c != znak_konce)
            pretekl = true;
        if (c == znak_konce) {
            pakety.append(paket);
            paket.clear();
            prijem = false;
        }
    }
};

void zkontroluj_paket(const QByteArray& paket) {
    // A line feed outside any packet hands over an empty packet; every other one runs from "X"
    // to its line feed.
    if (paket.isEmpty())
        return;
    over(paket.startsWith(znak_zacatku) && paket.endsWith(znak_konce));
    over(paket.size() <= prijimac::nejvetsi_paket + 1);
    const bool s_ok = zkontroluj_s_paket(paket);
    over(!s_ok || paket.size() == delka_s_paketu);
    if (s_ok && typ(paket) == typ_paketu::s) {
        const stavy_stykacu stavy = stavy_z_s_paketu(paket);
        for (int k = 0; k < pocet_stykacu; ++k)
            over(stavy[k] == (paket[k + 2] == '1'));
    }
    (void)text_odpovedi(paket);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    uint32_t stav = data[0] * 2654435761u + 1;
    const auto nahodne = [&stav](uint32_t rozsah) {
        stav = stav * 1103515245u + 12345u;
        return (stav >> 16) % rozsah;
    };
    const QByteArray proud(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    prijimac p;
    vzor v;
    QList<QByteArray> pakety;
    qsizetype pozice = 0;
    while (pozice < proud.size()) {
        const qsizetype kus = std::min<qsizetype>(1 + nahodne(200), proud.size() - pozice);
        p.pridej(QByteArrayView(proud).sliced(pozice, kus));
        for (qsizetype i = pozice; i < pozice + kus; ++i)
            v.prijmi(proud[i]);
        pozice += kus;
        // Take some of the packets now, leave the rest for later.
        for (uint32_t n = nahodne(4); n > 0; --n) {
            const auto paket = p.dalsi_paket();
            if (!paket)
                break;
            zkontroluj_paket(*paket);
            pakety.append(*paket);
        }
        over(p.prijimany_paket().size() <= prijimac::nejvetsi_paket);
    }
    while (const auto paket = p.dalsi_paket()) {
        zkontroluj_paket(*paket);
        pakety.append(*paket);
    }
    over(p.cekajici_bajty() == 0);
    over(p.prijimany_paket().size() <= prijimac::nejvetsi_paket);
    if (!v.pretekl) {
        over(pakety == v.pakety);
        over(p.prijimany_paket() == v.paket);
        over(p.prijem_paketu() == v.prijem);
    }
    return 0;
}
