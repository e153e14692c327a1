#include "app/cell_grid.h"

#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QStyleOptionTab>
#include <QTabBar>

namespace tarvik {

namespace {

constexpr int sirka_sloupce = 3000; // twips between the columns of a tab
constexpr int vyska_radku = 480;    // twips between the rows
constexpr int radku = 16;

int sloupec(int i) {
    return (i % chlivku_na_zalozku) / radku;
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

// The number text names a contactor only as plain digits from 0 to 127; "+5", " 5", "abc" or
// "200" come from a hand-edited file and name none.
int stykac_z_textu(const QString& text) {
    if (text.isEmpty() || text.size() > kapacita::chlivek - 1)
        return -1;
    int n = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n < pocet_stykacu ? n : -1;
}

// The application's style, drawing the focus frame wherever the focus is: also where the program
// put it (at start-up, after a change of tab), not only after the keyboard moved it.
class styl_viditelneho_fokusu final : public QProxyStyle {
public:
    void drawControl(ControlElement prvek, const QStyleOption* volba, QPainter* p,
                     const QWidget* widget) const override {
        const auto* zalozka = qstyleoption_cast<const QStyleOptionTab*>(volba);
        if (zalozka && (zalozka->state & State_HasFocus)) {
            QStyleOptionTab kopie = *zalozka;
            kopie.state |= State_KeyboardFocusChange;
            QProxyStyle::drawControl(prvek, &kopie, p, widget);
            return;
        }
        QProxyStyle::drawControl(prvek, volba, p, widget);
    }
};

void nastav_text(QLineEdit* box, const QString& text) {
    if (box->text() == text)
        return;
    box->setText(text);
    box->setCursorPosition(0); // read from its first character
}

} // namespace

QRect mrizka_chlivku::misto_check1(int i) {
    return {z_twipu(360 + sirka_sloupce * sloupec(i)), horni_okraj(i), z_twipu(375), z_twipu(375)};
}

QRect mrizka_chlivku::misto_bunky(int i) {
    return misto_check1(i).united(misto_text1(i));
}

QRect mrizka_chlivku::misto_text1(int i) {
    return {z_twipu(840 + sirka_sloupce * sloupec(i)), horni_okraj(i), z_twipu(1935), z_twipu(285)};
}

QRect mrizka_chlivku::misto_text2(int i) {
    return {z_twipu(2760 + sirka_sloupce * sloupec(i)), horni_okraj(i), z_twipu(375), z_twipu(285)};
}

mrizka_chlivku::mrizka_chlivku(QWidget* rodic) : QTabWidget(rodic), pismo_nazvu_(pismo_nazvu()) {
    setObjectName(QStringLiteral("SSTab2"));

    for (int i = 0; i < pocet_chlivku; ++i)
        nastav_chlivek(i, neprirazeno, neprirazeno);
    odemceni_.setSingleShot(true);
    odemceni_.setInterval(0);
    connect(&odemceni_, &QTimer::timeout, this, &mrizka_chlivku::po_zmene);
}

// The first tab added loads the fonts to measure the row of tabs; start-up sends its first query
// before that.
void mrizka_chlivku::vytvor_zalozky() {
    if (count() > 0)
        return;
    for (int z = 0; z < pocet_zalozek; ++z) {
        auto* w = new QWidget(this);
        w->setObjectName(QStringLiteral("zalozka%1").arg(z));
        strana(z).widget = w;
        // A page whose switches cannot take the focus (none made yet, all locked) passes it to
        // the row of tabs, where it is drawn, rather than keeping it unseen.
        w->setFocusProxy(tabBar());
        addTab(w, QStringLiteral("Tab %1").arg(z));
    }
    tabBar()->setFont(pismo_nazvu_);
    auto* styl = new styl_viditelneho_fokusu;
    styl->setParent(this);
    tabBar()->setStyle(styl);
    // The pages move when the row of tabs appears, disappears or changes its height.
    stranky_[0].widget->parentWidget()->installEventFilter(&hlidac_stranek_);
    setCurrentIndex(pocet_zalozek - 1);
    connect(this, &QTabWidget::currentChanged, this, [this](int z) {
        if (z >= 0 && isVisible())
            priprav_zalozku(z);
    });
}

void mrizka_chlivku::showEvent(QShowEvent* udalost) {
    vytvor_zalozky();
    QTabWidget::showEvent(udalost);
}

void mrizka_chlivku::inicializuj_zalozky(const cteni_konfigurace& konfigurace) {
    vytvor_zalozky();
    for (int t = 1; t <= pocet_zalozek; ++t) {
        const bool zobrazena = konfigurace.zalozka_aktivni(t);
        setTabVisible(t - 1, zobrazena);
        setTabEnabled(t - 1, zobrazena);
        if (zobrazena)
            setTabText(t - 1, konfigurace.nazev_zalozky(t));
        // A hidden tab stays in the list that a screen reader reads out: it says it is hidden.
        tabBar()->setAccessibleTabName(
            t - 1, zobrazena ? QString() : QStringLiteral("skrytá záložka %1").arg(t));
    }
}

void mrizka_chlivku::inicializuj_chlivky(const cteni_konfigurace& konfigurace) {
    QHash<QString, QString> nazvy; // each contactor's name is looked up once
    for (int i = 0; i < pocet_chlivku; ++i) {
        const QString cislo = konfigurace.stykac_chlivku(i);
        auto nazev = nazvy.constFind(cislo);
        if (nazev == nazvy.cend())
            nazev = nazvy.insert(cislo, konfigurace.nazev_stykace(cislo));
        nastav_chlivek(i, cislo, *nazev);
    }
}

void mrizka_chlivku::vyber_pocatecni_zalozku() {
    for (int z : {pocet_zalozek - 1, 0, 1, 2, 3}) {
        if (isTabVisible(z)) {
            setCurrentIndex(z);
            return;
        }
    }
}

vypinac* mrizka_chlivku::Check1(int i) {
    priprav_zalozku(i / chlivku_na_zalozku);
    return bunka(i).check;
}

pole_cisla* mrizka_chlivku::Text2(int i) {
    priprav_zalozku(i / chlivku_na_zalozku);
    if (!bunka(i).text2) {
        vytvor_text2(i);
        zobraz_chlivek(i);
    }
    return bunka(i).text2;
}

void mrizka_chlivku::priprav_zalozku(int z) {
    vytvor_zalozky();
    stranka& s = strana(z);
    if (!s.vytvorena)
        vytvor_zalozku(z);
    else if (s.zastarala)
        obnov_zalozku(z);
}

// Made cell by cell, down each column, so that Tab walks the cells in their order.
void mrizka_chlivku::vytvor_zalozku(int z) {
    stranka& s = strana(z);
    s.vytvorena = true;
    for (int i = z * chlivku_na_zalozku; i < (z + 1) * chlivku_na_zalozku; ++i) {
        chlivek& c = bunka(i);
        const QPoint roh = misto_bunky(i).topLeft();
        c.check = new vypinac(s.widget, misto_check1(i).translated(-roh),
                              misto_text1(i).translated(-roh), pismo_nazvu_);
        c.check->setObjectName(QStringLiteral("Check1_%1").arg(i));
        c.check->setFocusPolicy(Qt::StrongFocus);
        c.check->setProperty("chlivek", i);
        c.check->installEventFilter(&hlidac_chlivku_);

        // Every change of value, whatever made it; the program's own changes are not reported.
        connect(c.check, &QCheckBox::toggled, this,
                [this, i](bool hodnota) { zmena_hodnoty(i, hodnota); });
    }
    rozmisti(z);
    obnov_zalozku(z);
}

// A number box is made when it is first to be shown (the administrator's view), as the user's
// view never shows it; zobraz_chlivek gives it its text.
void mrizka_chlivku::vytvor_text2(int i) {
    chlivek& c = bunka(i);
    if (!pismo_cisel_)
        pismo_cisel_ = pole_cisla::pismo_pro(pismo_nazvu_, misto_text2(0).width());
    c.text2 = new pole_cisla(strana(i / chlivku_na_zalozku).widget, *pismo_cisel_);
    c.text2->setObjectName(QStringLiteral("Text2_%1").arg(i));
    // Said with its value, the number: which cell of which tab it belongs to.
    c.text2->setAccessibleName(QStringLiteral("číslo stykače políčka %1, záložka %2")
                                   .arg(i)
                                   .arg(i / chlivku_na_zalozku + 1));
    c.text2->setProperty("chlivek", i);
    c.text2->installEventFilter(&hlidac_chlivku_);
    c.text2->setGeometry(misto_text2(i).translated(-posun_stranek()));
    setTabOrder(c.check, c.text2);
}

void mrizka_chlivku::obnov_zalozku(int z) {
    strana(z).zastarala = false;
    for (int i = z * chlivku_na_zalozku; i < (z + 1) * chlivku_na_zalozku; ++i)
        zobraz_chlivek(i);
}

// The one way from a cell's data to its controls (its tab is made). The texts are set only when
// they changed: a screen reader hears every new name.
void mrizka_chlivku::zobraz_chlivek(int i) {
    chlivek& c = bunka(i);
    if (c.texty_zastarale) {
        c.texty_zastarale = false;
        // The whole name in the tooltip, however narrow its box; a screen reader announces the
        // switch by its contactor's name and number.
        c.check->nastav_nazev(c.nazev);
        c.check->setAccessibleName(
            c.cislo == neprirazeno ? QStringLiteral("%1, bez stykače").arg(c.nazev)
                                   : QStringLiteral("%1, stykač číslo %2").arg(c.nazev, c.cislo));
    }
    ++nastavuje_program_;
    c.check->setChecked(c.zapnuto);
    --nastavuje_program_;
    c.check->nastav_znamy(stav_znamy_ || c.stykac < 0);
    c.check->setEnabled(!zamceno_ && c.stykac >= 0);
    c.check->setVisible(!c.skryty_check);
    if (!c.text2 && !c.skryte_cislo)
        vytvor_text2(i);
    if (c.text2) {
        nastav_text(c.text2, c.cislo);
        c.text2->setVisible(!c.skryte_cislo);
    }
}

void mrizka_chlivku::po_zmene() {
    const int zobrazena = currentIndex();
    for (int z = 0; z < pocet_zalozek; ++z) {
        stranka& s = strana(z);
        if (!s.vytvorena)
            continue;
        s.zastarala = true;
        if (z == zobrazena && isVisible())
            obnov_zalozku(z);
    }
}

void mrizka_chlivku::nastav_chlivek(int i, const QString& cislo, const QString& nazev) {
    chlivek& c = bunka(i);
    c.cislo = cislo;
    c.nazev = nazev;
    c.stykac = stykac_z_textu(cislo);
    c.texty_zastarale = true;
    if (c.check)
        zobraz_chlivek(i);
}

bool mrizka_chlivku::nastav_stavy(const stavy_stykacu& stavy, bool znamy) {
    bool zmena = false;
    const bool prekreslit = stav_znamy_ != znamy;
    stav_znamy_ = znamy;
    for (chlivek& c : chlivky_) {
        if (c.stykac < 0 || c.zapnuto == stavy[static_cast<size_t>(c.stykac)])
            continue;
        c.zapnuto = !c.zapnuto;
        zmena = true;
    }
    if (zmena || prekreslit)
        po_zmene();
    return zmena;
}

// The lock takes the switches at once. The unlock reaches them when the handler that unlocked
// has returned: an acknowledgement unlocks and its status query locks again at once, and that
// pair then costs the switches (and a screen reader listening to them) nothing. Until then the
// grid's own lock flag already lets the operator's changes through.
void mrizka_chlivku::zamkni(bool zamknout) {
    if (zamceno_ == zamknout)
        return;
    zamceno_ = zamknout;
    if (!zamknout) {
        for (stranka& s : stranky_)
            s.zastarala = s.vytvorena;
        odemceni_.start();
        return;
    }
    odemceni_.stop();
    drz_fokus_ = true;
    po_zmene();
    drz_fokus_ = false;
}

void mrizka_chlivku::chlivky_uzivatelsky_mod() {
    for (chlivek& c : chlivky_) {
        if (c.cislo == neprirazeno)
            c.skryty_check = true;
        c.skryte_cislo = true;
    }
    po_zmene();
}

void mrizka_chlivku::chlivky_administratorsky_mod() {
    for (chlivek& c : chlivky_)
        c.skryty_check = c.skryte_cislo = false;
    po_zmene();
}

void mrizka_chlivku::zmena_hodnoty(int i, bool hodnota) {
    if (nastavuje_program_ > 0)
        return;
    chlivek& c = bunka(i);
    if (zamceno_ || c.stykac < 0) {
        // The lock refuses every change, whatever its way in: the switch keeps its value.
        ++nastavuje_program_;
        c.check->setChecked(c.zapnuto);
        --nastavuje_program_;
        return;
    }
    c.zapnuto = hodnota;
    Q_EMIT prepnuti(i);
}

// A switch that is locked while it has the focus keeps it, so that the operator's place survives
// every command and every poll.
bool mrizka_chlivku::focusNextPrevChild(bool dalsi) {
    return drz_fokus_ || QTabWidget::focusNextPrevChild(dalsi);
}

bool mrizka_chlivku::udalost_stranek(QEvent* udalost) {
    const QEvent::Type typ = udalost->type();
    if (typ != QEvent::Move && typ != QEvent::Resize && typ != QEvent::Show)
        return false;
    for (int z = 0; z < pocet_zalozek; ++z) {
        if (strana(z).vytvorena)
            rozmisti(z);
    }
    // The tab shown gets its cells as soon as the window is up, before it is painted.
    if (typ == QEvent::Show)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (currentIndex() >= 0)
                    priprav_zalozku(currentIndex());
            },
            Qt::QueuedConnection);
    return false;
}

