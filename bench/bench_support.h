#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <functional>

namespace tarvik::bench {

// Runs the event loop until `podminka` holds; false when `limit_ms` passes first. Sleeps between
// events instead of spinning, so that a figure is not paid for by a busy loop.
inline bool cekej(const std::function<bool()>& podminka, int limit_ms = 10000) {
    QElapsedTimer cas;
    cas.start();
    QTimer buzeni; // never sleep past the limit
    buzeni.start(limit_ms);
    while (!podminka()) {
        if (cas.elapsed() > limit_ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Whether the benchmark's set-up `s` (simulator, port, window) is ready; when not, the benchmark
// is marked as failed.
template <typename Sestava> bool pripraveno(const Sestava& s, benchmark::State& state) {
    if (!s.pripraveno)
        state.SkipWithError("set-up not ready (simulator, port or window)");
    return s.pripraveno;
}

// Runs the benchmarks named on the command line in a Qt application; offscreen unless a display
// is named (`na_displeji`) and present.
inline int spust_benchmarky(int argc, char** argv, bool na_displeji) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        (!na_displeji || qEnvironmentVariableIsEmpty("DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace tarvik::bench
