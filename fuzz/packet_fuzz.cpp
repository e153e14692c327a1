// The S-packet check and the dispatch of one whole packet by the link, against what was awaited.
//
// Input: the first byte chooses what the link awaits (nothing, a status reply, or the
// acknowledgement of switching a contactor on or off); the rest, without line feeds and cut to
// 300 bytes, is the body of one packet "X" + body + "\n". Checked: the S check agrees with the
// plain rule, a valid awaited reply is taken without a message, anything else earns exactly one
// message with its detail and a new status query, and the states change only by a valid S packet.

#include "fuzz_check.h"
#include "link/link.h"
#include "platform/message_box.h"
#include "platform/program_folder.h"
#include "support/link_probe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace tarvik;
using tarvik::fuzz::over;

namespace {

struct okno : okno_linky {
    void zakaz_buttony() override {}
    void povol_buttony() override {}
    void nastav_panel(int, const QString&) override {}
    void zobraz_stav_stykacu(const stavy_stykacu&, bool) override {}
    QWidget* rodic_zprav() override { return nullptr; }
};

// The plain rule: 132 bytes, the 128 after "XS" each '0' or '1'.
bool s_podle_pravidla(const QByteArray& p) {
    if (p.size() != 132)
        return false;
    for (int i = 2; i < 130; ++i)
        if (p[i] != '0' && p[i] != '1')
            return false;
    return true;
}

QStringList zpravy;

// The link's COM1: a pseudo-terminal whose other end takes whatever the link sends.
int linka_ven = -1;

void vyprazdni_linku() {
    char odpad[4096];
    while (::read(linka_ven, odpad, sizeof odpad) > 0) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication aplikace(*argc, *argv);
    static QTemporaryDir slozka;
    linka_ven = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (!slozka.isValid() || linka_ven < 0 || ::grantpt(linka_ven) != 0 ||
        ::unlockpt(linka_ven) != 0 || !QDir(slozka.path()).mkdir(QStringLiteral("dosdevices")) ||
        !QFile::link(QString::fromLocal8Bit(::ptsname(linka_ven)),
                     slozka.filePath(QStringLiteral("dosdevices/com1"))))
        std::abort();
    nastav_slozku_programu(slozka.path());
    nastav_odpovidac_zprav([](const zprava& z) {
        zpravy << z.text;
        return odpoved_zpravy::ok;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    QByteArray telo(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    telo.replace('\n', QByteArray()).truncate(300);
    const QByteArray paket = "X" + telo + "\n";

    const bool s_ok = zkontroluj_s_paket(paket);
    over(s_ok == s_podle_pravidla(paket));

    // One link on an open port for the whole run, idle at the start of every input: a status
    // reply it awaits is answered with the states it knows.
    static okno o;
    static linka l(o);
    static test_linky t(l);
    static const bool otevreno = l.otevri_port(1);
    over(otevreno);
    if (t.stav() == stav_linky::ceka_stav) {
        QByteArray stav = "XS";
        for (const bool zapnut : t.stav_stykacu())
            stav += zapnut ? '1' : '0';
        t.prijmi(stav + "\r\n");
    }
    over(t.stav() == stav_linky::necinna);
    const int cekam = data[0] % 3; // 0 nothing, 1 status, 2 acknowledgement
    const int cislo = (data[0] / 3) % pocet_stykacu;
    const bool zapnout = data[0] & 0x80;
    if (cekam == 1)
        l.nacti_status();
    else if (cekam == 2)
        l.posli_prikaz(cislo, zapnout);
    const QByteArray ocekavano = t.ocekavana_odpoved();
    const stavy_stykacu pred = t.stav_stykacu();
    zpravy.clear();
    t.prijmi(paket);

    const QString uvod = QStringLiteral("Chyba komunikace. Chyba - ");
    QString detail;
    if (paket.size() < 2 || (paket[1] != 'R' && paket[1] != 'S'))
        detail = QStringLiteral("Neznámý typ paketu.");
    else if (paket[1] == 'R' && (cekam != 2 || paket != ocekavano))
        detail = QStringLiteral("Je očekáván R paket.");
    else if (paket[1] == 'S' && (cekam != 1 || !s_ok))
        detail = QStringLiteral("Je očekáván S paket. Nebo špatný S-paket.");

    if (detail.isEmpty()) {
        over(zpravy.isEmpty());
        if (paket[1] == 'S') {
            over(t.ocekavana_odpoved().isEmpty() && !l.nacitani_statusu());
            const stavy_stykacu po = t.stav_stykacu();
            for (int k = 0; k < pocet_stykacu; ++k)
                over(po[k] == (paket[k + 2] == '1'));
        } else {
            over(t.ocekavana_odpoved() == "XS" && t.stav_stykacu() == pred);
        }
    } else {
        over(zpravy == QStringList{uvod + detail});
        over(t.ocekavana_odpoved() == "XS" && l.nacitani_statusu());
        over(t.stav_stykacu() == pred);
    }
    vyprazdni_linku();
    return 0;
}