bool mrizka_chlivku::udalost_chlivku(QObject* ovladac, QEvent* udalost) {
    const int i = ovladac->property("chlivek").toInt();
    const bool cislo = qobject_cast<pole_cisla*>(ovladac) != nullptr;
    const auto* klavesa =
        udalost->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(udalost) : nullptr;
    if (klavesa && !(klavesa->modifiers() & ~Qt::KeypadModifier)) {
        switch (klavesa->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            presun_fokus(i, klavesa->key(), cislo);
            return true;
        default:
            break;
        }
    }
    const bool enter =
        klavesa && (klavesa->key() == Qt::Key_Return || klavesa->key() == Qt::Key_Enter);
    if (cislo && (udalost->type() == QEvent::MouseButtonDblClick || enter)) {
        Q_EMIT vyber_cisla(i);
        return true;
    }
    return false;
}

bool mrizka_chlivku::lze_zamerit(int i, bool cislo) const {
    const chlivek& c = bunka(i);
    QWidget* w = cislo ? static_cast<QWidget*>(c.text2) : c.check;
    return w && w->isVisible() && w->isEnabled();
}

void mrizka_chlivku::presun_fokus(int i, int klavesa, bool cislo) {
    const int zacatek = i - i % chlivku_na_zalozku;
    const int r = radek(i);
    int cil = -1;
    if (klavesa == Qt::Key_Up || klavesa == Qt::Key_Down) {
        const int krok = klavesa == Qt::Key_Down ? 1 : -1;
        for (int j = r + krok; cil < 0 && j >= 0 && j < radku; j += krok)
            if (lze_zamerit(i - r + j, cislo))
                cil = i - r + j;
    } else {
        const int krok = klavesa == Qt::Key_Right ? 1 : -1;
        for (int s = sloupec(i) + krok; cil < 0 && s >= 0 && s < chlivku_na_zalozku / radku;
             s += krok) {
            // The same row, or the nearest row shown in that column (the upper one first).
            for (int vzdalenost = 0; cil < 0 && vzdalenost < radku; ++vzdalenost)
                for (const int j : {r - vzdalenost, r + vzdalenost})
                    if (cil < 0 && j >= 0 && j < radku &&
                        lze_zamerit(zacatek + s * radku + j, cislo))
                        cil = zacatek + s * radku + j;
        }
    }
    if (cil < 0)
        return; // the edge of the grid: the focus stays
    QWidget* w = cislo ? static_cast<QWidget*>(bunka(cil).text2) : bunka(cil).check;
    w->setFocus(Qt::TabFocusReason);
}

// The cells' places are given relative to the tab control; the pages sit below the row of tabs.
QPoint mrizka_chlivku::posun_stranek() const {
    const QWidget* w = currentWidget() ? currentWidget() : stranky_[0].widget;
    return w->mapTo(this, QPoint(0, 0));
}

void mrizka_chlivku::rozmisti(int z) {
    // Every page lies where the page shown lies.
    const QPoint posun = posun_stranek();
    for (int i = z * chlivku_na_zalozku; i < (z + 1) * chlivku_na_zalozku; ++i) {
        const chlivek& c = bunka(i);
        c.check->setGeometry(misto_bunky(i).translated(-posun));
        if (c.text2)
            c.text2->setGeometry(misto_text2(i).translated(-posun));
    }
}

} // namespace tarvik
