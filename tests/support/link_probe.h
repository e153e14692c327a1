#pragma once

// The one way into the link for tests, benchmarks and fuzz targets (the link names test_linky
// its friend): the ticks of its two timers without waiting 60 or 10 seconds, bytes handed to it as
// its port hands them on, an error of its port, and what it awaits. It changes
// nothing else of the link.

#include "link/link.h"

namespace tarvik {

class test_linky {
public:
    explicit test_linky(linka& l) : l_(l) {}

    void tik_statusu() { l_.tik_status_timeru(); }
    // The watchdog's tick, as soon as the command went out, or once the reply time is up.
    void tik_watchdogu() { l_.watchdog_vyprsel(); }
    void vyprs_odezva() {
        l_.odeslani_.invalidate();
        l_.watchdog_vyprsel();
    }
    // An error of the port facility, as the port passes it on while open.
    void chyba_linky(QSerialPort::SerialPortError chyba) {
        l_.com_port_OnComm(klasifikuj_chybu_portu(chyba));
    }
    void prijmi(const QByteArray& data) { l_.precti_data_z_portu(data); }

    stav_linky stav() const { return l_.stav_; }
    const QByteArray& ocekavana_odpoved() const { return l_.ocekavana_odpoved_; }
    const stavy_stykacu& stav_stykacu() const { return l_.stav_stykacu_; }
    bool port_otevren() const { return l_.com_port_.je_otevren(); }
    const QTimer& status_timer() const { return l_.status_timer_; }
    const QTimer& watchdog_timer() const { return l_.watchdog_timer_; }
    // Announces zapsano: the bytes handed to the device.
    const seriovy_port& port() const { return l_.com_port_; }

private:
    linka& l_;
};

} // namespace tarvik
