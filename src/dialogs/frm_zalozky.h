#pragma once

#include "link/counts.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;

namespace tarvik {

// Captions and visibility of the five tabs of the main window (section "zalozky"). Loads the
// values when it opens; "ulož" writes all ten of them and has the main window rebuild its tabs.
// Controls carry their names as object names: Text1_0 .. Text1_4, Check1_0 .. Check1_4,
// cmd_uloz, cmd_storno.
class frm_zalozky : public QDialog {
    Q_OBJECT

public:
    frm_zalozky(const QString& cesta_ini, std::function<void()> inicializuj_zalozky,
                QWidget* rodic = nullptr);

private:
    void nacti();
    void cmd_uloz_Click();

    QString cesta_ini_;
    std::function<void()> inicializuj_zalozky_;
    std::array<QLineEdit*, pocet_zalozek> Text1_{};
    std::array<QCheckBox*, pocet_zalozek> Check1_{};
};

} // namespace tarvik
