// Speed of the link against the controller simulator paced at 9600 baud: one whole switching
// cycle, the program's own latencies, and what the link costs while the line is idle; and its
// memory over a long run against a controller that misbehaves at random.
// How to run and the figures: docs/performance.md.

#include "bench_support.h"
#include "link/link.h"
#include "platform/program_folder.h"
#include "support/link_probe.h"
#include "tarvik-sim/simulator.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <functional>
#include <unistd.h>

using namespace tarvik;
using tarvik::bench::cekej;
using tarvik::bench::pripraveno;

namespace {

constexpr int pocet_chlivku = 320;

// A stand-in for the main window: 320 switches, each on contactor i mod 128, recoloured on every
// change as the real cells are.
class okno_s_chlivky : public okno_linky {
public:
    okno_s_chlivky() {
        for (int i = 0; i < pocet_chlivku; ++i) {
            auto* box = new QCheckBox(&plocha_);
            box->setGeometry(25 + 200 * ((i % 64) / 16), 56 + 32 * (i % 16), 25, 25);
            box->setAutoFillBackground(true);
            obarvi(box);
            QObject::connect(box, &QCheckBox::toggled, box, [box] { obarvi(box); });
            chlivky_[i] = box;
        }
        plocha_.resize(845, 685);
        plocha_.show();
    }

    void zakaz_buttony() override {
        const auto zacatek = std::chrono::steady_clock::now();
        for (auto* box : chlivky_)
            box->setEnabled(false);
        zamceno = true;
        zamykani_us +=
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - zacatek)
                .count();
    }
    void povol_buttony() override {
        for (auto* box : chlivky_)
            box->setEnabled(true);
        zamceno = false;
    }
    void nastav_panel(int, const QString&) override {}
    void zobraz_stav_stykacu(const stavy_stykacu& stav, bool znamy) override {
        for (int i = 0; i < pocet_chlivku; ++i)
            chlivky_[i]->setChecked(stav[i % pocet_stykacu]);
        if (znamy)
            zobrazeno = std::chrono::steady_clock::now();
    }
    QWidget* rodic_zprav() override { return &plocha_; }

    bool zamceno = false;
    double zamykani_us = 0; // time spent locking the switches
    std::chrono::steady_clock::time_point zobrazeno;

private:
    static void obarvi(QCheckBox* box) {
        QPalette p = box->palette();
        p.setColor(QPalette::Window, box->isChecked() ? Qt::green : Qt::red);
        box->setPalette(p);
    }

    QWidget plocha_;
    std::array<QCheckBox*, pocet_chlivku> chlivky_{};
};

// The simulator on COM1 of a temporary program folder, paced unless told otherwise, and the link
// opened on it.
struct sestava {
    QTemporaryDir slozka;
    sim::simulator simulator;
    okno_s_chlivky okno;
    linka l;
    test_linky t{l};
    bool pripraveno = false;

    explicit sestava(bool tempo = true, std::chrono::milliseconds odezva = linka::cas_odezvy)
        : simulator(nastaveni(slozka.path(), tempo)), l(okno, odezva) {
        nastav_slozku_programu(slozka.path());
        pripraveno = simulator.spust() && l.otevri_port(1);
        if (pripraveno) {
            l.nacti_status();
            pripraveno = cekej([this] { return !okno.zamceno; });
        }
    }
    static sim::nastaveni nastaveni(const QString& slozka, bool tempo) {
        sim::nastaveni n;
        n.slozka = slozka;
        n.port = 1;
        n.tempo_9600 = tempo;
        return n;
    }
    bool cekej_na_klid() {
        return cekej([this] { return t.ocekavana_odpoved().isEmpty() && !okno.zamceno; });
    }
};

// Bytes of one switching cycle on the line: command 9, acknowledgement 9, query 4, status 132;
// 10 bit times each at 9600 baud.
constexpr int bajtu_cyklu = 9 + 9 + 4 + 132;
constexpr double cas_linky_s = bajtu_cyklu * 10.0 / 9600.0;

void BM_cyklus_prepnuti(benchmark::State& state) {
    sestava s;
    if (!pripraveno(s, state))
        return;
    int cislo = 0;
    double celkem_s = 0;
    for (auto _ : state) {
        const auto zacatek = std::chrono::steady_clock::now();
        s.l.posli_prikaz(cislo % pocet_stykacu, cislo % 2 == 0);
        if (!s.cekej_na_klid()) {
            state.SkipWithError("cycle did not finish");
            return;
        }
        const std::chrono::duration<double> trvani = std::chrono::steady_clock::now() - zacatek;
        state.SetIterationTime(trvani.count());
        celkem_s += trvani.count();
        ++cislo;
    }
    state.counters["line_ms"] = cas_linky_s * 1000.0;
    state.counters["ratio_to_line"] = celkem_s / double(state.iterations()) / cas_linky_s;
}
BENCHMARK(BM_cyklus_prepnuti)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// From posli_prikaz to the command's bytes being written to the device (the program's own part),
// and on to the controller's side having read the whole command (adds the pseudo-terminal).
void BM_prikaz_na_linku(benchmark::State& state) {
    sestava s;
    if (!pripraveno(s, state))
        return;
    using hodiny = std::chrono::steady_clock;
    hodiny::time_point zapsano, prijato;
    QObject::connect(&s.t.port(), &seriovy_port::zapsano, [&] {
        if (zapsano == hodiny::time_point{})
            zapsano = hodiny::now();
    });
    QObject::connect(&s.simulator, &sim::simulator::paket_prijat, [&](const QByteArray& p) {
        if (p.startsWith("XW"))
            prijato = hodiny::now();
    });
    int cislo = 0;
    double na_druhe_strane_us = 0;
    double zamykani_us = 0;
    for (auto _ : state) {
        zapsano = prijato = {};
        s.okno.zamykani_us = 0;
        const auto zacatek = hodiny::now();
        s.l.posli_prikaz(cislo++ % pocet_stykacu, true);
        if (!cekej([&] { return prijato != hodiny::time_point{}; })) {
            state.SkipWithError("command not received");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(zapsano - zacatek).count());
        zamykani_us += s.okno.zamykani_us;
        na_druhe_strane_us += std::chrono::duration<double, std::micro>(prijato - zacatek).count();
        state.PauseTiming();
        s.cekej_na_klid();
        state.ResumeTiming();
    }
    state.counters["to_controller_us"] = na_druhe_strane_us / double(state.iterations());
    state.counters["locking_us"] = zamykani_us / double(state.iterations());
}
BENCHMARK(BM_prikaz_na_linku)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

