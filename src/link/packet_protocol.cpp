#include "link/packet_protocol.h"

namespace tarvik {

typ_paketu typ(QByteArrayView paket) {
    if (paket.size() < 2)
        return typ_paketu::neznamy;
    switch (paket[1]) {
    case 'R':
        return typ_paketu::r;
    case 'S':
        return typ_paketu::s;
    default:
        return typ_paketu::neznamy;
    }
}

bool zkontroluj_s_paket(QByteArrayView paket) {
    if (paket.size() != delka_s_paketu)
        return false;
    for (qsizetype i = 2; i < 2 + pocet_stykacu; ++i)
        if (paket[i] != '0' && paket[i] != '1')
            return false;
    return true;
}

stavy_stykacu stavy_z_s_paketu(QByteArrayView paket) {
    stavy_stykacu stavy{};
    for (int k = 0; k < pocet_stykacu && k + 2 < paket.size(); ++k)
        stavy[k] = paket[k + 2] == '1';
    return stavy;
}

QString dopln_nuly(const QString& cislo) {
    switch (cislo.size()) {
    case 1:
        return QStringLiteral("00") + cislo;
    case 2:
        return QStringLiteral("0") + cislo;
    case 3:
        return cislo;
    default:
        return {};
    }
}

QByteArray dotaz_na_stav() {
    return QByteArrayLiteral("XA\r\n");
}

namespace {
QByteArray prepnuti(const char* zacatek, const QString& cislo, bool zapnout) {
    return zacatek + cislo.toLatin1() + (zapnout ? "=1" : "=0") + "\r\n";
}
} // namespace

QByteArray prikaz_prepnuti(const QString& cislo, bool zapnout) {
    return prepnuti("XW", cislo, zapnout);
}

QByteArray potvrzeni_prepnuti(const QString& cislo, bool zapnout) {
    return prepnuti("XR", cislo, zapnout);
}

QString text_odpovedi(QByteArrayView odpoved) {
    QString text;
    for (const char c : odpoved)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
            text += QLatin1Char(c);
    return text;
}

void prijimac::pridej(QByteArrayView data) {
    if (pozice_ > 0) {
        fronta_.remove(0, pozice_);
        pozice_ = 0;
    }
    // After a loss nothing more is taken until the queue has been consumed up to the gap.
    const qsizetype misto = fronta_pretekla_ ? 0 : nejvetsi_fronta - fronta_.size();
    if (data.size() > misto) {
        data = data.first(misto);
        fronta_pretekla_ = true;
    }
    fronta_.append(data);
}

std::optional<QByteArray> prijimac::dalsi_paket() {
    while (pozice_ < fronta_.size()) {
        const char c = fronta_[pozice_++];
        if (hledej_zacatek_) {
            if (c != znak_zacatku && c != znak_konce)
                continue;
            hledej_zacatek_ = false;
            if (c == znak_konce)
                continue;
        }
        if (c == znak_zacatku)
            prijem_paketu_ = true;
        if (prijem_paketu_) {
            if (prijimany_paket_.size() == nejvetsi_paket && c != znak_konce) {
                QByteArray paket = prijimany_paket_ + znak_konce;
                prijimany_paket_.clear();
                prijem_paketu_ = false;
                hledej_zacatek_ = true;
                if (c == znak_zacatku)
                    --pozice_; // it starts the next packet
                return paket;
            }
            prijimany_paket_ += c;
        }
        if (c == znak_konce) {
            QByteArray paket = prijimany_paket_;
            paket.detach();
            prijimany_paket_.clear();
            prijem_paketu_ = false;
            return paket;
        }
    }
    // Everything waiting is consumed. Bytes were lost after this point: the packet they cut
    // cannot be completed honestly.
    fronta_.clear();
    pozice_ = 0;
    if (fronta_pretekla_) {
        fronta_pretekla_ = false;
        prijimany_paket_.clear();
        prijem_paketu_ = false;
        hledej_zacatek_ = false;
    }
    return std::nullopt;
}

void prijimac::zahod_cekajici() {
    fronta_.clear();
    pozice_ = 0;
    fronta_pretekla_ = false;
    if (prijem_paketu_) {
        prijimany_paket_.clear();
        prijem_paketu_ = false;
        hledej_zacatek_ = true;
    }
}

void prijimac::vymaz() {
    fronta_.clear();
    pozice_ = 0;
    fronta_pretekla_ = false;
    prijimany_paket_.clear();
    prijem_paketu_ = false;
    hledej_zacatek_ = false;
}

} // namespace tarvik
