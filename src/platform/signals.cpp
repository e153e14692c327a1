// Ending on a signal, the part that every system shares: the request to end and the cleanups at
// exit(). How each system's signals reach the program is in signals_linux.cpp and signals_win.cpp.

#include "platform/signals.h"

#include "platform/signals_p.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tarvik {

namespace {
bool signal_prisel = false;

// Never destroyed: exit() runs the handler after the destructors of static objects.
std::vector<pri_nahlem_konci*>& registr() {
    static auto* r = new std::vector<pri_nahlem_konci*>;
    return *r;
}
} // namespace

bool konec_vyzadan() {
    return signal_prisel;
}

void zaznamenej_signal() {
    signal_prisel = true;
}

void spust_uklid() {
    // Newest first, as destructors would have run.
    const std::vector<pri_nahlem_konci*> kopie = registr();
    for (auto it = kopie.rbegin(); it != kopie.rend(); ++it)
        if ((*it)->uklid_)
            (*it)->uklid_();
}

pri_nahlem_konci::pri_nahlem_konci(std::function<void()> uklid) : uklid_(std::move(uklid)) {
    [[maybe_unused]] static const bool zaregistrovano = [] {
        std::atexit([] { spust_uklid(); });
        return true;
    }();
    registr().push_back(this);
}

pri_nahlem_konci::~pri_nahlem_konci() {
    auto& r = registr();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

} // namespace tarvik
