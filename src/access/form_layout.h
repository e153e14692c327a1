#pragma once

#include "access/image_button.h"
#include "platform/dialog_buttons.h"
#include "platform/twips.h"

#include <QDialog>
#include <QLabel>
#include <QRect>
#include <functional>

// Places of the controls of the access dialogs, designed in twips.
namespace tarvik::rozvrzeni {

inline QRect misto(int vlevo, int nahore, int sirka, int vyska) {
    return {z_twipu(vlevo), z_twipu(nahore), z_twipu(sirka), z_twipu(vyska)};
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

// The two buttons of an access dialog at their places, in pictures: "ok" and "storno" (see
// zapoj_tlacitka). Returns "ok", for the tab order.
inline QPushButton* tlacitka(QDialog* dialog, const QString& jmeno_ok, const QRect& kde_ok,
                             const QString& jmeno_storno, const QRect& kde_storno,
                             std::function<void()> prijato) {
    const auto [ok, storno] =
        zapoj_tlacitka(dialog,
                       {new graficke_tlacitko(ikona_ok(), QStringLiteral("ok"), dialog),
                        new graficke_tlacitko(ikona_storno(), QStringLiteral("storno"), dialog)},
                       jmeno_ok, jmeno_storno, std::move(prijato));
    ok->setGeometry(kde_ok);
    storno->setGeometry(kde_storno);
    return ok;
}

} // namespace tarvik::rozvrzeni