// From the controller's write of the last byte of an S packet to the 320 switches being set.
void BM_s_paket_na_chlivky(benchmark::State& state) {
    sestava s;
    if (!pripraveno(s, state))
        return;
    std::chrono::steady_clock::time_point posledni_bajt;
    QObject::connect(&s.simulator, &sim::simulator::odeslano_bajty, [&](const QByteArray& b) {
        if (b.endsWith('\n'))
            posledni_bajt = std::chrono::steady_clock::now();
    });
    int cislo = 0;
    for (auto _ : state) {
        // Every query finds the states changed, so that every switch-setting pass has work.
        s.simulator.nastav_stav(cislo % pocet_stykacu, cislo % 3 != 0);
        ++cislo;
        s.l.nacti_status();
        if (!s.cekej_na_klid()) {
            state.SkipWithError("status reply not handled");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(s.okno.zobrazeno - posledni_bajt).count());
    }
}
BENCHMARK(BM_s_paket_na_chlivky)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

// The idle line between two polls: wake-ups of the event loop and CPU time used.
void BM_klid_mezi_dotazy(benchmark::State& state) {
    sestava s;
    if (!pripraveno(s, state))
        return;
    s.l.spust_status_timer();
    auto* dispecer = QAbstractEventDispatcher::instance();
    for (auto _ : state) {
        int probuzeni = 0;
        const auto spojeni =
            QObject::connect(dispecer, &QAbstractEventDispatcher::awake, [&] { ++probuzeni; });
        const std::clock_t cpu_zacatek = std::clock();
        QEventLoop smycka;
        QTimer::singleShot(int(state.range(0)), &smycka, &QEventLoop::quit);
        smycka.exec();
        const double cpu_ms = 1000.0 * double(std::clock() - cpu_zacatek) / CLOCKS_PER_SEC;
        QObject::disconnect(spojeni);
        // One wake-up is the end of the measurement itself.
        state.counters["wakeups"] = probuzeni - 1;
        state.counters["cpu_ms"] = cpu_ms;
    }
}
BENCHMARK(BM_klid_mezi_dotazy)->Arg(3000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Pages of this process resident in memory (0 where the system does not say).
qint64 rezidentni_stranky() {
    QFile f(QStringLiteral("/proc/self/statm"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(1).toLongLong() : 0;
}

// 600 switching cycles (and some polls) against an unpaced controller whose fault is chosen anew,
// seeded, for every command and every message box, each box (a real one) answered OK: how much
// the resident memory grows over the last three quarters of the run, and its ratio to the memory
// resident at the first quarter.
void BM_nahodne_poruchy(benchmark::State& state) {
    sestava s(false, std::chrono::milliseconds(200));
    if (!pripraveno(s, state))
        return;
    QRandomGenerator nahoda(20240607);
    const sim::porucha poruchy[] = {sim::porucha::mlci,           sim::porucha::spatne_potvrzeni,
                                    sim::porucha::spatny_s_paket, sim::porucha::sum,
                                    sim::porucha::deleni,         sim::porucha::slucovani,
                                    sim::porucha::zpozdeni};
    int zprav = 0;
    const auto dalsi_porucha = [&] {
        const sim::porucha p =
            nahoda.bounded(10) < 3 ? poruchy[nahoda.bounded(7)] : sim::porucha::zadna;
        s.simulator.nastav_zpozdeni(p == sim::porucha::zpozdeni ? 1 + nahoda.bounded(20) : 0);
        s.simulator.nastav_rezim(p);
    };
    QTimer obsluha;
    QObject::connect(&obsluha, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++zprav;
            dalsi_porucha();
            box->button(QMessageBox::Ok)->click();
        }
    });
    obsluha.start(1);
    for (auto _ : state) {
        qint64 stranky_ctvrt = 0;
        for (int cyklus = 0; cyklus < 600; ++cyklus) {
            if (cyklus == 150)
                stranky_ctvrt = rezidentni_stranky();
            dalsi_porucha();
            if (nahoda.bounded(8) == 0) // a poll instead of a command
                s.t.tik_statusu();
            else
                s.l.posli_prikaz(nahoda.bounded(pocet_stykacu), nahoda.bounded(2));
            if (!s.cekej_na_klid()) {
                state.SkipWithError("cycle did not finish");
                break;
            }
            s.simulator.vymaz_zaznam();
        }
        const qint64 stranky_konec = rezidentni_stranky();
        state.counters["rss_growth_kib"] =
            double(stranky_konec - stranky_ctvrt) * double(::sysconf(_SC_PAGESIZE)) / 1024;
        state.counters["rss_ratio"] = double(stranky_konec) / double(stranky_ctvrt);
    }
    state.counters["boxes"] = zprav;
}
BENCHMARK(BM_nahodne_poruchy)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return tarvik::bench::spust_benchmarky(argc, argv, false);
}
