#include "platform/dialog_buttons.h"

#include <QDialog>
#include <QPushButton>

namespace tarvik {

tlacitka_dialogu zapoj_tlacitka(QDialog* dialog, tlacitka_dialogu tlacitka,
                                const QString& jmeno_prijmout, const QString& jmeno_storno,
                                std::function<void()> prijato) {
    tlacitka.prijmout->setObjectName(jmeno_prijmout);
    tlacitka.prijmout->setDefault(true);
    tlacitka.storno->setObjectName(jmeno_storno);
    QObject::connect(tlacitka.prijmout, &QPushButton::clicked, dialog, std::move(prijato));
    QObject::connect(tlacitka.storno, &QPushButton::clicked, dialog, &QDialog::reject);
    QWidget::setTabOrder(tlacitka.prijmout, tlacitka.storno);
    return tlacitka;
}

tlacitka_dialogu zapoj_textova_tlacitka(QDialog* dialog, const QString& text_prijmout,
                                        const QString& jmeno_prijmout, const QString& jmeno_storno,
                                        std::function<void()> prijato) {
    return zapoj_tlacitka(
        dialog,
        {new QPushButton(text_prijmout, dialog), new QPushButton(QStringLiteral("storno"), dialog)},
        jmeno_prijmout, jmeno_storno, std::move(prijato));
}

} // namespace tarvik
