#include "link/link.h"

#include "platform/message_box.h"

#include <limits>

namespace tarvik {

namespace {
const QByteArray odpoved_statusu = QByteArrayLiteral("XS");

bool ceka(stav_linky s) {
    return s == stav_linky::ceka_potvrzeni || s == stav_linky::ceka_stav;
}

// The link's state is `hlaseni` while one of its boxes is open, and what it was before afterwards
// (unless the box's handling moved it on).
class otevrene_hlaseni {
public:
    explicit otevrene_hlaseni(stav_linky& stav) : stav_(stav), pred_(stav) {
        stav_ = stav_linky::hlaseni;
    }
    ~otevrene_hlaseni() {
        if (stav_ == stav_linky::hlaseni)
            stav_ = pred_;
    }
    otevrene_hlaseni(const otevrene_hlaseni&) = delete;
    otevrene_hlaseni& operator=(const otevrene_hlaseni&) = delete;

private:
    stav_linky& stav_;
    stav_linky pred_;
};
} // namespace

linka::linka(okno_linky& okno, std::chrono::milliseconds odezva, QObject* parent)
    : QObject(parent), okno_(okno), odezva_(odezva) {
    // Coarse timers may fire up to 5 % early; the reply time is a promise to the controller.
    status_timer_.setTimerType(Qt::PreciseTimer);
    watchdog_timer_.setTimerType(Qt::PreciseTimer);
    status_timer_.setInterval(perioda_statusu);
    watchdog_timer_.setInterval(odezva_);
    connect(&status_timer_, &QTimer::timeout, this, &linka::tik_status_timeru);
    connect(&watchdog_timer_, &QTimer::timeout, this, &linka::watchdog_vyprsel);
    connect(&com_port_, &seriovy_port::prijata_data, this, &linka::precti_data_z_portu);
    // A line error may come up in the middle of sending a command; it is reported after the
    // command has been sent and its reply set up.
    connect(&com_port_, &seriovy_port::udalost, this, &linka::com_port_OnComm,
            Qt::QueuedConnection);
}

linka::~linka() {
    status_timer_.stop();
    watchdog_timer_.stop();
    zavri_port();
}

bool linka::otevri_port(int cislo) {
    prijimac_.vymaz();
    // A port opened (again) has told nothing yet.
    zapomen_stav();
    const vysledek_otevreni v = com_port_.otevri(cislo);
    if (v == vysledek_otevreni::ok) {
        stav_ = stav_linky::necinna;
        okno_.nastav_panel(2, QStringLiteral("COM%1").arg(cislo));
        return true;
    }
    // The screen never names a line that is not there.
    prejdi_na_zavreno();
    // The program's own text, then which port it is and what to do.
    zobraz_chybu(okno_.rodic_zprav(),
                 (v == vysledek_otevreni::obsazen ? zprava_port_obsazen : zprava_chyba_portu) +
                     QStringLiteral("\n\n") + com_port_.rada());
    return false;
}

void linka::zavri_port() {
    com_port_.zavri();
    stav_ = stav_linky::zavreno;
}

void linka::prejdi_na_zavreno() {
    if (stav_ == stav_linky::zavreno)
        return;
    zastav_watchdog_timer();
    prijimac_.vymaz();
    zapomen_stav();
    const bool cekala = ceka(stav_);
    stav_ = stav_linky::zavreno;
    okno_.nastav_panel(2, QString());
    // The reply that locked the switches can no longer come: they are freed, as its arrival
    // would have freed them, so that the operator can act (and learn that the port is closed).
    if (cekala) {
        nastav_ocekavanou_odpoved({});
        okno_.povol_buttony();
    }
}

bool linka::prepni_port(int cislo) {
    zapomen_stav();
    zastav_watchdog_timer();
    nastav_ocekavanou_odpoved({});
    prijimac_.vymaz();
    if (com_port_.otevri(cislo) == vysledek_otevreni::ok) {
        stav_ = stav_linky::necinna;
        return true;
    }
    stav_ = stav_linky::zavreno;
    okno_.nastav_panel(2, QString());
    return false;
}

// The query goes to the line first, as a command does (posli_prikaz).
void linka::nacti_status() {
    // No line: a query would only time out, again and again.
    if (!com_port_.je_otevren()) {
        prejdi_na_zavreno();
        return;
    }
    com_port_.posli(dotaz_na_stav());
    odeslani_.start();
    okno_.zakaz_buttony();
    spust_watchdog_timer();
    stav_ = stav_linky::ceka_stav;
    nastav_ocekavanou_odpoved(odpoved_statusu);
}

bool linka::otevri_pro_obsluhu() {
    if (com_port_.je_otevren())
        return true;
    const bool zmizelo = com_port_.zarizeni_zmizelo();
    prejdi_na_zavreno();
    if (zmizelo)
        return otevri_port(com_port_.cislo());
    // Closed by the operator's Cancel or by the port dialog: only they open it again.
    zobraz_chybu(okno_.rodic_zprav(), zprava_port_zavren);
    return false;
}

void linka::aktualizuj_stav() {
    if (otevri_pro_obsluhu())
        nacti_status();
}

// Reopens the port whose device vanished and asks for the status.
bool linka::obnov_linku() {
    zastav_watchdog_timer();
    if (!otevri_port(com_port_.cislo()))
        return false;
    nacti_status();
    return true;
}

void linka::spust_watchdog_timer() {
    watchdog_timer_.start(odezva_);
}
void linka::zastav_watchdog_timer() {
    watchdog_timer_.stop();
}
void linka::spust_status_timer() {
    status_timer_.start(perioda_statusu);
}
void linka::zastav_status_timer() {
    status_timer_.stop();
}

void linka::restartuj_status_timer() {
    // Only a running period starts anew: a status reply applied in administrator mode (where
    // polling is off) must not turn polling back on.
    if (status_timer_.isActive())
        status_timer_.start(perioda_statusu);
}

// The command goes to the line first: the lock, the watchdog and the panel follow within the
// same handler, before any input or byte can be handled.
void linka::posli_prikaz(int cislo, bool zapnout) {
    if (!otevri_pro_obsluhu()) {
        // The switch the operator set goes back to the controller's last known state.
        zobraz_stav();
        return;
    }
    const QString cislo3 = dopln_nuly(QString::number(cislo));
    com_port_.posli(prikaz_prepnuti(cislo3, zapnout));
    odeslani_.start();
    okno_.zakaz_buttony();
    spust_watchdog_timer();
    stav_ = stav_linky::ceka_potvrzeni;
    zobrazen_pozadavek_ = true;
    nastav_ocekavanou_odpoved(potvrzeni_prepnuti(cislo3, zapnout));
}

void linka::nastav_ocekavanou_odpoved(const QByteArray& odpoved) {
    ocekavana_odpoved_ = odpoved;
    okno_.nastav_panel(3, text_odpovedi(ocekavana_odpoved_));
}

void linka::tik_status_timeru() {
    if (citac_statusu_ < std::numeric_limits<qint16>::max())
        ++citac_statusu_;
    // Only an idle line is asked: while a reply is awaited the tick is lost, while a box of the
    // link is open its own query follows when it is closed, and a closed port is not asked.
    if (citac_statusu_ >= 1 && stav_ == stav_linky::necinna) {
        citac_statusu_ = 0;
        nacti_status();
    }
}

void linka::watchdog_vyprsel() {
    // Even a precise timer is not trusted to the millisecond: the reply has its full time from
    // the moment its command was handed to the port.
    const qint64 zbyva = odeslani_.isValid() ? odezva_.count() - odeslani_.elapsed() : 0;
    if (zbyva > 0) {
        watchdog_timer_.start(std::chrono::milliseconds(zbyva));
        return;
    }
    if (watchdog_timer_.interval() != odezva_.count())
        watchdog_timer_.setInterval(odezva_);
    // The watchdog keeps running through its own message: one timeout is reported once.
    if (stav_ == stav_linky::hlaseni)
        return;
    if (!ceka(stav_)) {
        zastav_watchdog_timer();
        return;
    }
    chyba_komunikace(detail_timeout);
}

void linka::chyba_komunikace(const QString& detail) {
    // A wrong reply or none: whatever the controller did is known again from the status query
    // that follows the message.
    zapomen_stav();
    {
        const otevrene_hlaseni hlaseni(stav_);
        zobraz_chybu(okno_.rodic_zprav(), chyba_komunikace_uvod + detail);
    }
    // What came meanwhile (a controller gone wild, late replies) is part of this error: one box
    // and one query, however much arrived.
    com_port_.zahod_prijate();
    prijimac_.zahod_cekajici();
    nacti_status();
    zpracuj_cekajici();
}

void linka::precti_data_z_portu(const QByteArray& data) {
    prijimac_.pridej(data);
    zpracuj_cekajici();
}

void linka::zpracuj_cekajici() {
    // One loop consumes the waiting bytes; a call made while it runs (from inside a message box
    // of a packet) or while another box of the link is open only leaves its bytes queued.
    if (zpracovava_pakety_ || stav_ == stav_linky::hlaseni)
        return;
    zpracovava_pakety_ = true;
    for (;;) {
        if (odlozena_chyba_linky_) {
            const udalost_linky u = *odlozena_chyba_linky_;
            odlozena_chyba_linky_.reset();
            ohlas_chybu_linky(u);
            continue;
        }
        const std::optional<QByteArray> paket = prijimac_.dalsi_paket();
        if (!paket)
            break;
        zpracuj_paket(*paket);
    }
    zpracovava_pakety_ = false;
}

void linka::zpracuj_paket(const QByteArray& paket) {
    switch (typ(paket)) {
    case typ_paketu::r:
        zpracuj_r_paket(paket);
        return;
    case typ_paketu::s:
        zpracuj_s_paket(paket);
        return;
    case typ_paketu::neznamy:
        chyba_komunikace(detail_neznamy_typ);
        return;
    }
}

void linka::zpracuj_r_paket(const QByteArray& paket) {
    zastav_watchdog_timer();
    if (stav_ == stav_linky::ceka_potvrzeni && paket == ocekavana_odpoved_) {
        okno_.povol_buttony();
        nacti_status();
    } else {
        chyba_komunikace(detail_r_paket);
    }
}

void linka::zpracuj_s_paket(const QByteArray& paket) {
    zastav_watchdog_timer();
    if (stav_ != stav_linky::ceka_stav || !zkontroluj_s_paket(paket)) {
        chyba_komunikace(detail_s_paket);
        return;
    }
    stav_stykacu_ = stavy_z_s_paketu(paket);
    stav_znamy_ = true;
    nastav_ocekavanou_odpoved({});
    citac_statusu_ = 0;
    // Still loading while the cells are set: their changes are the program's, not sent.
    zobraz_stav();
    stav_ = stav_linky::necinna;
    okno_.povol_buttony();
}

void linka::nuluj_stav_stykacu() {
    stav_stykacu_.fill(false);
    stav_znamy_ = false;
}

void linka::zapomen_stav() {
    // Nothing to show while the switches already show the last known states as unknown.
    if (!stav_znamy_ && !zobrazen_pozadavek_)
        return;
    stav_znamy_ = false;
    zobraz_stav();
}

void linka::zobraz_stav() {
    zobrazen_pozadavek_ = false;
    okno_.zobraz_stav_stykacu(stav_stykacu_, stav_znamy_);
}

void linka::com_port_OnComm(const udalost_linky& udalost) {
    if (udalost.skupina != skupina_udalosti::chyba)
        return;
    // One box at a time: an error raised while another box of the link is open is shown after
    // it (the first one, if several come).
    if (stav_ == stav_linky::hlaseni || zpracovava_pakety_) {
        if (!odlozena_chyba_linky_)
            odlozena_chyba_linky_ = udalost;
        return;
    }
    ohlas_chybu_linky(udalost);
    zpracuj_cekajici();
}

void linka::ohlas_chybu_linky(const udalost_linky& udalost) {
    // A command may not have gone out whole (a write error, a vanished device): the switch the
    // operator set goes back at once, and nothing is vouched for until the next status.
    if (ceka(stav_))
        zapomen_stav();
    pipni();
    odpoved_zpravy odpoved;
    {
        const otevrene_hlaseni hlaseni(stav_);
        // The title names the buttons: they keep their English texts.
        odpoved = zobraz_zpravu(okno_.rodic_zprav(), {.text = udalost.text,
                                                      .titulek = titulek_chyby_linky,
                                                      .tlacitka = tlacitka_zpravy::ok_storno,
                                                      .text_ok = QStringLiteral("OK"),
                                                      .text_storno = QStringLiteral("Cancel")});
    }
    if (odpoved == odpoved_zpravy::storno) {
        com_port_.zavri();
        prejdi_na_zavreno();
    } else if (com_port_.zarizeni_zmizelo()) {
        obnov_linku();
    }
}

} // namespace tarvik
