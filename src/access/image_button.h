#pragma once

#include <QPushButton>

namespace tarvik {

// A push button in graphical style: a 32 x 32 icon centred above its caption. Being a
// QPushButton it keeps a dialog's default button (Enter) and the focused button's Enter.
class graficke_tlacitko : public QPushButton {
    Q_OBJECT

public:
    graficke_tlacitko(const QIcon& ikona, const QString& popisek, QWidget* rodic = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* udalost) override;
};

// The icons of the accepting and the cancelling button.
QIcon ikona_ok();
QIcon ikona_storno();

} // namespace tarvik
