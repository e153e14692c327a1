#pragma once

#include <QCheckBox>
#include <QLineEdit>

namespace tarvik {

// A cell's switch (`Check1`) with its contactor's name beside it (`Text1`), one widget. The switch
// is green while on and red while off, painted from its value, hatched grey with neither mark
// while its state is unknown, and framed thickly while it has the keyboard focus; only the switch
// takes a click. The name is read-only and shown from its first
// character, in the colours of an enabled box even while the switches are locked.
class vypinac : public QCheckBox {
    Q_OBJECT
public:
    // The switch's square and the name's box, relative to the widget; the name is drawn in the
    // widget's font.
    vypinac(QWidget* rodic, QRect misto_vypinace, QRect misto_nazvu, const QFont& pismo);
    static const QColor zelena;
    static const QColor cervena;
    static const QColor seda; // unknown

    // The name shown, and whole in the tooltip and the accessible description.
    void nastav_nazev(const QString& nazev);
    const QString& nazev() const { return nazev_; }
    // Whether the value is the controller's state; unknown is said in the accessible description.
    void nastav_znamy(bool znamy);
    bool znamy() const { return znamy_; }

protected:
    void paintEvent(QPaintEvent* udalost) override;
    bool hitButton(const QPoint& bod) const override;

private:
    QRect misto_vypinace_;
    void popis_pro_ctecku();

    QRect misto_nazvu_;
    QString nazev_;
    bool znamy_ = true;
};

// A cell's number box (`Text2`): read-only, three characters, which always fit its small box: it
// draws a thin frame of its own and takes the cells' font, made smaller where that font leaves
// too little room.
class pole_cisla : public QLineEdit {
    Q_OBJECT
public:
    pole_cisla(QWidget* rodic, const QFont& pismo);
    // `pismo`, made smaller until "888" and "---" fit a box `sirka_pole` pixels wide.
    static QFont pismo_pro(const QFont& pismo, int sirka_pole);

protected:
    void paintEvent(QPaintEvent* udalost) override;
};

} // namespace tarvik
