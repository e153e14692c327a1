#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <functional>

namespace tarvik {

// The two buttons under a dialog, side by side: the accepting one at the left, the default button
// that Enter presses, and "storno", which rejects the dialog as Esc does.
struct tlacitka_dialogu {
    QPushButton* prijmout;
    QPushButton* storno;
    QHBoxLayout* radek;
};

inline tlacitka_dialogu vytvor_tlacitka(QDialog* dialog, const QString& jmeno_prijmout,
                                        const QString& text_prijmout, const QString& jmeno_storno,
                                        std::function<void()> prijato) {
    auto* prijmout = new QPushButton(text_prijmout, dialog);
    prijmout->setObjectName(jmeno_prijmout);
    prijmout->setDefault(true);
    auto* storno = new QPushButton(QStringLiteral("storno"), dialog);
    storno->setObjectName(jmeno_storno);
    QObject::connect(prijmout, &QPushButton::clicked, dialog, std::move(prijato));
    QObject::connect(storno, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* radek = new QHBoxLayout;
    radek->addWidget(prijmout);
    radek->addWidget(storno);
    return {prijmout, storno, radek};
}

} // namespace tarvik
