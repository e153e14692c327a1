#include "support/message_recorder.h"

namespace tarvik::test {

zapisnik_zprav::zapisnik_zprav() {
    nastav_odpovidac_zprav([this](const zprava& z) {
        zpravy.append(z);
        if (behem_zpravy)
            behem_zpravy(z);
        const auto o = odpovedi.empty() ? odpoved_zpravy::ok : odpovedi.front();
        if (!odpovedi.empty())
            odpovedi.pop_front();
        return o;
    });
}

QStringList zapisnik_zprav::texty() const {
    QStringList t;
    for (const auto& z : zpravy)
        t.append(z.text);
    return t;
}

} // namespace tarvik::test
