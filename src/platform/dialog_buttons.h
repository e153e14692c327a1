#pragma once

#include <QString>
#include <functional>

class QDialog;
class QPushButton;

namespace tarvik {

// The two buttons of a dialog, each made by the dialog in its own look (text or picture).
struct tlacitka_dialogu {
    QPushButton* prijmout;
    QPushButton* storno;
};

// Names the buttons and wires them: the accepting one is the default button, which Enter presses,
// and calls `prijato`; "storno" rejects the dialog as Esc does and follows it in the tab order.
tlacitka_dialogu zapoj_tlacitka(QDialog* dialog, tlacitka_dialogu tlacitka,
                                const QString& jmeno_prijmout, const QString& jmeno_storno,
                                std::function<void()> prijato);
// The same for the text buttons `text_prijmout` ("ok" or "ulož") and "storno".
tlacitka_dialogu zapoj_textova_tlacitka(QDialog* dialog, const QString& text_prijmout,
                                        const QString& jmeno_prijmout, const QString& jmeno_storno,
                                        std::function<void()> prijato);

} // namespace tarvik
