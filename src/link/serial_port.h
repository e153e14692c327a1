#pragma once

#include "platform/serial_access.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace tarvik {

// What a notification of the line means to the program.
enum class skupina_udalosti {
    ignorovano, // nothing to do
    chyba       // a line error: the operator is asked whether to go on
};

struct udalost_linky {
    skupina_udalosti skupina = skupina_udalosti::ignorovano;
    QString text; // English text shown for an error; empty when there is none
    bool operator==(const udalost_linky&) const = default;
};

// What an error of the serial port facility means while the port is open. A vanished device
// (adapter unplugged, pseudo-terminal hung up) is an error "Serial Device Lost"; the failures that
// only opening reports, and timeouts of waits the program never makes, are ignored here.
udalost_linky klasifikuj_chybu_portu(QSerialPort::SerialPortError chyba);

// A port is in use only when a running process holds its lock or has the device in exclusive
// use. Access refused, a missing device and port number 0 are all the general failure.
enum class vysledek_otevreni {
    ok,
    obsazen, // held by a running program (or by another port object of this one)
    chyba    // no such device, port number 0, access refused, ...
};

// The serial port COM<n>, 9600 baud 8N1 without flow control. It only moves bytes: received
// bytes are announced by prijata_data, line errors by udalost. A vanished device is reported
// once, after the port has closed itself; writing to a closed port does nothing.
//
// What the port relies on: the device's lock (zamek_zarizeni) is looked at and taken before
// QSerialPort opens the device, by its real path (the dosdevices link resolved), so that two
// programs that reach one device through different links see each other; QSerialPort puts the
// device in exclusive use (TIOCEXCL), so that no program started later opens it beside this one
// (root excepted); a device that goes away (an unplugged adapter, a hung-up pseudo-terminal) makes
// QSerialPort report ReadError or ResourceError again and again until the port is closed.
class seriovy_port : public QObject {
    Q_OBJECT
public:
    explicit seriovy_port(QObject* parent = nullptr);
    ~seriovy_port() override;

    // Opens COM<cislo> at cesta_serioveho_portu(cislo), resolved afresh. An open port is closed
    // first.
    vysledek_otevreni otevri(int cislo);
    void zavri();
    bool je_otevren() const;
    // The number of the port last opened or tried.
    int cislo() const { return cislo_; }
    // The port closed itself because its device vanished, and it has not been opened or closed
    // since.
    bool zarizeni_zmizelo() const { return zmizelo_; }
    // Why the port last tried could not be opened and what to do, in Czech, for the message
    // after the program's own text. Empty once a port has opened.
    const QString& rada() const { return rada_; }
    // Drops every received byte that the port holds and has not handed on yet.
    void zahod_prijate();

    // Fire and forget: the bytes are queued for writing; on a closed port nothing happens.
    void posli(const QByteArray& data);

Q_SIGNALS:
    void prijata_data(const QByteArray& data);
    // Bytes that posli has just handed to the device (the line itself may still be sending
    // them); what the device could not take yet goes out from the event loop. The benchmarks
    // time the way to the line by it.
    void zapsano(qint64 bajtu);
    void udalost(const tarvik::udalost_linky& u);

private:
    void cti();
    void chyba_portu(QSerialPort::SerialPortError chyba);

    QSerialPort port_;
    zamek_zarizeni zamek_;
    QString rada_;
    int cislo_ = 0;
    bool zmizelo_ = false;
};

} // namespace tarvik
