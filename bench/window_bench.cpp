// The real main window against the controller simulator paced at 9600 baud: one switching cycle
// from the operator's click, click to the first byte of the command on the line, and the last
// byte of an S packet to the switches painted. Run it offscreen, under X, or under X with an
// accessibility client listening (docs/performance.md says how).
//
// `window_bench --vychozi-ini FILE` writes the default configuration file and ends (for the
// start-up benchmark, bench/startup_bench.py).

#include "app/cell_grid.h"
#include "app/main_window.h"
#include "bench_support.h"
#include "config/config_file.h"
#include "platform/program_folder.h"
#include "support/link_probe.h"
#include "tarvik-sim/simulator.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <vector>

using namespace tarvik;
using tarvik::bench::cekej;
using tarvik::bench::pripraveno;
using hodiny = std::chrono::steady_clock;

namespace {

// The end of each repaint of the window (backing store painted and flushed).
class hlidac_kresleni : public QObject {
public:
    hodiny::time_point namalovano;

protected:
    bool eventFilter(QObject* objekt, QEvent* udalost) override {
        if (udalost->type() != QEvent::UpdateRequest || uvnitr_)
            return false;
        uvnitr_ = true;
        QCoreApplication::sendEvent(objekt, udalost);
        uvnitr_ = false;
        namalovano = hodiny::now();
        return true;
    }

private:
    bool uvnitr_ = false;
};

// A temporary program folder with the default configuration, the simulator on COM1 and the main
// window shown on tab 1 (contactors 0 to 63), after its first status reply.
struct sestava {
    QTemporaryDir slozka;
    std::unique_ptr<sim::simulator> simulator;
    std::unique_ptr<frm_main> okno;
    mrizka_chlivku* mrizka = nullptr;
    std::unique_ptr<test_linky> linka_okna;
    hlidac_kresleni kresleni;
    bool pripraveno = false;

