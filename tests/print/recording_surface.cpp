#include "recording_surface.h"

namespace tarvik::test {

void recording_surface::nastav_pismo(const QString& nazev) {
    udalosti.append(QStringLiteral("pismo \"%1\"").arg(nazev));
}

void recording_surface::nastav_velikost(qreal body) {
    udalosti.append(QStringLiteral("velikost %1").arg(body));
}

void recording_surface::nastav_tucne(bool zapnuto) {
    udalosti.append(QStringLiteral("tucne %1").arg(int(zapnuto)));
}

void recording_surface::nastav_kurzivu(bool zapnuto) {
    udalosti.append(QStringLiteral("kurziva %1").arg(int(zapnuto)));
}

bool recording_surface::dalsi_tisk_projde() {
    ++tisku_;
    return selhat_pri_tisku == 0 || tisku_ < selhat_pri_tisku;
}

bool recording_surface::tiskni_radek(const std::vector<polozka_tisku>& polozky, konec_radku konec) {
    QString radek = QStringLiteral("radek");
    for (const auto& p : polozky) {
        if (const int* cislo = std::get_if<int>(&p.obsah))
            radek += QStringLiteral(" %1:#%2").arg(p.sloupec).arg(*cislo);
        else
            radek += QStringLiteral(" %1:\"%2\"").arg(p.sloupec).arg(std::get<QString>(p.obsah));
    }
    if (konec == konec_radku::nechat_otevreny)
        radek += QStringLiteral(" otevreny");
    udalosti.append(radek);
    return dalsi_tisk_projde();
}

bool recording_surface::ukonci_dokument() {
    udalosti.append(QStringLiteral("konec dokumentu"));
    return dalsi_tisk_projde();
}

QStringList recording_surface::tisky() const {
    QStringList vysledek;
    for (const auto& u : udalosti)
        if (u.startsWith(QLatin1String("radek")) || u == QLatin1String("konec dokumentu"))
            vysledek.append(u);
    return vysledek;
}

} // namespace tarvik::test
