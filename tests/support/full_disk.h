#pragma once

#include <QtGlobal>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

namespace tarvik::test {

// While it lives, no file of the process grows beyond a few bytes: every write of the
// configuration fails as on a full disk, for root too. Linux only (a file size limit of the
// process); elsewhere it does nothing, and says so.
class plny_disk {
public:
#ifdef Q_OS_WIN
    static constexpr bool funguje = false;
#else
    static constexpr bool funguje = true;
    plny_disk() {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &pred_);
        const rlimit mez{8, pred_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &mez);
    }
    ~plny_disk() {
        ::setrlimit(RLIMIT_FSIZE, &pred_);
    }
    Q_DISABLE_COPY(plny_disk)

private:
    rlimit pred_{};
#endif
};

} // namespace tarvik::test
