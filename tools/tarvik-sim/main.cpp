// tarvik-sim: the switch controller on a pseudo-terminal, for running Tarvik without hardware.

#include "tarvik-sim/simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <climits>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/signalfd.h>
#include <type_traits>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;
using tarvik::sim::porucha;
using tarvik::sim::simulator;

// Exit codes: a bad command line, and a simulator that cannot run.
constexpr int chybna_volba = 2;
constexpr int selhani = 1;

const QString popis_programu = QStringLiteral(
    "Simulates Tarvik's switch controller on a pseudo-terminal and links it as\n"
    "<folder>/dosdevices/com<port>, where Tarvik looks for serial port COM<port>.\n"
    "Prints the device path on standard output, then answers until interrupted\n"
    "(Ctrl+C, SIGTERM), and removes the link on the way out.\n"
    "\n"
    "Protocol: \"XA\\r\\n\" is answered with \"XS\", 128 states '0'/'1' (contactor k at\n"
    "position k+3) and \"\\r\\n\"; \"XWnnn=v\\r\\n\" (nnn 000..127, v 0 or 1) switches\n"
    "contactor nnn and is answered with \"XRnnn=v\\r\\n\". Anything else gets no reply.\n"
    "\n"
    "Fault modes (--fault):\n"
    "  none        answer correctly\n"
    "  silent      never answer (commands are not carried out)\n"
    "  wrong-ack   acknowledge another contactor or value, switch nothing\n"
    "  bad-status  status of 131 or 133 bytes, or with a state other than 0/1\n"
    "  noise       noise bytes (never X or line feed) before and after replies\n"
    "  split       every reply in 2-6 pieces, 1-30 ms apart\n"
    "  merge       every reply in one write with a copy of itself or with noise\n"
    "  delay       every reply delayed by --delay MS (default 1000), counted to the\n"
    "              millisecond from the command's line feed\n"
    "  hangup      answer --hangup-after N packets, hang up on the next and exit;\n"
    "              with --come-back MS, come back MS later under a new device\n"
    "              behind the same link and answer correctly from then on\n"
    "  random      silent to delay, mixed at random on --fault-rate of the replies,\n"
    "              the same every run with the same --seed; a delay there adds\n"
    "              100-3000 ms; hangs up only when --hangup-after is given\n"
    "\n"
    "--burst N sends N status packets that nothing asked for, back to back, once,\n"
    "one second after the program has opened the line (a controller gone wild).");

void hlas(const QString& text) {
    std::fprintf(stderr, "tarvik-sim: %s\n", qPrintable(text));
    std::fflush(stderr);
}

void vypis_zarizeni(const simulator& sim) {
    std::printf("%s\n", qPrintable(sim.cesta_zarizeni()));
    std::fflush(stdout);
}

// A whole number from `od` to `do_vcetne`, or nothing.
std::optional<qint64> cislo(const QString& text, qint64 od, qint64 do_vcetne) {
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < od || n > do_vcetne)
        return std::nullopt;
    return n;
}

// The command line's options (the help adds its own).
struct volby {
    // Qt's own version option would take -v, which is --verbose here.
    QCommandLineOption verze{u"version"_s, u"Show the version and exit."_s};
    QCommandLineOption slozka{{u"f"_s, u"folder"_s},
                              u"Folder for dosdevices/com<port> (default: current folder)."_s,
                              u"DIR"_s};
    QCommandLineOption port{
        {u"p"_s, u"port"_s}, u"Port number 1-255 (default 1)."_s, u"N"_s, u"1"_s};
    QCommandLineOption stavy{{u"s"_s, u"states"_s},
                             u"Initial states of contactors 0, 1, 2, ...: up to 128 characters 0 "
                             u"or 1; the rest are off (default: all off)."_s,
                             u"BITS"_s};
    QCommandLineOption tempo{
        u"pace"_s,
        u"Send at the pace of 9600 baud 8N1 (about 1.04 ms a byte) instead of at once."_s};
    QCommandLineOption porucha{u"fault"_s, u"Fault mode, see above (default none)."_s, u"MODE"_s,
                               u"none"_s};
    QCommandLineOption zpozdeni{
        u"delay"_s, u"Delay every reply by MS milliseconds (any fault mode)."_s, u"MS"_s};
    QCommandLineOption zaveseni_po{u"hangup-after"_s,
                                   u"With hangup or random: hang up when N packets have been "
                                   u"answered (default 0 with hangup: on the first packet)."_s,
                                   u"N"_s};
    QCommandLineOption navrat{u"come-back"_s,
                              u"After hanging up, come back MS milliseconds later under a new "
                              u"device behind the same link (printed on standard output) instead "
                              u"of exiting."_s,
                              u"MS"_s};
    QCommandLineOption davka{
        u"burst"_s, u"Send N unasked status packets once, 1 s after the program opens the line."_s,
        u"N"_s};
    QCommandLineOption seme{u"seed"_s, u"Seed of the random choices (default 1)."_s, u"N"_s,
                            u"1"_s};
    QCommandLineOption podil_poruch{
        u"fault-rate"_s, u"With random: share of replies that misbehave, 0 to 1 (default 0.3)."_s,
        u"R"_s, u"0.3"_s};
    QCommandLineOption vypis{{u"v"_s, u"verbose"_s},
                             u"Log every packet and reply on standard error."_s};
};

