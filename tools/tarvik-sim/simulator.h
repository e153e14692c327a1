#pragma once

// The switch controller simulator: a pseudo-terminal that answers the controller's protocol with
// 128 contactor states, reachable as <folder>/dosdevices/com<port>. It runs inside any Qt event
// loop, so tests can drive it in-process next to a QSerialPort opened on its device.
//
// What it understands, byte for byte (every packet runs from "X" to line feed):
//   "XA\r\n"           status query  -> "XS" + 128 states '0'/'1' (contactor k at position k+3)
//                                       + "\r\n", 132 bytes
//   "XWnnn=v\r\n"      switch command, nnn 000..127, v 0 or 1
//                                    -> the state is set, reply "XRnnn=v\r\n"
// Anything else is ignored without a reply, as the real controller ignores it. Bytes outside a
// packet are dropped; an "X" inside a packet starts the packet again; a packet longer than
// max_delka_paketu is dropped up to the next "X".

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <array>
#include <deque>

class QSocketNotifier;
class QTimer;

namespace tarvik::sim {
Q_NAMESPACE

enum class porucha {
    zadna,            // answers correctly
    mlci,             // never answers (the command is not carried out)
    spatne_potvrzeni, // R with another number or value; the state is not changed
    spatny_s_paket,   // S of wrong length (131 or 133 bytes) or with a character other than 0/1
    sum,              // noise bytes (never "X" or line feed) around the reply
    deleni,           // the reply goes out in random pieces with small gaps
    slucovani,        // the reply goes out in one write merged with a duplicate of itself or noise
    zpozdeni,         // the reply is delayed by zpozdeni_ms, counted to the millisecond from the
                      // command's line feed (in nahodne: 100..3000 ms more)
    zaveseni,         // hangs up when a packet arrives after zaveseni_po answered ones
    nahodne           // mlci..zpozdeni at random, decided per reply from the seed; hangs up only
                      // when zaveseni_po > 0
};
Q_ENUM_NS(porucha)

struct nastaveni {
    // folder in which dosdevices/com<port> is created (symlink to the pty slave)
    QString slozka = {};
    int port = 1;
    // initial states: up to 128 chars '0'/'1' (missing = '0'); all off by default
    QByteArray stavy = {};
    bool tempo_9600 = false; // pace every byte sent at 9600 baud 8N1 (~1.042 ms per byte)
    porucha rezim = porucha::zadna;
    int zpozdeni_ms = 0;       // reply delay (rezim zpozdeni, or always if > 0)
    int zaveseni_po = 0;       // hang up after this many packets answered (rezim zaveseni, nahodne)
    quint32 seme = 1;          // seed for every random choice (rezim nahodne, pieces, noise)
    double podil_poruch = 0.3; // share of replies that misbehave in rezim nahodne
    int davka = 0;             // unasked status packets sent once, davka_po_ms after the program
                               // first opens the line
};

// Longest packet the simulator collects; anything longer is noise.
inline constexpr int max_delka_paketu = 1024;
// How often a line that nobody has open is checked for a program opening it.
inline constexpr int hlidani_linky_ms = 50;
// How long after the program has opened the line a burst (nastaveni::davka) starts.
inline constexpr int davka_po_ms = 1000;

// A small deterministic generator (splitmix64): the same seed gives the same choices on every
// machine and standard library.
class nahoda {
public:
    explicit nahoda(quint64 seme = 1) : stav_(seme) {}
    quint64 dalsi();
    int v_rozsahu(int od, int do_vcetne); // uniform enough for our few small ranges
    double podil();                       // in [0, 1)

private:
    quint64 stav_;
};

class simulator : public QObject {
    Q_OBJECT
public:
    explicit simulator(nastaveni n, QObject* parent = nullptr);
    ~simulator() override;                // closes the pty, removes the dosdevices link it made
    bool spust(QString* chyba = nullptr); // opens the pty, makes <slozka>/dosdevices/com<port>;
                                          // again after zaves(): a new device, the link moved
    bool bezi() const { return master_ >= 0; }
    QString cesta_zarizeni() const; // the pty slave device path
    QString cesta_odkazu() const;   // <slozka>/dosdevices/com<port>
    const std::array<bool, 128>& stavy() const;
    QByteArray stavy_text() const;              // the 128 states as '0'/'1'
    void nastav_stav(int stykac, bool zapnuto); // change a state behind the program's back
    void nastav_rezim(porucha p);
    porucha rezim() const { return n_.rezim; }
    void nastav_zpozdeni(int ms) { n_.zpozdeni_ms = ms; }
    // Every byte received from / sent to the program, in order (the newest 4 MiB of each).
    QByteArray prijato() const;
    QByteArray odeslano() const;
    void vymaz_zaznam();
    int zodpovezeno() const { return zodpovezeno_; } // packets answered so far (even wrongly)
    bool odesila() const;                            // a reply is still queued or being paced out
    // The device is open on the program's side, as last seen: a close shows at once, an open
    // within hlidani_linky_ms (the line is checked that often while nobody has it open).
    bool program_pripojen() const { return pripojen_; }
    void zaves(); // hang up now (close the master side)
    // Sends `pocet` status packets that nothing asked for, back to back.
    void vysli_davku(int pocet);

Q_SIGNALS:
    void paket_prijat(const QByteArray& paket);   // each complete packet received ("X".."\n")
    void odeslano_bajty(const QByteArray& bajty); // each write to the line, as written
    // All bytes of one reply as queued, and the fault applied to it (empty when silent).
    void odpoved_pripravena(const QByteArray& bajty, tarvik::sim::porucha p);
    void zaveseno();

private:
    struct usek { // one piece of output, written after a pause
        QByteArray data;
        int pauza_ms = 0;
    };

    void cti();
    void linka_zavrena();
    void hlidej_linku();
    void prijmi(const QByteArray& bajty);
    void zpracuj_paket(const QByteArray& paket);
    void odpovez(const QByteArray& odpoved, porucha p);
    void zarad(QByteArray data, int pauza_ms = 0);
    void odesilej();
    qint64 zapis(const QByteArray& data); // bytes the line took, -1 when nobody listens
    void zrus_vystup();
    QByteArray sum_bajty();
    QByteArray s_paket() const;
    void zavri();

    nastaveni n_;
    std::array<bool, 128> stavy_{};
    nahoda nahoda_;
    int master_ = -1;
    QString zarizeni_;
    QString odkaz_;
    bool odkaz_vytvoren_ = false;
    QSocketNotifier* cteni_ = nullptr;
    QTimer* hlidac_ = nullptr;   // polls for the program reopening the line after it closed it
    QTimer* odesilac_ = nullptr; // pauses and pacing of the output
    std::deque<usek> fronta_;
    bool pauza_hotova_ = false;
    QElapsedTimer tempo_; // start of the current paced burst
    qint64 odeslano_v_tempu_ = 0;
    QByteArray paket_;
    bool v_paketu_ = false;
    QByteArray prijato_;
    QByteArray odeslano_;
    int zodpovezeno_ = 0;
    bool pripojen_ = false;
};

// Name of a fault mode on the command line ("none", "silent", ...) and back.
QString nazev_poruchy(porucha p);
bool porucha_z_nazvu(const QString& nazev, porucha* p);

// A packet as readable text for logs: printable ASCII as is, CR and LF as \r and \n, the rest \xNN.
QString citelne(const QByteArray& bajty);

} // namespace tarvik::sim