    sestava() {
        QFile ini(slozka.filePath(QStringLiteral("tarvik.ini")));
        if (!ini.open(QIODevice::WriteOnly) || ini.write(vychozi_konfigurace()) < 0)
            return;
        ini.close();
        nastav_slozku_programu(slozka.path());
        sim::nastaveni n;
        n.slozka = slozka.path();
        n.port = 1;
        n.tempo_9600 = true;
        simulator = std::make_unique<sim::simulator>(n);
        if (!simulator->spust())
            return;
        okno = std::make_unique<frm_main>();
        if (!okno->Form_Load())
            return;
        okno->zobraz_uprostred();
        if (!QTest::qWaitForWindowExposed(okno.get()))
            return;
        okno->windowHandle()->installEventFilter(&kresleni);
        okno->installEventFilter(&kresleni);
        mrizka = okno->findChild<mrizka_chlivku*>();
        linka_okna = std::make_unique<test_linky>(*okno->findChild<linka*>());
        mrizka->setCurrentIndex(0);
        pripraveno = cekej_na_klid();
    }
    bool cekej_na_klid() {
        return cekej(
            [this] { return linka_okna->ocekavana_odpoved().isEmpty() && !mrizka->zamceno(); });
    }
    void klikni(int i) {
        QCheckBox* box = mrizka->Check1(i);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
};

// Bytes of one switching cycle on the line: command 9, acknowledgement 9, query 4, status 132;
// 10 bit times each at 9600 baud.
constexpr int bajtu_cyklu = 9 + 9 + 4 + 132;
constexpr double cas_linky_s = bajtu_cyklu * 10.0 / 9600.0;

void vysledky(benchmark::State& state, std::vector<double> vzorky, const char* jednotka) {
    if (vzorky.empty())
        return;
    std::sort(vzorky.begin(), vzorky.end());
    state.counters[std::string("median_") + jednotka] = vzorky[vzorky.size() / 2];
    state.counters[std::string("max_") + jednotka] = vzorky.back();
}

// One switching cycle from the operator's click on a switch to the link idle again with every
// switch unlocked and painted.
void BM_cyklus_okna(benchmark::State& state) {
    sestava s;
    if (!pripraveno(s, state))
        return;
    int cislo = 0;
    std::vector<double> pomery;
    for (auto _ : state) {
        const auto zacatek = hodiny::now();
        s.klikni(cislo++ % 16);
        if (!s.cekej_na_klid()) {
            state.SkipWithError("cycle did not finish");
            return;
        }
        const auto konec = hodiny::now();
        cekej([&] { return s.kresleni.namalovano > konec; }, 1000);
        const std::chrono::duration<double> trvani = s.kresleni.namalovano - zacatek;
        state.SetIterationTime(trvani.count());
        pomery.push_back(trvani.count() / cas_linky_s);
    }
    state.counters["line_ms"] = cas_linky_s * 1000.0;
    vysledky(state, pomery, "ratio_to_line");
}
BENCHMARK(BM_cyklus_okna)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// The moments a mouse button goes down and comes up on a widget.
class hlidac_mysi : public QObject {
public:
    hodiny::time_point stisk, uvolneni;

protected:
    bool eventFilter(QObject*, QEvent* udalost) override {
        if (udalost->type() == QEvent::MouseButtonPress)
            stisk = hodiny::now();
        else if (udalost->type() == QEvent::MouseButtonRelease)
            uvolneni = hodiny::now();
        return false;
    }
};

// From the operator's click to the command's bytes written to the line: from the mouse press
// reaching the switch (the time measured), and from the release, which completes the click and
// is where the command is sent (counter from_release).
void BM_klik_na_prvni_bajt(benchmark::State& state) {
    sestava s;
    if (!pripraveno(s, state))
        return;
    hodiny::time_point zapsano;
    QObject::connect(&s.linka_okna->port(), &seriovy_port::zapsano, [&] {
        if (zapsano == hodiny::time_point{})
            zapsano = hodiny::now();
    });
    hlidac_mysi mys;
    for (int i = 0; i < 16; ++i)
        s.mrizka->Check1(i)->installEventFilter(&mys);
    int cislo = 0;
    std::vector<double> vzorky, od_uvolneni;
    for (auto _ : state) {
        zapsano = {};
        s.klikni(cislo++ % 16);
        const auto zacatek = mys.stisk;
        if (!cekej([&] { return zapsano != hodiny::time_point{}; })) {
            state.SkipWithError("command not written");
            return;
        }
        const std::chrono::duration<double> trvani = zapsano - zacatek;
        state.SetIterationTime(trvani.count());
        vzorky.push_back(trvani.count() * 1000.0);
        od_uvolneni.push_back(
            std::chrono::duration<double, std::milli>(zapsano - mys.uvolneni).count());
        state.PauseTiming();
        s.cekej_na_klid();
        state.ResumeTiming();
    }
    vysledky(state, vzorky, "ms");
    vysledky(state, od_uvolneni, "ms_from_release");
}
BENCHMARK(BM_klik_na_prvni_bajt)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

// From the simulator's write of the last byte of an S packet to the window repainted with the
// switches it changed.
void BM_s_paket_na_namalovane(benchmark::State& state) {
    sestava s;
    if (!pripraveno(s, state))
        return;
    hodiny::time_point posledni_bajt;
    QObject::connect(s.simulator.get(), &sim::simulator::odeslano_bajty, [&](const QByteArray& b) {
        if (b.endsWith('\n'))
            posledni_bajt = hodiny::now();
    });
    int cislo = 0;
    std::vector<double> vzorky;
    for (auto _ : state) {
        // Every reply changes switches on the tab shown.
        for (int k = 0; k < 8; ++k)
            s.simulator->nastav_stav((cislo * 8 + k) % 64, cislo % 2 == 0);
        ++cislo;
        s.okno->findChild<QAction*>(QStringLiteral("menu_nacti_status"))->trigger();
        if (!s.cekej_na_klid()) {
            state.SkipWithError("status reply not handled");
            return;
        }
        const auto konec = hodiny::now();
        cekej([&] { return s.kresleni.namalovano > konec; }, 1000);
        const std::chrono::duration<double> trvani = s.kresleni.namalovano - posledni_bajt;
        state.SetIterationTime(trvani.count());
        vzorky.push_back(trvani.count() * 1000.0);
    }
    vysledky(state, vzorky, "ms");
}
BENCHMARK(BM_s_paket_na_namalovane)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--vychozi-ini") {
        QFile ini(QString::fromLocal8Bit(argv[2]));
        return ini.open(QIODevice::WriteOnly) && ini.write(vychozi_konfigurace()) > 0 ? 0 : 1;
    }
    return tarvik::bench::spust_benchmarky(argc, argv, true);
}
