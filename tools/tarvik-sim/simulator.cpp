#include "tarvik-sim/simulator.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace tarvik::sim {

namespace {

constexpr int pocet_stykacu = 128;
constexpr qint64 bajtu_za_sekundu = 960;          // 9600 baud, 8N1: ten bits a byte
constexpr int opakovani_zapisu_ms = 10;           // retry when the line's buffer is full
constexpr qsizetype max_zaznam = 4 * 1024 * 1024; // the records keep this many newest bytes

const QByteArray konec_radku = QByteArrayLiteral("\r\n");
const QByteArray status_dotaz = QByteArrayLiteral("XA\r\n");

void pripoj_zaznam(QByteArray& zaznam, const QByteArray& bajty) {
    zaznam += bajty;
    if (zaznam.size() > max_zaznam)
        zaznam.remove(0, zaznam.size() - max_zaznam);
}

// "XWnnn=v\r\n" with nnn 000..127 and v 0 or 1; on success the number and value are returned.
bool je_prikaz_sepnuti(const QByteArray& p, int* cislo, bool* zapnuto) {
    if (p.size() != 9 || !p.startsWith("XW") || p[5] != '=' || !p.endsWith(konec_radku))
        return false;
    int n = 0;
    for (int i = 2; i < 5; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        n = n * 10 + (p[i] - '0');
    }
    if (n >= pocet_stykacu || (p[6] != '0' && p[6] != '1'))
        return false;
    *cislo = n;
    *zapnuto = p[6] == '1';
    return true;
}

// A closed pty slave (after a reader has had it open) shows as POLLHUP on the master.
bool ctenar_pripojen(int master) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return true; // unknown: let read() tell
    return (p.revents & POLLHUP) == 0;
}

QByteArray cil_odkazu(const QString& odkaz) {
    char cil[PATH_MAX];
    const ssize_t n = ::readlink(QFile::encodeName(odkaz).constData(), cil, sizeof cil);
    return n > 0 ? QByteArray(cil, qsizetype(n)) : QByteArray();
}

} // namespace

// --- nahoda ---------------------------------------------------------------------------------

