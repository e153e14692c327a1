#include "app/cell_widgets.h"

#include <QPainter>
#include <QStyleOptionFrame>
#include <QStylePainter>

namespace tarvik {

namespace {
constexpr int sirka_ramecku = 3; // the focus frame of a switch, in pixels
} // namespace

const QColor vypinac::zelena(0, 255, 0);
const QColor vypinac::cervena(255, 0, 0);
const QColor vypinac::seda(192, 192, 192);

vypinac::vypinac(QWidget* rodic, QRect misto_vypinace, QRect misto_nazvu, const QFont& pismo)
    : QCheckBox(rodic), misto_vypinace_(misto_vypinace), misto_nazvu_(misto_nazvu) {
    setFont(pismo);
}

void vypinac::nastav_nazev(const QString& nazev) {
    if (nazev_ == nazev)
        return;
    nazev_ = nazev;
    setToolTip(nazev);
    popis_pro_ctecku();
    update(misto_nazvu_);
}

void vypinac::nastav_znamy(bool znamy) {
    if (znamy_ == znamy)
        return;
    znamy_ = znamy;
    popis_pro_ctecku();
    update(misto_vypinace_);
}

void vypinac::popis_pro_ctecku() {
    setAccessibleDescription(znamy_ ? nazev_ : QStringLiteral("stav neznámý, ") + nazev_);
}

bool vypinac::hitButton(const QPoint& bod) const {
    return misto_vypinace_.contains(bod);
}

void vypinac::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    // The square in the colour of the state, grey and hatched while it is unknown.
    if (znamy_) {
        p.fillRect(misto_vypinace_, isChecked() ? zelena : cervena);
    } else {
        p.fillRect(misto_vypinace_, seda);
        p.fillRect(misto_vypinace_, QBrush(Qt::black, Qt::BDiagPattern));
    }
    // The box with its mark, drawn here where the style puts it: the styles of some systems leave
    // the tick out of an inactive window's box, and the tick says "on" without the colour. The
    // lock greys the box and its mark; an unknown state has a dash, neither mark of a state.
    QStyleOptionButton volby;
    initStyleOption(&volby);
    volby.rect = misto_vypinace_;
    const QRectF box = QRectF(style()->subElementRect(QStyle::SE_CheckBoxIndicator, &volby, this))
                           .adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor inkoust =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(inkoust, 1));
    p.setBrush(palette().color(QPalette::Active, QPalette::Base));
    p.drawRect(box);
    const qreal w = box.width();
    p.setPen(QPen(inkoust, std::max(1.5, w / 7), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (!znamy_)
        p.drawLine(QPointF(box.left() + w * 0.25, box.center().y()),
                   QPointF(box.right() - w * 0.25, box.center().y()));
    else if (isChecked())
        p.drawPolyline(QList<QPointF>{box.topLeft() + QPointF(w * 0.22, w * 0.52),
                                      box.topLeft() + QPointF(w * 0.42, w * 0.72),
                                      box.topLeft() + QPointF(w * 0.78, w * 0.28)});
    p.setRenderHint(QPainter::Antialiasing, false);
    if (hasFocus()) {
        // Seen from a metre away: a thick frame in the text colour round the whole switch, the
        // same while the switches are locked.
        QPen pero(palette().color(QPalette::Active, QPalette::WindowText), sirka_ramecku);
        pero.setJoinStyle(Qt::MiterJoin);
        p.setPen(pero);
        p.setBrush(Qt::NoBrush);
        const int pul = sirka_ramecku / 2;
        p.drawRect(misto_vypinace_.adjusted(pul, pul, -pul - 1, -pul - 1));
    }

    // The name's box, as a read-only line: the lock greys the switch, not the name.
    QStyleOptionFrame ramecek;
    ramecek.initFrom(this);
    ramecek.state |= QStyle::State_Enabled | QStyle::State_Sunken | QStyle::State_ReadOnly;
    ramecek.state &= ~QStyle::State_HasFocus;
    ramecek.palette.setCurrentColorGroup(QPalette::Active);
    ramecek.rect = misto_nazvu_;
    ramecek.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &ramecek, this);
    p.fillRect(misto_nazvu_, ramecek.palette.brush(QPalette::Base));
    p.drawPrimitive(QStyle::PE_FrameLineEdit, ramecek);
    p.setPen(ramecek.palette.color(QPalette::Text));
    const QRect text = misto_nazvu_.adjusted(ramecek.lineWidth + 2, ramecek.lineWidth,
                                             -ramecek.lineWidth - 2, -ramecek.lineWidth);
    // A name too long for its box ends in an ellipsis, cut between letters, never through one.
    p.setClipRect(text);
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               p.fontMetrics().elidedText(nazev_, Qt::ElideRight, text.width()));
}

pole_cisla::pole_cisla(QWidget* rodic, const QFont& pismo) : QLineEdit(rodic) {
    setReadOnly(true);
    setMaxLength(3);
    setAlignment(Qt::AlignCenter);
    // No frame of the style's (two pixels and more on each side): one of a pixel, drawn here.
    setFrame(false);
    setTextMargins(0, 0, 0, 0);
    setFont(pismo);
}

QFont pole_cisla::pismo_pro(const QFont& pismo, int sirka_pole) {
    // QLineEdit keeps two pixels clear on each side of its text; a pixel more stays clear of the
    // frame drawn here.
    const int misto = sirka_pole - 2 * 2 - 2;
    const auto sirka = [](const QFont& f) {
        const QFontMetrics m(f);
        int nejsirsi = 0;
        for (const QString& t : {QStringLiteral("888"), QStringLiteral("---")})
            nejsirsi = std::max({nejsirsi, m.horizontalAdvance(t), m.boundingRect(t).width()});
        return nejsirsi;
    };
    QFont f = pismo;
    for (int pixely = QFontInfo(f).pixelSize(); sirka(f) > misto && pixely > 6;)
        f.setPixelSize(--pixely);
    return f;
}

void pole_cisla::paintEvent(QPaintEvent* udalost) {
    QLineEdit::paintEvent(udalost);
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        // The focus: a frame two pixels wide in the highlight colour, clear of the digits.
        p.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 2));
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

} // namespace tarvik
