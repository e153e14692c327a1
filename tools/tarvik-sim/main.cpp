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
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;
using tarvik::sim::porucha;

void hlas(const QString& text) {
    std::fprintf(stderr, "tarvik-sim: %s\n", qPrintable(text));
    std::fflush(stderr);
}

bool cislo(const QString& text, qint64 od, qint64 do_vcetne, qint64* hodnota) {
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < od || n > do_vcetne)
        return false;
    *hodnota = n;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    // SIGINT, SIGTERM and SIGHUP arrive through a signalfd read in the event loop. Blocked first,
    // before any thread exists, so that every thread inherits the mask.
    sigset_t signaly;
    sigemptyset(&signaly);
    sigaddset(&signaly, SIGINT);
    sigaddset(&signaly, SIGTERM);
    sigaddset(&signaly, SIGHUP);
    sigprocmask(SIG_BLOCK, &signaly, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"tarvik-sim"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
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
        "one second after the program has opened the line (a controller gone wild)."));
    parser.addHelpOption();
    // Qt's own version option would take -v, which is --verbose here.
    const QCommandLineOption version(u"version"_s, u"Show the version and exit."_s);
    const QCommandLineOption folder({u"f"_s, u"folder"_s},
                                    QStringLiteral("Folder for dosdevices/com<port> (default: "
                                                   "current folder)."),
                                    u"DIR"_s);
    const QCommandLineOption port({u"p"_s, u"port"_s}, u"Port number 1-255 (default 1)."_s, u"N"_s,
                                  u"1"_s);
    const QCommandLineOption states(
        {u"s"_s, u"states"_s},
        QStringLiteral("Initial states of contactors 0, 1, 2, ...: up to 128 characters 0 or 1; "
                       "the rest are off (default: all off)."),
        u"BITS"_s);
    const QCommandLineOption pace(u"pace"_s,
                                  QStringLiteral("Send at the pace of 9600 baud 8N1 (about "
                                                 "1.04 ms a byte) instead of at once."));
    const QCommandLineOption fault(u"fault"_s, u"Fault mode, see above (default none)."_s,
                                   u"MODE"_s, u"none"_s);
    const QCommandLineOption delay(
        u"delay"_s, u"Delay every reply by MS milliseconds (any fault mode)."_s, u"MS"_s);
    const QCommandLineOption hangup_after(
        u"hangup-after"_s,
        QStringLiteral("With hangup or random: hang up when N packets have been answered "
                       "(default 0 with hangup: on the first packet)."),
        u"N"_s);
    const QCommandLineOption come_back(
        u"come-back"_s,
        QStringLiteral("After hanging up, come back MS milliseconds later under a new device "
                       "behind the same link (printed on standard output) instead of exiting."),
        u"MS"_s);
    const QCommandLineOption burst(
        u"burst"_s, u"Send N unasked status packets once, 1 s after the program opens the line."_s,
        u"N"_s);
    const QCommandLineOption seed(u"seed"_s, u"Seed of the random choices (default 1)."_s, u"N"_s,
                                  u"1"_s);
    const QCommandLineOption fault_rate(
        u"fault-rate"_s, u"With random: share of replies that misbehave, 0 to 1 (default 0.3)."_s,
        u"R"_s, u"0.3"_s);
    const QCommandLineOption verbose({u"v"_s, u"verbose"_s},
                                     QStringLiteral("Log every packet and reply on standard "
                                                    "error."));
    parser.addOptions({folder, port, states, pace, fault, delay, hangup_after, come_back, burst,
                       seed, fault_rate, verbose, version});
    parser.process(app);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        hlas(u"unexpected argument %1 (see --help)"_s.arg(
            parser.positionalArguments().constFirst()));
        return 2;
    }

    tarvik::sim::nastaveni n;
    n.slozka =
        parser.isSet(folder) ? QDir(parser.value(folder)).absolutePath() : QDir::currentPath();
    qint64 hodnota = 0;
    if (!cislo(parser.value(port), 1, 255, &hodnota)) {
        hlas(u"--port must be 1 to 255"_s);
        return 2;
    }
    n.port = int(hodnota);
    n.stavy = parser.value(states).toLatin1();
    if (n.stavy.size() > 128 || n.stavy.count('0') + n.stavy.count('1') != n.stavy.size()) {
        hlas(u"--states takes up to 128 characters 0 or 1"_s);
        return 2;
    }
    n.tempo_9600 = parser.isSet(pace);
    if (!tarvik::sim::porucha_z_nazvu(parser.value(fault), &n.rezim)) {
        hlas(u"unknown --fault %1 (see --help)"_s.arg(parser.value(fault)));
        return 2;
    }
    // An optional whole-number option: left as it is when not given, refused out of its range.
    const auto cele_cislo = [&](const QCommandLineOption& volba, qint64 od, qint64 do_vcetne,
                                const QString& chyba, int* kam) {
        if (!parser.isSet(volba))
            return true;
        if (!cislo(parser.value(volba), od, do_vcetne, &hodnota)) {
            hlas(chyba);
            return false;
        }
        *kam = int(hodnota);
        return true;
    };
    if (n.rezim == porucha::zpozdeni)
        n.zpozdeni_ms = 1000;
    int navrat_ms = -1;
    if (!cele_cislo(delay, 0, 3600000, u"--delay must be 0 to 3600000 ms"_s, &n.zpozdeni_ms) ||
        !cele_cislo(hangup_after, 0, INT_MAX, u"--hangup-after must be a whole number from 0"_s,
                    &n.zaveseni_po) ||
        !cele_cislo(come_back, 0, 3600000, u"--come-back must be 0 to 3600000 ms"_s, &navrat_ms) ||
        !cele_cislo(burst, 1, 100000, u"--burst must be 1 to 100000"_s, &n.davka))
        return 2;
    if (!cislo(parser.value(seed), 0, 0xFFFFFFFFll, &hodnota)) {
        hlas(u"--seed must be 0 to 4294967295"_s);
        return 2;
    }
    n.seme = quint32(hodnota);
    bool ok = false;
    n.podil_poruch = parser.value(fault_rate).toDouble(&ok);
    if (!ok || !(n.podil_poruch >= 0.0 && n.podil_poruch <= 1.0)) {
        hlas(u"--fault-rate must be 0 to 1"_s);
        return 2;
    }

    tarvik::sim::simulator sim(n);
    if (parser.isSet(verbose)) {
        QObject::connect(&sim, &tarvik::sim::simulator::paket_prijat, [](const QByteArray& p) {
            hlas(u"<- %1"_s.arg(tarvik::sim::citelne(p)));
        });
        QObject::connect(
            &sim, &tarvik::sim::simulator::odpoved_pripravena,
            [](const QByteArray& bajty, porucha p) {
                const QString druh =
                    p == porucha::zadna ? QString() : u" [%1]"_s.arg(tarvik::sim::nazev_poruchy(p));
                hlas(bajty.isEmpty() ? u"-> (no reply)%1"_s.arg(druh)
                                     : u"-> %1%2"_s.arg(tarvik::sim::citelne(bajty), druh));
            });
    }
    QObject::connect(&sim, &tarvik::sim::simulator::zaveseno, &app, [&app, &sim, navrat_ms] {
        hlas(u"hung up"_s);
        if (navrat_ms < 0) {
            app.exit(0);
            return;
        }
        QTimer::singleShot(navrat_ms, &app, [&app, &sim] {
            sim.nastav_rezim(porucha::zadna);
            QString chyba;
            if (!sim.spust(&chyba)) {
                hlas(chyba);
                app.exit(1);
                return;
            }
            std::printf("%s\n", qPrintable(sim.cesta_zarizeni()));
            std::fflush(stdout);
            hlas(u"back: %1 -> %2"_s.arg(sim.cesta_odkazu(), sim.cesta_zarizeni()));
        });
    });

    const int signal_fd = signalfd(-1, &signaly, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signal_fd < 0) {
        hlas(u"cannot watch for signals"_s);
        return 1;
    }
    QSocketNotifier signal_notifier(signal_fd, QSocketNotifier::Read);
    QObject::connect(&signal_notifier, &QSocketNotifier::activated, &app, [signal_fd, &app] {
        signalfd_siginfo info{};
        while (read(signal_fd, &info, sizeof info) == ssize_t(sizeof info)) {
        }
        app.quit();
    });

    QString chyba;
    if (!sim.spust(&chyba)) {
        hlas(chyba);
        return 1;
    }
    std::printf("%s\n", qPrintable(sim.cesta_zarizeni()));
    std::fflush(stdout);
    hlas(u"%1 -> %2, states %3, fault %4"_s.arg(sim.cesta_odkazu(), sim.cesta_zarizeni(),
                                                QString::fromLatin1(sim.stavy_text()),
                                                tarvik::sim::nazev_poruchy(n.rezim)));

    const int vysledek = app.exec();
    return vysledek; // the simulator's destructor removes the link
}
