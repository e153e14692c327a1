#pragma once

#include "platform/message_box.h"

#include <QList>
#include <functional>

namespace tarvik::test {

// Answers every message box instead of showing it, and remembers each one. Answers are taken from
// a queue (OK when it is empty); a hook may run inside a box, as the user would while it is open.
class zapisnik_zprav {
public:
    zapisnik_zprav() {
        nastav_odpovidac_zprav([this](const zprava& z) {
            zpravy.append(z);
            if (behem_zpravy)
                behem_zpravy(z);
            return odpovedi.isEmpty() ? odpoved_zpravy::ok : odpovedi.takeFirst();
        });
    }
    ~zapisnik_zprav() { nastav_odpovidac_zprav({}); }
    Q_DISABLE_COPY(zapisnik_zprav)

    QList<zprava> zpravy;
    QList<odpoved_zpravy> odpovedi;
    std::function<void(const zprava&)> behem_zpravy;

    QStringList texty() const {
        QStringList t;
        for (const auto& z : zpravy)
            t.append(z.text);
        return t;
    }
    void vymaz() { zpravy.clear(); }
};

} // namespace tarvik::test
