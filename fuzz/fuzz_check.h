#pragma once

#include <cstdio>
#include <cstdlib>

namespace tarvik::fuzz {

// A property every input must keep: a broken one names itself and stops the fuzzer, which then
// keeps the input that broke it.
inline void over(bool podminka, const char* co = "") {
    if (!podminka) {
        std::fprintf(stderr, "broken: %s\n", co);
        std::abort();
    }
}

} // namespace tarvik::fuzz