// What the command line asks for; false (after saying why) when it asks for something wrong.
bool nacti_nastaveni(const QCommandLineParser& radek, const volby& v, tarvik::sim::nastaveni& n,
                     int& navrat_ms) {
    if (!radek.positionalArguments().isEmpty()) {
        hlas(
            u"unexpected argument %1 (see --help)"_s.arg(radek.positionalArguments().constFirst()));
        return false;
    }
    // A whole-number option: left as it is when not given (unless `nutna`), refused out of range.
    const auto cele = [&radek](const QCommandLineOption& volba, qint64 od, qint64 do_vcetne,
                               const QString& chyba, auto& kam) {
        if (!radek.isSet(volba) && volba.defaultValues().isEmpty())
            return true;
        const std::optional<qint64> hodnota = cislo(radek.value(volba), od, do_vcetne);
        if (!hodnota) {
            hlas(chyba);
            return false;
        }
        kam = static_cast<std::remove_reference_t<decltype(kam)>>(*hodnota);
        return true;
    };
    n.slozka =
        radek.isSet(v.slozka) ? QDir(radek.value(v.slozka)).absolutePath() : QDir::currentPath();
    if (!cele(v.port, 1, 255, u"--port must be 1 to 255"_s, n.port))
        return false;
    n.stavy = radek.value(v.stavy).toLatin1();
    if (n.stavy.size() > 128 || n.stavy.count('0') + n.stavy.count('1') != n.stavy.size()) {
        hlas(u"--states takes up to 128 characters 0 or 1"_s);
        return false;
    }
    n.tempo_9600 = radek.isSet(v.tempo);
    if (!tarvik::sim::porucha_z_nazvu(radek.value(v.porucha), &n.rezim)) {
        hlas(u"unknown --fault %1 (see --help)"_s.arg(radek.value(v.porucha)));
        return false;
    }
    if (n.rezim == porucha::zpozdeni)
        n.zpozdeni_ms = 1000;
    if (!cele(v.zpozdeni, 0, 3600000, u"--delay must be 0 to 3600000 ms"_s, n.zpozdeni_ms) ||
        !cele(v.zaveseni_po, 0, INT_MAX, u"--hangup-after must be a whole number from 0"_s,
              n.zaveseni_po) ||
        !cele(v.navrat, 0, 3600000, u"--come-back must be 0 to 3600000 ms"_s, navrat_ms) ||
        !cele(v.davka, 1, 100000, u"--burst must be 1 to 100000"_s, n.davka) ||
        !cele(v.seme, 0, 0xFFFFFFFFll, u"--seed must be 0 to 4294967295"_s, n.seme))
        return false;
    bool ok = false;
    n.podil_poruch = radek.value(v.podil_poruch).toDouble(&ok);
    if (!ok || !(n.podil_poruch >= 0.0 && n.podil_poruch <= 1.0)) {
        hlas(u"--fault-rate must be 0 to 1"_s);
        return false;
    }
    return true;
}

