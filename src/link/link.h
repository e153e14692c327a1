#pragma once

#include "link/link_window.h"
#include "link/packet_protocol.h"
#include "link/serial_port.h"
#include "platform/signals.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <optional>

namespace tarvik {

// The link's messages. A reported packet is "Chyba komunikace. Chyba - " and one of the details.
inline const QString zprava_port_obsazen = QStringLiteral(
    "Sériový port je již otevřen jiným programem. Zkontrolujte zda program není již spuštěn na "
    "liště. Pokud nic nepomůže, zkuste restartovat počítač.");
inline const QString zprava_chyba_portu = QStringLiteral("Chyba při otevírání sériového portu.");
inline const QString titulek_chyby_linky = QStringLiteral("Cancel - Konec, Ok - ignoruj chybu");
inline const QString chyba_komunikace_uvod = QStringLiteral("Chyba komunikace. Chyba - ");
inline const QString detail_neznamy_typ = QStringLiteral("Neznámý typ paketu.");
inline const QString detail_r_paket = QStringLiteral("Je očekáván R paket.");
inline const QString detail_s_paket = QStringLiteral("Je očekáván S paket. Nebo špatný S-paket.");
inline const QString detail_timeout = QStringLiteral("Timeout. Vypršel čas odezvy.");
// The operator asked for the line while the port is closed.
inline const QString zprava_port_zavren = QStringLiteral(
    "Sériový port je zavřený, řídicí jednotce nebylo nic odesláno. Port znovu otevřete volbou "
    "Konfigurace – Číslo COMu v administrátorském režimu, nebo program ukončete a spusťte znovu.");

// What the link is doing; every handler of the link decides by this one value.
enum class stav_linky {
    // The port is closed: before it is opened, after Cancel on a line error, after its device
    // vanished and did not come back, after the port dialog could not open a port. Nothing is
    // sent and nothing is awaited; panel 2 is empty.
    zavreno,
    necinna,        // open, nothing awaited: the switches are free and polling may ask
    ceka_potvrzeni, // a switch command's acknowledgement is awaited (ocekavana_odpoved)
    ceka_stav,      // a status reply is awaited
    // One of the link's message boxes (a line error, a communication error) is open: what
    // arrives waits until it has been closed, polling does not ask and the watchdog reports
    // nothing.
    hlaseni,
};

// The link to the switch controller: the serial port, the receiver, the two timers and the link
// state. One command, one reply: a command arms the watchdog and locks the switches until its
// reply has been handled.
class linka : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds perioda_statusu{60000};
    static constexpr std::chrono::milliseconds cas_odezvy{10000};

    // `odezva` is the time the controller has to answer a command or a query.
    explicit linka(okno_linky& okno, std::chrono::milliseconds odezva = cas_odezvy,
                   QObject* parent = nullptr);
    ~linka() override;

    // Opens COM<cislo>: sets panel 2 to it, or on failure empties panel 2, shows the failure's
    // message and returns false.
    bool otevri_port(int cislo);
    // Closes the port if it is open, and nothing more: for the end of the program.
    void zavri_port();
    // For the port dialog: closes the open port and opens COM<cislo>; nothing is awaited any
    // more. Returns false when it cannot be opened: the port then stays closed and panel 2 is
    // emptied. Does not touch the configuration, nor panel 2 on success.
    bool prepni_port(int cislo);

    // The program's own status query: locks the switches, arms the watchdog, awaits "XS", sends
    // "XA". With the port closed nothing is sent, and a reply that was awaited is given up.
    void nacti_status();
    // The operator's status request (the menu, the return to user mode). With the port closed
    // because its device vanished, the port is opened again first (its failure is shown); with
    // the port closed otherwise the operator is told at once that it is closed, and nothing is
    // sent.
    void aktualizuj_stav();
    void zastav_watchdog_timer();
    void spust_status_timer();
    void zastav_status_timer();
    // Restarts the status period only when the timer runs (a switch's change of value).
    void restartuj_status_timer();

    // Sends the switch command for contactor `cislo` (0 to 127) and awaits its acknowledgement,
    // with the switches locked and the watchdog armed. With the port closed it goes as the
    // operator's status request does (aktualizuj_stav); when nothing can be sent the switches
    // show the last known states again.
    void posli_prikaz(int cislo, bool zapnout);

    // From the sending of a status query until its reply has been applied to the cells.
    bool nacitani_statusu() const { return stav_ == stav_linky::ceka_stav; }
    void nuluj_stav_stykacu();

private:
    // The tests', benchmarks' and fuzz targets' one way in (tests/support/link_probe.h): the
    // timers' ticks, the bytes as the port hands them on, and what the link awaits.
    friend class test_linky;

    // Incoming bytes, in the order they arrived (the port's prijata_data). Bytes that arrive
    // while one of the link's message boxes is open wait, and are handled in order once it has
    // been closed.
    void precti_data_z_portu(const QByteArray& data);
    // A notification of the line (the port's udalost): an error beeps and asks OK/Cancel
    // (Cancel closes the port; OK after a vanished device reopens it and asks for the status).
    void com_port_OnComm(const udalost_linky& udalost);
    // The port is closed: whatever was awaited is given up (its lock freed) and panel 2 emptied.
    void prejdi_na_zavreno();
    // The operator wants the closed port: see aktualizuj_stav. Returns whether it is open now.
    bool otevri_pro_obsluhu();
    // Reports a communication error, then sends a new status query. Everything received until
    // the box is closed belongs to the error reported: it is dropped, not reported on its own.
    void chyba_komunikace(const QString& detail);
    void spust_watchdog_timer();
    void tik_status_timeru();
    void watchdog_vyprsel();
    bool obnov_linku();
    void zpracuj_cekajici();
    void zpracuj_paket(const QByteArray& paket);
    void zpracuj_r_paket(const QByteArray& paket);
    void zpracuj_s_paket(const QByteArray& paket);
    void ohlas_chybu_linky(const udalost_linky& udalost);
    // The controller's states can no longer be vouched for: the switches show the last known
    // states as unknown, a switch the operator set among them.
    void zapomen_stav();
    // The switches show stav_stykacu_ as it stands.
    void zobraz_stav();
    void nastav_ocekavanou_odpoved(const QByteArray& odpoved);

    okno_linky& okno_;
    std::chrono::milliseconds odezva_;
    seriovy_port com_port_;
    QTimer status_timer_;
    QTimer watchdog_timer_;
    QElapsedTimer odeslani_; // since the awaited command was handed to the port
    prijimac prijimac_;
    stav_linky stav_ = stav_linky::zavreno;
    bool zpracovava_pakety_ = false; // the loop of zpracuj_cekajici runs
    std::optional<udalost_linky> odlozena_chyba_linky_;
    QByteArray ocekavana_odpoved_; // the packet awaited in ceka_potvrzeni, "XS" in ceka_stav
    qint16 citac_statusu_ = 0;
    stavy_stykacu stav_stykacu_{};
    // Whether stav_stykacu_ is the controller's answer to the last status query (see
    // okno_linky::zobraz_stav_stykacu).
    bool stav_znamy_ = false;
    bool zobrazen_pozadavek_ = false; // a switch shows what the operator asked for, not a state
    pri_nahlem_konci zavri_pri_konci_{[this] { zavri_port(); }};
};

} // namespace tarvik