quint64 nahoda::dalsi() {
    quint64 z = (stav_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int nahoda::v_rozsahu(int od, int do_vcetne) {
    if (do_vcetne <= od)
        return od;
    const quint64 rozsah = quint64(qint64(do_vcetne) - od) + 1;
    return int(qint64(od) + qint64(dalsi() % rozsah));
}

double nahoda::podil() {
    return double(dalsi() >> 11) / double(1ull << 53);
}

// --- simulator ------------------------------------------------------------------------------

simulator::simulator(nastaveni n, QObject* parent)
    : QObject(parent), n_(std::move(n)), nahoda_(n_.seme) {
    for (int i = 0; i < pocet_stykacu && i < n_.stavy.size(); ++i)
        stavy_[i] = n_.stavy[i] == '1';
    if (n_.slozka.isEmpty())
        n_.slozka = QDir::currentPath();
    odkaz_ = QDir(n_.slozka).filePath(QStringLiteral("dosdevices/com%1").arg(n_.port));

    hlidac_ = new QTimer(this);
    hlidac_->setInterval(hlidani_linky_ms);
    connect(hlidac_, &QTimer::timeout, this, &simulator::hlidej_linku);
    odesilac_ = new QTimer(this);
    odesilac_->setSingleShot(true);
    odesilac_->setTimerType(Qt::PreciseTimer);
    connect(odesilac_, &QTimer::timeout, this, &simulator::odesilej);
}

simulator::~simulator() {
    zavri();
    // Remove the link only while it still names our device: another simulator may have taken
    // the port over in the meantime.
    if (odkaz_vytvoren_ && cil_odkazu(odkaz_) == QFile::encodeName(zarizeni_))
        QFile::remove(odkaz_);
}

bool simulator::spust(QString* chyba) {
    auto selhani = [&](const QString& text) {
        if (chyba)
            *chyba = text + (errno ? QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno))
                                   : QString());
        zavri();
        return false;
    };
    zavri();
    errno = 0;
    if (n_.port < 1 || n_.port > 255)
        return selhani(QStringLiteral("port number must be 1 to 255"));

    char jmeno[128];
    const auto otevri_master = [&jmeno] {
        const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (fd >= 0 && ::ptsname_r(fd, jmeno, sizeof jmeno) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    };
    master_ = otevri_master();
    if (master_ >= 0 && !zarizeni_.isEmpty() && zarizeni_ == QString::fromLocal8Bit(jmeno)) {
        // Back after a hang-up, the line gets another device, as an adapter plugged in again
        // often does: the system would hand out the old one again.
        const int stary = master_;
        master_ = otevri_master();
        ::close(stary);
    }
    if (master_ < 0)
        return selhani(QStringLiteral("cannot open a pseudo-terminal"));
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return selhani(QStringLiteral("cannot set up the pseudo-terminal"));
    zarizeni_ = QString::fromLocal8Bit(jmeno);

    // Raw line, 9600 8N1, no echo, no CR/LF translation, set on the slave's side (the line's
    // settings live there). Opening and closing the slave once also puts the line in the state
    // "nobody listens" that a program closing the port returns it to, so both look alike.
    const int slave = ::open(jmeno, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0)
        return selhani(QStringLiteral("cannot open %1").arg(zarizeni_));
    termios t{};
    bool nastaveno = ::tcgetattr(slave, &t) == 0;
    if (nastaveno) {
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        nastaveno = ::tcsetattr(slave, TCSANOW, &t) == 0;
    }
    ::close(slave);
    if (!nastaveno)
        return selhani(QStringLiteral("cannot set the line of %1").arg(zarizeni_));

    // The link: replace a link left behind (by a simulator that was killed, say), never a file.
    const QFileInfo info(odkaz_);
    if (info.exists() && !info.isSymLink()) {
        errno = 0;
        return selhani(QStringLiteral("%1 exists and is not a link").arg(odkaz_));
    }
    if (!QDir().mkpath(QFileInfo(odkaz_).path()))
        return selhani(QStringLiteral("cannot create %1").arg(QFileInfo(odkaz_).path()));
    const QByteArray odkaz = QFile::encodeName(odkaz_);
    const QByteArray docasny = odkaz + ".tarvik-sim-" + QByteArray::number(::getpid());
    ::unlink(docasny.constData());
    if (::symlink(jmeno, docasny.constData()) != 0)
        return selhani(QStringLiteral("cannot create %1").arg(odkaz_));
    if (::rename(docasny.constData(), odkaz.constData()) != 0) {
        const int e = errno;
        ::unlink(docasny.constData());
        errno = e;
        return selhani(QStringLiteral("cannot create %1").arg(odkaz_));
    }
    odkaz_vytvoren_ = true;

    cteni_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(cteni_, &QSocketNotifier::activated, this, &simulator::cti);
    cteni_->setEnabled(false);
    zodpovezeno_ = 0; // a new line: hang-ups count afresh
    hlidac_->start();
    return true;
}

QString simulator::cesta_zarizeni() const {
    return zarizeni_;
}

QString simulator::cesta_odkazu() const {
    return odkaz_;
}

const std::array<bool, 128>& simulator::stavy() const {
    return stavy_;
}

QByteArray simulator::stavy_text() const {
    QByteArray text(pocet_stykacu, '0');
    for (int i = 0; i < pocet_stykacu; ++i)
        if (stavy_[i])
            text[i] = '1';
    return text;
}

void simulator::nastav_stav(int stykac, bool zapnuto) {
    if (stykac >= 0 && stykac < pocet_stykacu)
        stavy_[stykac] = zapnuto;
}

void simulator::nastav_rezim(porucha p) {
    n_.rezim = p;
}

QByteArray simulator::prijato() const {
    return prijato_;
}

QByteArray simulator::odeslano() const {
    return odeslano_;
}

void simulator::vymaz_zaznam() {
    prijato_.clear();
    odeslano_.clear();
}

bool simulator::odesila() const {
    return !fronta_.empty();
}

void simulator::zaves() {
    if (!bezi())
        return;
    zavri();
    Q_EMIT zaveseno();
}

void simulator::zavri() {
    hlidac_->stop();
    odesilac_->stop();
    zrus_vystup();
    if (cteni_) {
        cteni_->setEnabled(false);
        cteni_->deleteLater(); // we may be inside its own activation
        cteni_ = nullptr;
    }
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
    paket_.clear();
    v_paketu_ = false;
}

// --- receiving ------------------------------------------------------------------------------

void simulator::cti() {
    char buf[512];
    while (master_ >= 0) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            prijmi(QByteArray(buf, qsizetype(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // EIO: the program has closed the device. Not fatal: it may open it again.
        linka_zavrena();
        return;
    }
}

void simulator::linka_zavrena() {
    if (cteni_)
        cteni_->setEnabled(false); // a closed slave keeps the master readable (POLLHUP): no spin
    zrus_vystup();
    paket_.clear();
    v_paketu_ = false;
    // A reply written but not read before the close would wait in the line for the next program
    // that opens it; a real port drops it on close, so drop it here too.
    const QByteArray jmeno = QFile::encodeName(zarizeni_);
    const int slave = ::open(jmeno.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        ::tcflush(slave, TCIFLUSH);
        ::close(slave);
    }
    hlidac_->start();
}

void simulator::vysli_davku(int pocet) {
    // Status packets that nothing asked for, in one go, as fast as the line takes them.
    QByteArray davka;
    for (int i = 0; i < pocet; ++i)
        davka += s_paket();
    zarad(davka);
    Q_EMIT odpoved_pripravena(davka, porucha::zadna);
    if (!odesilac_->isActive())
        odesilej();
}

void simulator::hlidej_linku() {
    if (master_ < 0 || !ctenar_pripojen(master_))
        return;
    hlidac_->stop();
    if (n_.davka > 0) {
        const int pocet = std::exchange(n_.davka, 0);
        QTimer::singleShot(davka_po_ms, this, [this, pocet] { vysli_davku(pocet); });
    }
    if (cteni_)
        cteni_->setEnabled(true);
    cti();
}

void simulator::prijmi(const QByteArray& bajty) {
    pripoj_zaznam(prijato_, bajty);
    for (const char c : bajty) {
        if (!bezi())
            return;
        if (c == 'X') { // a packet starts (again): the controller resynchronises on every "X"
            paket_ = QByteArrayLiteral("X");
            v_paketu_ = true;
            continue;
        }
        if (!v_paketu_)
            continue; // noise between packets
        paket_ += c;
        if (c == '\n') {
            const QByteArray paket = std::exchange(paket_, QByteArray());
            v_paketu_ = false;
            zpracuj_paket(paket);
        } else if (paket_.size() > max_delka_paketu) {
            paket_.clear();
            v_paketu_ = false;
        }
    }
}

void simulator::zpracuj_paket(const QByteArray& paket) {
    Q_EMIT paket_prijat(paket);
    if (!bezi())
        return;

    const bool muze_zavesit =
        n_.rezim == porucha::zaveseni || (n_.rezim == porucha::nahodne && n_.zaveseni_po > 0);
    if (muze_zavesit && zodpovezeno_ >= n_.zaveseni_po) {
        zaves();
        return;
    }

    int cislo = 0;
    bool zapnuto = false;
    const bool je_status = paket == status_dotaz;
    const bool je_sepnuti = !je_status && je_prikaz_sepnuti(paket, &cislo, &zapnuto);
    if (!je_status && !je_sepnuti)
        return; // not a command of ours: the controller stays silent

    porucha p = n_.rezim;
    if (p == porucha::zaveseni)
        p = porucha::zadna;
    if (p == porucha::nahodne) {
        p = porucha::zadna;
        if (nahoda_.podil() < n_.podil_poruch) {
            // Only faults that fit the command, so that every fault chosen shows: a status
            // query gets a bad S packet where a switch command gets a wrong acknowledgement.
            static constexpr std::array<porucha, 6> mozne = {
                porucha::mlci,   porucha::spatne_potvrzeni, porucha::sum,
                porucha::deleni, porucha::slucovani,        porucha::zpozdeni};
            p = mozne[std::size_t(nahoda_.v_rozsahu(0, int(mozne.size()) - 1))];
            if (je_status && p == porucha::spatne_potvrzeni)
                p = porucha::spatny_s_paket;
        }
    }

    if (p == porucha::mlci) { // deaf: the command is not carried out either
        Q_EMIT odpoved_pripravena(QByteArray(), p);
        return;
    }

    QByteArray odpoved;
    if (je_status) {
        odpoved = s_paket();
        if (p == porucha::spatny_s_paket) {
            const int stav = 2 + nahoda_.v_rozsahu(0, pocet_stykacu - 1); // one state character
            switch (nahoda_.v_rozsahu(0, 2)) {
            case 0: // 131 bytes
                odpoved.remove(stav, 1);
                break;
            case 1: // 133 bytes
                odpoved.insert(stav, nahoda_.v_rozsahu(0, 1) ? '1' : '0');
                break;
            default: { // right length, a state that is neither 0 nor 1
                static constexpr char spatne[] = {'2', '9', ' ', 'x', '\0', '\xFF'};
                odpoved[stav] = spatne[nahoda_.v_rozsahu(0, int(sizeof spatne) - 1)];
            }
            }
        }
    } else {
        odpoved = paket;
        odpoved[1] = 'R';
        if (p == porucha::spatne_potvrzeni) { // acknowledges something else, switches nothing
            if (nahoda_.v_rozsahu(0, 1) == 0) {
                const int jine = (cislo + nahoda_.v_rozsahu(1, pocet_stykacu - 1)) % pocet_stykacu;
                odpoved.replace(2, 3, QByteArray::number(jine).rightJustified(3, '0'));
            } else {
                odpoved[6] = zapnuto ? '0' : '1';
            }
        } else {
            stavy_[cislo] = zapnuto;
        }
    }
    ++zodpovezeno_;
    odpovez(odpoved, p);
}

// --- sending --------------------------------------------------------------------------------

QByteArray simulator::s_paket() const {
    return "XS" + stavy_text() + konec_radku;
}

QByteArray simulator::sum_bajty() {
    // Anything but "X" and line feed, which would frame a packet.
    static constexpr char bajty[] = {'\0', '\xFF', 'a', 'b', 'c', '\r', '\x7F', '\x80', ' ',
                                     'x',  '0',    '1', 'S', 'R', '=',  '\x1B', '\t'};
    QByteArray sum;
    const int delka = nahoda_.v_rozsahu(1, 8);
    for (int i = 0; i < delka; ++i)
        sum += bajty[nahoda_.v_rozsahu(0, int(sizeof bajty) - 1)];
    return sum;
}

void simulator::odpovez(const QByteArray& odpoved, porucha p) {
    int pauza = std::max(0, n_.zpozdeni_ms);
    QByteArray vse; // the whole reply as it goes out, for the log
    switch (p) {
    case porucha::zpozdeni:
        if (n_.rezim == porucha::nahodne)
            pauza += nahoda_.v_rozsahu(100, 3000);
        zarad(odpoved, pauza);
        vse = odpoved;
        break;
    case porucha::sum: {
        const QByteArray pred = sum_bajty();
        const QByteArray po = sum_bajty();
        zarad(pred, pauza);
        zarad(odpoved);
        zarad(po);
        vse = pred + odpoved + po;
        break;
    }
    case porucha::deleni: {
        // Two to six pieces, cut at distinct random places, 1..30 ms apart.
        const int kusu = nahoda_.v_rozsahu(2, int(std::min<qsizetype>(6, odpoved.size())));
        QList<int> rezy;
        while (rezy.size() < kusu - 1) {
            const int rez = nahoda_.v_rozsahu(1, int(odpoved.size()) - 1);
            if (!rezy.contains(rez))
                rezy.append(rez);
        }
        std::sort(rezy.begin(), rezy.end());
        rezy.append(int(odpoved.size()));
        int od = 0;
        for (const int rez : rezy) {
            zarad(odpoved.mid(od, rez - od), od == 0 ? pauza : nahoda_.v_rozsahu(1, 30));
            od = rez;
        }
        vse = odpoved;
        break;
    }
    case porucha::slucovani:
        // The program waits for each reply, so a reply cannot be held for the next one; instead it
        // goes out in one write together with a second copy of itself, or between noise.
        if (nahoda_.v_rozsahu(0, 1) == 0)
            vse = odpoved + odpoved;
        else
            vse = sum_bajty() + odpoved + sum_bajty();
        zarad(vse, pauza);
        break;
    default:
        zarad(odpoved, pauza);
        vse = odpoved;
        break;
    }
    Q_EMIT odpoved_pripravena(vse, p);
    if (!odesilac_->isActive())
        odesilej();
}

void simulator::zarad(QByteArray data, int pauza_ms) {
    if (!data.isEmpty() || pauza_ms > 0)
        fronta_.push_back(usek{std::move(data), pauza_ms});
}

void simulator::zrus_vystup() {
    fronta_.clear();
    pauza_hotova_ = false;
    tempo_.invalidate();
    if (odesilac_)
        odesilac_->stop();
}

void simulator::odesilej() {
    while (!fronta_.empty() && bezi()) {
        usek& u = fronta_.front();
        if (!pauza_hotova_ && u.pauza_ms > 0) {
            pauza_hotova_ = true;
            tempo_.invalidate(); // after a pause the line starts a new burst
            odesilac_->start(u.pauza_ms);
            return;
        }
        pauza_hotova_ = true;

        qsizetype kolik = u.data.size();
        if (n_.tempo_9600) {
            if (!tempo_.isValid()) {
                tempo_.start();
                odeslano_v_tempu_ = 0;
            }
            // The first byte goes at once, then one every 1/960 s on average.
            const qint64 splatne =
                tempo_.nsecsElapsed() * bajtu_za_sekundu / 1000000000 + 1 - odeslano_v_tempu_;
            kolik = qsizetype(std::clamp<qint64>(splatne, 0, u.data.size()));
        }
        if (kolik > 0) {
            const qint64 zapsano = zapis(u.data.left(kolik));
            if (zapsano < 0) { // nobody listens: the reply is lost on the line
                zrus_vystup();
                return;
            }
            u.data.remove(0, qsizetype(zapsano));
            odeslano_v_tempu_ += zapsano;
            if (zapsano < kolik) { // the line's buffer is full: the program does not read
                odesilac_->start(opakovani_zapisu_ms);
                return;
            }
        }
        if (!u.data.isEmpty()) { // paced: the rest when it is due
            odesilac_->start(1);
            return;
        }
        fronta_.pop_front();
        pauza_hotova_ = false;
    }
    tempo_.invalidate();
}

qint64 simulator::zapis(const QByteArray& data) {
    if (master_ < 0 || !ctenar_pripojen(master_))
        return -1;
    qint64 zapsano = 0;
    while (zapsano < data.size()) {
        const ssize_t n =
            ::write(master_, data.constData() + zapsano, size_t(data.size() - zapsano));
        if (n > 0) {
            zapsano += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        return zapsano > 0 ? zapsano : -1;
    }
    if (zapsano > 0) {
        const QByteArray kus = data.left(qsizetype(zapsano));
        pripoj_zaznam(odeslano_, kus);
        Q_EMIT odeslano_bajty(kus);
    }
    return zapsano;
}

// --- names ----------------------------------------------------------------------------------

namespace {
struct nazev {
    porucha p;
    const char* text;
};
constexpr nazev nazvy[] = {
    {porucha::zadna, "none"},
    {porucha::mlci, "silent"},
    {porucha::spatne_potvrzeni, "wrong-ack"},
    {porucha::spatny_s_paket, "bad-status"},
    {porucha::sum, "noise"},
    {porucha::deleni, "split"},
    {porucha::slucovani, "merge"},
    {porucha::zpozdeni, "delay"},
    {porucha::zaveseni, "hangup"},
    {porucha::nahodne, "random"},
};
} // namespace

QString nazev_poruchy(porucha p) {
    for (const nazev& n : nazvy)
        if (n.p == p)
            return QString::fromLatin1(n.text);
    return QString();
}

bool porucha_z_nazvu(const QString& text, porucha* p) {
    for (const nazev& n : nazvy) {
        if (text == QLatin1String(n.text)) {
            *p = n.p;
            return true;
        }
    }
    return false;
}

QString citelne(const QByteArray& bajty) {
    QString text;
    for (const char c : bajty) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\r')
            text += QLatin1String("\\r");
        else if (c == '\n')
            text += QLatin1String("\\n");
        else if (c == '\\')
            text += QLatin1String("\\\\");
        else if (b >= 0x20 && b < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return text;
}

} // namespace tarvik::sim
