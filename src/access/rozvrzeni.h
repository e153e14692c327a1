#pragma once

#include "platform/twips.h"

#include <QLabel>
#include <QRect>

// Places of the controls of the access dialogs, designed in twips.
namespace tarvik::rozvrzeni {

constexpr int px(int twipy) {
    return z_twipu(twipy);
}

inline QRect misto(int vlevo, int nahore, int sirka, int vyska) {
    return {px(vlevo), px(nahore), px(sirka), px(vyska)};
}

// A label at its designed place, widened when the screen font needs more room for its text.
inline QLabel* popisek(const QString& nazev, const QString& text, const QRect& kde,
                       QWidget* rodic) {
    auto* label = new QLabel(text, rodic);
    label->setObjectName(nazev);
    label->setGeometry(kde.x(), kde.y(), qMax(kde.width(), label->sizeHint().width()),
                       kde.height());
    return label;
}

} // namespace tarvik::rozvrzeni
