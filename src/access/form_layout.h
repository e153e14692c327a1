#pragma once

#include "access/image_button.h"
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

// The two buttons of an access dialog at their places: "ok", the default button, and "storno",
// which rejects the dialog as Esc does. Returns "ok", for the tab order.
inline graficke_tlacitko* tlacitka(QDialog* dialog, const QString& jmeno_ok, const QRect& kde_ok,
                                   const QString& jmeno_storno, const QRect& kde_storno,
                                   std::function<void()> prijato) {
    auto* ok = new graficke_tlacitko(ikona_ok(), QStringLiteral("ok"), dialog);
    ok->setObjectName(jmeno_ok);
    ok->setGeometry(kde_ok);
    ok->setDefault(true);
    auto* storno = new graficke_tlacitko(ikona_storno(), QStringLiteral("storno"), dialog);
    storno->setObjectName(jmeno_storno);
    storno->setGeometry(kde_storno);
    QObject::connect(ok, &QPushButton::clicked, dialog, std::move(prijato));
    QObject::connect(storno, &QPushButton::clicked, dialog, &QDialog::reject);
    QWidget::setTabOrder(ok, storno);
    return ok;
}

} // namespace tarvik::rozvrzeni
