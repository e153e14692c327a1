#include "app/status_bar.h"

#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QStatusBar>

namespace tarvik {

namespace {

constexpr std::array<int, stavovy_radek::pocet_panelu> sirky_panelu{
    z_twipu(2500), z_twipu(1200), z_twipu(2500), z_twipu(3500), z_twipu(2500)};

// What each panel shows, for a screen reader, which hears a panel as "what: text".
QString jmeno_panelu(size_t p, const QString& text) {
    static const std::array<QString, stavovy_radek::pocet_panelu> popisy{
        QStringLiteral("režim"), QStringLiteral("sériový port"),
        QStringLiteral("očekávaná odpověď"), QStringLiteral("vypínače"), QStringLiteral("verze")};
    if (text.isEmpty())
        return p == 1 ? popisy[p] + QStringLiteral(": zavřený") : popisy[p];
    return popisy[p] + QStringLiteral(": ") + text;
}

} // namespace

void stavovy_radek::nastav(int panel, const QString& text) {
    if (panel < 1 || panel > pocet_panelu)
        return;
    const auto p = static_cast<size_t>(panel - 1);
    texty_[p] = text;
    if (QLabel* l = panely_[p]) {
        l->setText(text);
        // A new name is announced: the operator hears the lock and the port change. Setting the
        // name sends the change event, so it is set only when it changes; an event of our own
        // besides would be heard twice.
        const QString jmeno = jmeno_panelu(p, text);
        if (l->accessibleName() != jmeno)
            l->setAccessibleName(jmeno);
    }
}

void stavovy_radek::vytvor(QMainWindow& okno) {
    if (panely_[0])
        return;
    auto* radek = new QStatusBar(&okno);
    radek->setObjectName(QStringLiteral("StatusBar1"));
    radek->setAccessibleName(QStringLiteral("stavový řádek"));
    radek->setSizeGripEnabled(false);
    radek->setFixedHeight(vyska);
    for (size_t p = 0; p < pocet_panelu; ++p) {
        auto* panel = new QLabel(texty_[p], radek);
        panel->setObjectName(QStringLiteral("panel%1").arg(p + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFixedWidth(sirky_panelu[p]);
        panel->setIndent(3);
        panel->setAccessibleName(jmeno_panelu(p, texty_[p]));
        radek->addWidget(panel);
        panely_[p] = panel;
    }
    // The status bar lays its panels out six pixels apart; two keep the five within the client
    // area's width, where six would push the window wider. The panels stay the status bar's own
    // children, where a screen reader reads them.
    for (int i = 0; QLayoutItem* polozka = radek->layout()->itemAt(i); ++i)
        if (QLayout* rada = polozka->layout())
            rada->setSpacing(2);
    okno.setStatusBar(radek);
}

} // namespace tarvik
