#include "platform/signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>
#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tarvik {

void spust_uklid();

namespace {
bool signal_prisel = false;
}

bool konec_vyzadan() {
    return signal_prisel;
}

#ifndef Q_OS_WIN
namespace {
int zapis_signalu = -1;

void na_signal(int) {
    const int puvodni = errno;
    const char bajt = 1;
    [[maybe_unused]] const ssize_t n = ::write(zapis_signalu, &bajt, 1);
    errno = puvodni;
}
} // namespace
#endif

void ukoncuj_pri_signalech() {
#ifndef Q_OS_WIN
    // The handler only writes a byte; the event loop reads it and quits.
    int par[2];
    if (zapis_signalu >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, par) != 0)
        return;
    ::fcntl(par[0], F_SETFL, O_NONBLOCK);
    ::fcntl(par[1], F_SETFL, O_NONBLOCK);
    zapis_signalu = par[1];
    auto* oznamovac =
        new QSocketNotifier(par[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(oznamovac, &QSocketNotifier::activated, oznamovac, [cteni = par[0]] {
        char bajty[16];
        while (::read(cteni, bajty, sizeof bajty) > 0) {
        }
        // exit() ends every event loop running, a start-up box's too, where quit() would do
        // nothing until the application's own loop runs.
        signal_prisel = true;
        QCoreApplication::exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = na_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT})
        ::sigaction(signal, &sa, nullptr);
#else
    // When Windows ends the session, Qt announces the end of the application and the system
    // ends the process right after, past every destructor: what must be closed is closed then.
    static const QMetaObject::Connection pri_konci_relace =
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, spust_uklid);
    Q_UNUSED(pri_konci_relace);
#endif
}

namespace {
// Never destroyed: exit() runs the handler after the destructors of static objects.
std::vector<pri_nahlem_konci*>& registr() {
    static auto* r = new std::vector<pri_nahlem_konci*>;
    return *r;
}
} // namespace

void spust_uklid() {
    // Newest first, as destructors would have run.
    const std::vector<pri_nahlem_konci*> kopie = registr();
    for (auto it = kopie.rbegin(); it != kopie.rend(); ++it)
        if ((*it)->uklid_)
            (*it)->uklid_();
}

pri_nahlem_konci::pri_nahlem_konci(std::function<void()> uklid) : uklid_(std::move(uklid)) {
    static const bool zaregistrovano = [] {
        std::atexit([] { spust_uklid(); });
        return true;
    }();
    Q_UNUSED(zaregistrovano);
    registr().push_back(this);
}

pri_nahlem_konci::~pri_nahlem_konci() {
    auto& r = registr();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

} // namespace tarvik
