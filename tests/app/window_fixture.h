#pragma once

#include "app/cell_grid.h"
#include "app/main_window.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"
#include "tarvik-sim/simulator.h"

#include <QTest>
#include <memory>

namespace tarvik::test {

// A program folder with a configuration file (none when `ini` is null), the controller simulator
// on COM1 with the contactors' states `stavy`, and the main window; nothing started.
struct prostredi {
    docasna_slozka slozka;
    zapisnik_zprav zpravy;
    std::unique_ptr<sim::simulator> com1;
    std::unique_ptr<frm_main> okno = std::make_unique<frm_main>();

    explicit prostredi(const QByteArray& ini, const QByteArray& stavy = {}) {
        if (!ini.isNull())
            slozka.write(QStringLiteral("tarvik.ini"), ini);
        com1 = std::make_unique<sim::simulator>(sim::nastaveni{slozka.path(), 1, stavy});
    }
    // Start-up with the window shown and the first status reply applied.
    bool spust() {
        if (!com1->spust() || !okno->Form_Load())
            return false;
        okno->zobraz_uprostred();
        return QTest::qWaitForWindowExposed(okno.get()) && klid();
    }
    // Until the last status reply has been applied.
    bool klid() {
        return QTest::qWaitFor(
            [&] { return okno->panel(4) == QStringLiteral("tlačítka povolena"); }, 5000);
    }
    mrizka_chlivku& m() { return okno->SSTab2(); }
    QStringList panely() const {
        return {okno->panel(1), okno->panel(2), okno->panel(3), okno->panel(4), okno->panel(5)};
    }
};

} // namespace tarvik::test
