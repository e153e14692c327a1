#include "link/serial_port.h"

#include "link/packet_protocol.h"
#include "platform/devices.h"
#include "platform/serial_access.h"

#include <cerrno>

namespace tarvik {

namespace {
udalost_linky zprava(skupina_udalosti skupina, const char* text) {
    return {skupina, QString::fromLatin1(text)};
}

} // namespace

udalost_linky klasifikuj_chybu_portu(QSerialPort::SerialPortError chyba) {
    switch (chyba) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        return zprava(skupina_udalosti::chyba, "Serial Device Lost");
    case QSerialPort::WriteError:
        return zprava(skupina_udalosti::chyba, "Write Error");
    case QSerialPort::UnsupportedOperationError:
    case QSerialPort::UnknownError:
        return zprava(skupina_udalosti::chyba, "Unknown error or event");
    case QSerialPort::NoError:
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::TimeoutError:
    case QSerialPort::NotOpenError:
        break;
    }
    return {skupina_udalosti::ignorovano, {}};
}

seriovy_port::seriovy_port(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &seriovy_port::cti);
    connect(&port_, &QSerialPort::errorOccurred, this, &seriovy_port::chyba_portu);
}

seriovy_port::~seriovy_port() {
    zavri();
}

vysledek_otevreni seriovy_port::otevri(int cislo) {
    if (port_.isOpen())
        port_.close();
    zamek_.uvolni();
    port_.clearError();
    cislo_ = cislo;
    if (cislo < 1) {
        rada_ = rada_k_portu({.cislo = cislo});
        return vysledek_otevreni::chyba;
    }
    const QString cesta = cesta_serioveho_portu(cislo);
    // Before QSerialPort looks at any lock file: it would take a running program's lock for stale.
    if (const auto drzitel = zamek_.zamkni(cesta)) {
        rada_ = rada_k_portu({.cislo = cislo, .zarizeni = cesta, .drzitel = drzitel});
        return vysledek_otevreni::obsazen;
    }
    const QString jmeno = zamek_.jmeno_pro_qt(cesta);
    port_.setPortName(jmeno);
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    const bool otevren = !jmeno.isEmpty() && port_.open(QIODevice::ReadWrite);
    zamek_.zahod_jmeno_pro_qt();
    port_.clearError();
    if (otevren) {
        // Bytes left on the line from before are no reply to anything this program sent.
        port_.clear();
        port_.clearError();
        // While a message box holds up the reading, the port keeps no more than the receiver
        // would. Set on the open port, this starts a read at once: on Windows under Wine, whose
        // serial layer never tells the completion port that bytes have come, a read that is
        // already waiting is the only way they are received (and taking them starts the next).
        port_.setReadBufferSize(prijimac::nejvetsi_fronta);
        zmizelo_ = false;
        rada_.clear();
        return vysledek_otevreni::ok;
    }
    zamek_.uvolni();
    // The device itself tells why: busy is another program's exclusive use.
    const int chyba = chyba_otevreni_zarizeni(cesta);
    rada_ = rada_k_portu({.cislo = cislo, .zarizeni = cesta, .chyba = chyba});
    return chyba == EBUSY ? vysledek_otevreni::obsazen : vysledek_otevreni::chyba;
}

void seriovy_port::zavri() {
    if (port_.isOpen())
        port_.close();
    zamek_.uvolni();
    port_.clearError();
    zmizelo_ = false;
}

void seriovy_port::zahod_prijate() {
    if (port_.isOpen())
        port_.readAll();
}

bool seriovy_port::je_otevren() const {
    return port_.isOpen();
}

void seriovy_port::posli(const QByteArray& data) {
    if (!port_.isOpen())
        return;
    const qint64 cekalo = port_.bytesToWrite();
    port_.write(data);
    // Out to the device now, without blocking, rather than after the window has repainted.
    port_.flush();
    const qint64 vyslo = cekalo + data.size() - port_.bytesToWrite();
    if (vyslo > 0)
        Q_EMIT zapsano(vyslo);
}

void seriovy_port::cti() {
    // The handling of the data may open a message box, and the port does not report new data
    // while it is still reporting these: whatever came meanwhile is read here once it returns.
    // Reading the port empty starts its next read.
    while (port_.isOpen() && port_.bytesAvailable() > 0)
        Q_EMIT prijata_data(port_.readAll());
}

void seriovy_port::chyba_portu(QSerialPort::SerialPortError chyba) {
    // Errors reported while opening are the caller's business (the result of otevri).
    if (!port_.isOpen())
        return;
    const udalost_linky u = klasifikuj_chybu_portu(chyba);
    if (u.skupina == skupina_udalosti::ignorovano)
        return;
    if (chyba == QSerialPort::ResourceError || chyba == QSerialPort::ReadError) {
        // The device is gone and would report itself again on every notification; its lock goes
        // with it, as a closed port holds none.
        port_.close();
        zamek_.uvolni();
        zmizelo_ = true;
    }
    port_.clearError();
    Q_EMIT udalost(u);
}

} // namespace tarvik
