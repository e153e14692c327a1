#pragma once

#include <functional>

namespace tarvik {

// SIGTERM, SIGHUP, SIGINT (Ctrl+C) and SIGQUIT end the application's event loops (a modal box's
// too), so that the program returns from main and closes as on a normal close. On Windows, the end
// of the session runs the cleanups of pri_nahlem_konci. Call once, after the application exists.
void ukoncuj_pri_signalech();

// Whether one of those signals has come. A signal during start-up ends the box shown then, but no
// event loop runs yet to end: from then on no box is shown, and the program ends instead of
// running on.
bool konec_vyzadan();

// Runs its function if the process ends through exit() while the object lives: Qt ends a program
// whose display server has gone away that way, past every destructor.
class pri_nahlem_konci {
public:
    explicit pri_nahlem_konci(std::function<void()> uklid);
    ~pri_nahlem_konci();
    pri_nahlem_konci(const pri_nahlem_konci&) = delete;
    pri_nahlem_konci& operator=(const pri_nahlem_konci&) = delete;

private:
    std::function<void()> uklid_;
    friend void spust_uklid();
};

} // namespace tarvik
