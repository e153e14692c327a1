#pragma once

#include "platform/message_box.h"

#include <QList>
#include <deque>
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
            const auto o = odpovedi.empty() ? odpoved_zpravy::ok : odpovedi.front();
            if (!odpovedi.empty())
                odpovedi.pop_front();
            return o;
        });
    }
    ~zapisnik_zprav() { nastav_odpovidac_zprav({}); }
    zapisnik_zprav(const zapisnik_zprav&) = delete;
    zapisnik_zprav& operator=(const zapisnik_zprav&) = delete;

    QList<zprava> zpravy;
    std::deque<odpoved_zpravy> odpovedi;
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
