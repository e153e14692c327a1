#include "tarvik-sim/sim_fixture.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace tarvik::sim {

testovaci_simulator::testovaci_simulator(nastaveni n) {
    if (n.slozka.isEmpty()) {
        docasna_ = std::make_unique<QTemporaryDir>();
        n.slozka = docasna_->path();
    }
    sim_ = std::make_unique<simulator>(std::move(n));
    sim_->spust();
}

testovaci_simulator::~testovaci_simulator() {
    sim_.reset(); // removes its link before the folder goes
}

bool testovaci_simulator::cekej(const std::function<bool()>& podminka, int limit_ms) {
    const QDeadlineTimer konec(limit_ms);
    while (!podminka()) {
        if (konec.hasExpired())
            return podminka();
        QEventLoop smycka;
        QTimer::singleShot(5, &smycka, &QEventLoop::quit);
        smycka.exec();
    }
    return true;
}

bool testovaci_simulator::cekej_na_klid(qsizetype pocet_prijatych, int limit_ms) {
    return cekej(
        [this, pocet_prijatych] {
            return sim_->prijato().size() >= pocet_prijatych && !sim_->odesila();
        },
        limit_ms);
}

} // namespace tarvik::sim
