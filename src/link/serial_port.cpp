#include "link/serial_port.h"

#include "link/packet_protocol.h"
#include "platform/devices.h"

namespace tarvik {

namespace {
udalost_linky zprava(skupina_udalosti skupina, const char* text) {
    return {skupina, QString::fromLatin1(text)};
}
} // namespace

udalost_linky klasifikuj_udalost(int kod) {
    using enum skupina_udalosti;
    switch (kod) {
    case 1:
        return {ignorovano, {}};
    case 2:
        return {data, {}};
    case 3:
        return zprava(udalost, "Change in CTS Detected");
    case 4:
        return zprava(udalost, "Change in DSR Detected");
    case 5:
        return zprava(udalost, "Change in CD Detected");
    case 6:
        return zprava(udalost, "The Phone is Ringing");
    case 7:
        return zprava(udalost, "End of File Detected");
    case 1001:
        return zprava(udalost, "Break Received");
    case 1002:
        return zprava(chyba, "CTS Timeout");
    case 1003:
        return zprava(chyba, "DSR Timeout");
    case 1004:
        return zprava(udalost, "Framing Error");
    case 1006:
        return zprava(chyba, "Overrun Error");
    case 1007:
        return zprava(chyba, "Carrier Detect Timeout");
    case 1008:
        return zprava(chyba, "Receive Buffer Overflow");
    case 1009:
        return zprava(udalost, "Parity Error");
    case 1010:
        return zprava(chyba, "Transmit Buffer Full");
    default:
        return zprava(chyba, "Unknown error or event");
    }
}

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
    zavri();
    if (cislo < 1)
        return vysledek_otevreni::chyba;
    port_.setPortName(cesta_serioveho_portu(cislo));
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    // While a message box holds up the reading, the port keeps no more than the receiver would.
    port_.setReadBufferSize(prijimac::nejvetsi_fronta);
    if (port_.open(QIODevice::ReadWrite)) {
        // Bytes left on the line from before are no reply to anything this program sent.
        port_.clear();
        port_.clearError();
        return vysledek_otevreni::ok;
    }
    const auto chyba = port_.error();
    port_.clearError();
    return chyba == QSerialPort::PermissionError ? vysledek_otevreni::obsazen
                                                 : vysledek_otevreni::chyba;
}

void seriovy_port::zavri() {
    if (port_.isOpen())
        port_.close();
    port_.clearError();
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
        emit zapsano(vyslo);
}

void seriovy_port::cti() {
    // The handling of the data may open a message box, and the port does not report new data
    // while it is still reporting these: whatever came meanwhile is read here once it returns.
    while (port_.isOpen() && port_.bytesAvailable() > 0)
        emit prijata_data(port_.readAll());
}

void seriovy_port::chyba_portu(QSerialPort::SerialPortError chyba) {
    // Errors reported while opening are the caller's business (the result of otevri).
    if (!port_.isOpen())
        return;
    const udalost_linky u = klasifikuj_chybu_portu(chyba);
    if (u.skupina == skupina_udalosti::ignorovano)
        return;
    if (chyba == QSerialPort::ResourceError || chyba == QSerialPort::ReadError) {
        // The device is gone and would report itself again on every notification.
        port_.close();
    }
    port_.clearError();
    emit udalost(u);
}

} // namespace tarvik
