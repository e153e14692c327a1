#pragma once

#include "print/print_surface.h"

#include <QStringList>

namespace tarvik::test {

// A print surface that writes down every call as one readable line:
//   pismo "Arial CE" | velikost 9 | tucne 1 | kurziva 0
//   radek 10:#5 17:"name" otevreny        (#n a number, "..." a text; "otevreny" = left open)
//   konec dokumentu
// It can be told to fail at its n-th print call (lines and end of document counted from 1).
class recording_surface final : public tiskova_plocha {
public:
    QStringList udalosti;
    int selhat_pri_tisku = 0; // 0: never fail

    void nastav_pismo(const QString& nazev) override;
    void nastav_velikost(qreal body) override;
    void nastav_tucne(bool zapnuto) override;
    void nastav_kurzivu(bool zapnuto) override;
    bool tiskni_radek(const std::vector<polozka_tisku>& polozky, konec_radku konec) override;
    bool ukonci_dokument() override;

    // The recorded print calls only (lines and end of document), without the font settings.
    QStringList tisky() const;

private:
    bool dalsi_tisk_projde();
    int tisku_ = 0;
};

} // namespace tarvik::test