// --verbose: every packet received and every reply, with its fault.
void vypisuj_provoz(simulator& sim) {
    QObject::connect(&sim, &simulator::paket_prijat,
                     [](const QByteArray& p) { hlas(u"<- %1"_s.arg(tarvik::sim::citelne(p))); });
    QObject::connect(&sim, &simulator::odpoved_pripravena, [](const QByteArray& bajty, porucha p) {
        const QString druh =
            p == porucha::zadna ? QString() : u" [%1]"_s.arg(tarvik::sim::nazev_poruchy(p));
        hlas(bajty.isEmpty() ? u"-> (no reply)%1"_s.arg(druh)
                             : u"-> %1%2"_s.arg(tarvik::sim::citelne(bajty), druh));
    });
}

// Hung up: the program ends, or with --come-back (navrat_ms from 0) the controller comes back
// that much later under a new device behind the same link and answers correctly.
void po_zaveseni(QCoreApplication& aplikace, simulator& sim, int navrat_ms) {
    QObject::connect(&sim, &simulator::zaveseno, &aplikace, [&aplikace, &sim, navrat_ms] {
        hlas(u"hung up"_s);
        if (navrat_ms < 0) {
            aplikace.exit(0);
            return;
        }
        QTimer::singleShot(navrat_ms, &aplikace, [&aplikace, &sim] {
            sim.nastav_rezim(porucha::zadna);
            QString chyba;
            if (!sim.spust(&chyba)) {
                hlas(chyba);
                aplikace.exit(selhani);
                return;
            }
            vypis_zarizeni(sim);
            hlas(u"back: %1 -> %2"_s.arg(sim.cesta_odkazu(), sim.cesta_zarizeni()));
        });
    });
}

// SIGINT, SIGTERM and SIGHUP, blocked from the start, end the event loop through a signalfd.
// Blocked before any thread exists, so that every thread inherits the mask.
sigset_t zablokuj_signaly() {
    sigset_t signaly;
    sigemptyset(&signaly);
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signaly, s);
    sigprocmask(SIG_BLOCK, &signaly, nullptr);
    return signaly;
}

// False when the signals cannot be watched.
bool konci_pri_signalech(QCoreApplication& aplikace, const sigset_t& signaly) {
    const int popisovac = signalfd(-1, &signaly, SFD_NONBLOCK | SFD_CLOEXEC);
    if (popisovac < 0)
        return false;
    auto* hlidac = new QSocketNotifier(popisovac, QSocketNotifier::Read, &aplikace);
    QObject::connect(hlidac, &QSocketNotifier::activated, &aplikace, [popisovac, &aplikace] {
        signalfd_siginfo udaje{};
        while (read(popisovac, &udaje, sizeof udaje) == ssize_t(sizeof udaje)) {
        }
        aplikace.quit();
    });
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    const sigset_t signaly = zablokuj_signaly();
    QCoreApplication aplikace(argc, argv);
    QCoreApplication::setApplicationName(u"tarvik-sim"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));

    QCommandLineParser radek;
    radek.setApplicationDescription(popis_programu);
    radek.addHelpOption();
    const volby v;
    radek.addOptions({v.slozka, v.port, v.stavy, v.tempo, v.porucha, v.zpozdeni, v.zaveseni_po,
                      v.navrat, v.davka, v.seme, v.podil_poruch, v.vypis, v.verze});
    radek.process(aplikace);
    if (radek.isSet(v.verze))
        radek.showVersion();
    tarvik::sim::nastaveni n;
    int navrat_ms = -1;
    if (!nacti_nastaveni(radek, v, n, navrat_ms))
        return chybna_volba;

    simulator sim(n);
    if (radek.isSet(v.vypis))
        vypisuj_provoz(sim);
    po_zaveseni(aplikace, sim, navrat_ms);
    if (!konci_pri_signalech(aplikace, signaly)) {
        hlas(u"cannot watch for signals"_s);
        return selhani;
    }
    QString chyba;
    if (!sim.spust(&chyba)) {
        hlas(chyba);
        return selhani;
    }
    vypis_zarizeni(sim);
    hlas(u"%1 -> %2, states %3, fault %4"_s.arg(sim.cesta_odkazu(), sim.cesta_zarizeni(),
                                                QString::fromLatin1(sim.stavy_text()),
                                                tarvik::sim::nazev_poruchy(n.rezim)));
    return aplikace.exec(); // the simulator's destructor removes the link
}
