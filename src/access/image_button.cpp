#include "access/image_button.h"

#include <QIcon>
#include <QStyleOptionButton>
#include <QStylePainter>

// The icons are compiled into this static library; their registration has to be called by name,
// from outside any namespace.
static void nacti_ikony() {
    static const bool nacteno = [] {
        Q_INIT_RESOURCE(access);
        return true;
    }();
    Q_UNUSED(nacteno);
}

namespace tarvik {

namespace {

constexpr int velikost_ikony = 32;
constexpr int mezera = 2; // between the icon and the caption

QIcon ikona(const QString& nazev) {
    nacti_ikony();
    QIcon i;
    i.addFile(QStringLiteral(":/access/%1.png").arg(nazev));
    i.addFile(QStringLiteral(":/access/%1@2x.png").arg(nazev));
    return i;
}

} // namespace

// Made once and shared by every dialog (a copy of a QIcon shares its pixmaps). Never destroyed:
// its pixmaps must not outlive the application object.
QIcon ikona_ok() {
    static const QIcon* const i = new QIcon(ikona(QStringLiteral("ok")));
    return *i;
}
QIcon ikona_storno() {
    static const QIcon* const i = new QIcon(ikona(QStringLiteral("storno")));
    return *i;
}

graficke_tlacitko::graficke_tlacitko(const QIcon& ikona, const QString& popisek, QWidget* rodic)
    : QPushButton(ikona, popisek, rodic) {
    setIconSize({velikost_ikony, velikost_ikony});
}

QSize graficke_tlacitko::sizeHint() const {
    QStyleOptionButton volby;
    initStyleOption(&volby);
    const QSize popisek = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize obsah(qMax(iconSize().width(), popisek.width()),
                      iconSize().height() + mezera + popisek.height());
    return style()->sizeFromContents(QStyle::CT_PushButton, &volby, obsah, this);
}

void graficke_tlacitko::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton volby;
    initStyleOption(&volby);
    p.drawControl(QStyle::CE_PushButtonBevel, volby);

    QRect obsah = style()->subElementRect(QStyle::SE_PushButtonContents, &volby, this);
    if (volby.state & (QStyle::State_Sunken | QStyle::State_On))
        obsah.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &volby, this),
                        style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &volby, this));

    const QSize velikost = iconSize();
    const int vyska_popisku = fontMetrics().height();
    const int nahore =
        obsah.top() + (obsah.height() - velikost.height() - mezera - vyska_popisku) / 2;
    const QRect misto_ikony(obsah.left() + (obsah.width() - velikost.width()) / 2, nahore,
                            velikost.width(), velikost.height());
    const auto rezim = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    icon().paint(&p, misto_ikony, Qt::AlignCenter, rezim);

    const QRect misto_popisku(obsah.left(), misto_ikony.bottom() + 1 + mezera, obsah.width(),
                              vyska_popisku);
    int zarovnani = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &volby, this))
        zarovnani |= Qt::TextHideMnemonic;
    p.drawItemText(misto_popisku, zarovnani, palette(), isEnabled(), text(), QPalette::ButtonText);

    if (hasFocus()) {
        QStyleOptionFocusRect ramecek;
        ramecek.initFrom(this);
        ramecek.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &volby, this);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, ramecek);
    }
}

} // namespace tarvik
