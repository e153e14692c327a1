#include "app/cell_grid.h"

#include "config/config_file.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QTabBar>

namespace tarvik {

namespace {

constexpr int sirka_sloupce = 3000; // twips between the columns of a tab
constexpr int vyska_radku = 480;    // twips between the rows
constexpr int radku = 16;

int sloupec(int i) {
    return (i % mrizka_chlivku::na_zalozku) / radku;
}
int radek(int i) {
    return i % radku;
}
int horni_okraj(int i) {
    return z_twipu(840 + vyska_radku * radek(i));
}

QFont pismo_nazvu() {
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(8.25);
    f.setBold(true);
    return f;
}

const QColor cervena(255, 0, 0);
const QColor zelena(0, 255, 0);

} // namespace

QRect mrizka_chlivku::misto_check1(int i) {
    return {z_twipu(360 + sirka_sloupce * sloupec(i)), horni_okraj(i), z_twipu(375), z_twipu(375)};
}

QRect mrizka_chlivku::misto_text1(int i) {
    return {z_twipu(840 + sirka_sloupce * sloupec(i)), horni_okraj(i), z_twipu(1935), z_twipu(285)};
}

QRect mrizka_chlivku::misto_text2(int i) {
    return {z_twipu(2760 + sirka_sloupce * sloupec(i)), horni_okraj(i), z_twipu(375), z_twipu(285)};
}

mrizka_chlivku::mrizka_chlivku(QWidget* rodic) : QTabWidget(rodic) {
    setObjectName(QStringLiteral("SSTab2"));
    const QFont nazvy = pismo_nazvu();
    tabBar()->setFont(nazvy);

    for (int z = 0; z < pocet_zalozek; ++z) {
        auto* stranka = new QWidget(this);
        stranka->setObjectName(QStringLiteral("zalozka%1").arg(z));
        stranky_[static_cast<size_t>(z)] = stranka;
        addTab(stranka, QStringLiteral("Tab %1").arg(z));
    }

    // Created cell by cell, down each column, so that Tab walks the cells in their order.
    for (int i = 0; i < pocet_chlivku; ++i) {
        QWidget* stranka = stranky_[static_cast<size_t>(i / na_zalozku)];
        chlivek& c = chlivky_[static_cast<size_t>(i)];

        c.check = new QCheckBox(stranka);
        c.check->setObjectName(QStringLiteral("Check1_%1").arg(i));
        c.check->setAutoFillBackground(true);
        c.check->setBackgroundRole(QPalette::Window);
        c.check->setFocusPolicy(Qt::StrongFocus);

        c.nazev = new QLineEdit(stranka);
        c.nazev->setObjectName(QStringLiteral("Text1_%1").arg(i));
        c.nazev->setReadOnly(true);
        c.nazev->setFont(nazvy);
        c.nazev->setFocusPolicy(Qt::NoFocus); // the switch announces the name
        c.nazev->setTextMargins(0, 0, 0, 0);

        c.cislo = new QLineEdit(stranka);
        c.cislo->setObjectName(QStringLiteral("Text2_%1").arg(i));
        c.cislo->setReadOnly(true);
        c.cislo->setMaxLength(3);
        c.cislo->setTextMargins(0, 0, 0, 0);
        c.cislo->setAlignment(Qt::AlignCenter);
        c.cislo->installEventFilter(this);

        connect(c.check, &QCheckBox::toggled, this, [this, i] {
            obarvi(i);
            Q_EMIT zmena_hodnoty(i);
        });
        connect(c.check, &QCheckBox::clicked, this, [this, i] { Q_EMIT kliknuti(i); });
        obarvi(i);
    }
    setCurrentIndex(pocet_zalozek - 1);
}

void mrizka_chlivku::nastav_chlivek(int i, const QString& cislo, const QString& nazev) {
    const chlivek& c = chlivky_[static_cast<size_t>(i)];
    c.cislo->setText(cislo);
    c.nazev->setText(nazev);
    // A screen reader announces the switch by its contactor's name and number.
    c.check->setAccessibleName(cislo == neprirazeno
                                   ? QStringLiteral("%1, bez stykače").arg(nazev)
                                   : QStringLiteral("%1, stykač číslo %2").arg(nazev, cislo));
}

void mrizka_chlivku::obarvi(int i) {
    QCheckBox* check = Check1(i);
    QPalette p = check->palette();
    const QColor barva = check->isChecked() ? zelena : cervena;
    if (p.color(QPalette::Window) == barva)
        return;
    p.setColor(QPalette::Window, barva);
    check->setPalette(p);
}

bool mrizka_chlivku::eventFilter(QObject* objekt, QEvent* udalost) {
    const bool dvojklik = udalost->type() == QEvent::MouseButtonDblClick;
    const bool enter = udalost->type() == QEvent::KeyPress &&
                       (static_cast<QKeyEvent*>(udalost)->key() == Qt::Key_Return ||
                        static_cast<QKeyEvent*>(udalost)->key() == Qt::Key_Enter);
    if (dvojklik || enter) {
        for (int i = 0; i < pocet_chlivku; ++i) {
            if (chlivky_[static_cast<size_t>(i)].cislo == objekt) {
                Q_EMIT vyber_cisla(i);
                return true;
            }
        }
    }
    return QTabWidget::eventFilter(objekt, udalost);
}

void mrizka_chlivku::resizeEvent(QResizeEvent* udalost) {
    QTabWidget::resizeEvent(udalost);
    rozmisti();
}

void mrizka_chlivku::showEvent(QShowEvent* udalost) {
    QTabWidget::showEvent(udalost);
    rozmisti();
}

// The cells' places are given relative to the tab control; the pages sit below the row of tabs.
void mrizka_chlivku::rozmisti() {
    QWidget* stranka = currentWidget() ? currentWidget() : stranky_[0];
    const QPoint posun = stranka->mapTo(this, QPoint(0, 0));
    for (int i = 0; i < pocet_chlivku; ++i) {
        const chlivek& c = chlivky_[static_cast<size_t>(i)];
        c.check->setGeometry(misto_check1(i).translated(-posun));
        c.nazev->setGeometry(misto_text1(i).translated(-posun));
        c.cislo->setGeometry(misto_text2(i).translated(-posun));
    }
}

} // namespace tarvik
