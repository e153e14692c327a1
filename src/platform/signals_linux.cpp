// Ending on a signal on Linux: the handler writes a byte into a socket that the event loop
// watches.

#include "platform/signals.h"

#include "platform/signals_p.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvik {

namespace {
int zapis_signalu = -1;

void na_signal(int) {
    const int puvodni = errno;
    const char bajt = 1;
    [[maybe_unused]] const ssize_t n = ::write(zapis_signalu, &bajt, 1);
    errno = puvodni;
}
} // namespace

void ukoncuj_pri_signalech() {
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
        zaznamenej_signal();
        QCoreApplication::exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = na_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT})
        ::sigaction(signal, &sa, nullptr);
}

} // namespace tarvik
