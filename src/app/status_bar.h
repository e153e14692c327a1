#pragma once

#include "platform/twips.h"

#include <QString>
#include <array>

class QLabel;
class QMainWindow;

namespace tarvik {

// The status bar `StatusBar1`: five panels side by side at their widths, numbered 1 to 5 from the
// left (the mode, the port, the awaited reply, the switch lock, the version), each named for a
// screen reader by what it shows. Its widgets are made when the window is first shown: measuring
// their texts loads the fonts, which start-up does after its first query. Until then it keeps the
// texts for them.
class stavovy_radek {
public:
    static constexpr int pocet_panelu = 5;
    static constexpr int vyska = z_twipu(375);
    static inline const QString text_verze = QStringLiteral("ver.: 1.6 - 29.1.2006");

    // Panel 1 to 5; any other number is ignored.
    void nastav(int panel, const QString& text);
    // Makes the widgets, once, as the status bar of `okno`.
    void vytvor(QMainWindow& okno);

private:
    std::array<QLabel*, pocet_panelu> panely_{};
    std::array<QString, pocet_panelu> texty_{{{}, {}, {}, {}, text_verze}};
};

} // namespace tarvik
