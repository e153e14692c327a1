#pragma once

#include "link/okno_linky.h"

#include <QStringList>
#include <functional>

namespace tarvik::test {

// A window that only records what the link asks of it, in order.
class fake_okno : public okno_linky {
public:
    QStringList zaznam; // "zakaz", "povol", "panel3=XS", "zobraz", ...
    QString panely[6];
    int pocet_zobrazeni = 0;
    stavy_stykacu zobrazeny_stav{};
    std::function<void()> pri_zobrazeni; // runs inside zobraz_stav_stykacu
    bool zamceno = false;

    void zakaz_buttony() override {
        zamceno = true;
        zaznam << QStringLiteral("zakaz");
    }
    void povol_buttony() override {
        zamceno = false;
        zaznam << QStringLiteral("povol");
    }
    void nastav_panel(int panel, const QString& text) override {
        panely[panel] = text;
        zaznam << QStringLiteral("panel%1=%2").arg(panel).arg(text);
    }
    void zobraz_stav_stykacu(const stavy_stykacu& stav) override {
        zobrazeny_stav = stav;
        ++pocet_zobrazeni;
        zaznam << QStringLiteral("zobraz");
        if (pri_zobrazeni)
            pri_zobrazeni();
    }
    QWidget* rodic_zprav() override { return nullptr; }

    // Status queries issued: each writes "XS" to panel 3.
    int dotazy() const { return int(zaznam.count(QStringLiteral("panel3=XS"))); }
};

} // namespace tarvik::test
