#pragma once

#include <csignal>
#include <sys/resource.h>

namespace tarvik::test {

// While it lives, no file of the process grows beyond a few bytes: every write of the
// configuration fails as on a full disk, for root too.
class plny_disk {
public:
    plny_disk() {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &pred_);
        rlimit mez = pred_;
        mez.rlim_cur = 8;
        ::setrlimit(RLIMIT_FSIZE, &mez);
    }
    ~plny_disk() { ::setrlimit(RLIMIT_FSIZE, &pred_); }
    plny_disk(const plny_disk&) = delete;
    plny_disk& operator=(const plny_disk&) = delete;

private:
    rlimit pred_{};
};

} // namespace tarvik::test
