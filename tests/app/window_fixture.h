#pragma once

#include "app/cell_grid.h"
#include "app/main_window.h"
#include "support/message_recorder.h"
#include "support/temp_folder.h"
#include "tarvik-sim/simulator.h"

#include <QTest>
#include <memory>

namespace tarvik::test {

// The controller simulator on COM<port> of a folder, or none when it could not start.
inline std::unique_ptr<sim::simulator> simulator_na(const QString& slozka, int port = 1,
                                                    const QByteArray& stavy = {}) {
    sim::nastaveni n;
    n.slozka = slozka;
    n.port = port;
    n.stavy = stavy;
    auto s = std::make_unique<sim::simulator>(n);
    return s->spust() ? std::move(s) : nullptr;
}

// A program folder with a configuration file (none when `ini` is null), the controller simulator
// on COM1 with the contactors' states `stavy`, and the main window, not yet started.
struct prostredi {
    temp_folder slozka;
    message_recorder zpravy;
    std::unique_ptr<sim::simulator> com1;
    std::unique_ptr<frm_main> okno = std::make_unique<frm_main>();

    explicit prostredi(const QByteArray& ini, const QByteArray& stavy = {}) {
        if (!ini.isNull())
            slozka.write(QStringLiteral("tarvik.ini"), ini);
        com1 = simulator_na(slozka.path(), 1, stavy);
    }
    // Start-up with the window shown and the first status reply applied.
    bool spust() {
        if (!com1 || !okno->Form_Load())
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
};

} // namespace tarvik::test
