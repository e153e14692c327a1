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
    // Sets every assigned cell's switch from the contactor states: `znamy` when they are the
    // controller's answer to the last status query, not when no status has been read since the
    // start, since the port was opened again or since the controller failed to answer; the
    // switches then show their last known states as unknown.
    virtual void zobraz_stav_stykacu(const stavy_stykacu& stav, bool znamy) = 0;
    // Parent for the link's message boxes.
    virtual QWidget* rodic_zprav() = 0;

protected:
    ~okno_linky() = default;
};

} // namespace tarvik
