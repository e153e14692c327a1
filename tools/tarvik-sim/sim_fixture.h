#pragma once

// An in-process controller for tests: a simulator started in a folder, ready for a QSerialPort
// on its device (cesta_zarizeni()) or for the program looking up <folder>/dosdevices/com<port>.

#include "tarvik-sim/simulator.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace tarvik::sim {

class testovaci_simulator {
public:
    // Starts at once, in n.slozka, or in a temporary folder of its own when that is empty
    // (pass the test's program folder to serve the program's port lookup). Check bezi().
    explicit testovaci_simulator(nastaveni n = {});
    ~testovaci_simulator();
    testovaci_simulator(const testovaci_simulator&) = delete;
    testovaci_simulator& operator=(const testovaci_simulator&) = delete;

    bool bezi() const { return sim_->bezi(); }
    simulator& sim() { return *sim_; }
    simulator* operator->() { return sim_.get(); }

    // Runs the event loop until podminka() holds or limit_ms has passed; returns podminka().
    static bool cekej(const std::function<bool()>& podminka, int limit_ms = 10000);
    // Until the simulator has received `pocet` bytes in all and has nothing left to send.
    bool cekej_na_klid(qsizetype pocet_prijatych, int limit_ms = 10000);

private:
    std::unique_ptr<QTemporaryDir> docasna_;
    std::unique_ptr<simulator> sim_;
};

} // namespace tarvik::sim
