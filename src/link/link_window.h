#pragma once

#include "link/packet_protocol.h"

#include <QString>

class QWidget;

namespace tarvik {

// What the link needs of the window that shows it: the switch lock, the status panels and the
// cells. The main window implements it; tests implement it with a recorder.
class okno_linky {
public:
    virtual void zakaz_buttony() = 0;
    virtual void povol_buttony() = 0;
    // Status panel 1 to 5.
    virtual void nastav_panel(int panel, const QString& text) = 0;
    // Sets every assigned cell's switch from the contactor states.
    virtual void zobraz_stav_stykacu(const stavy_stykacu& stav) = 0;
    // Parent for the link's message boxes.
    virtual QWidget* rodic_zprav() = 0;

protected:
    ~okno_linky() = default;
};

} // namespace tarvik
