#include "platform/serial_access.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <qt_windows.h>

namespace tarvik {

// A port is never shared on Windows: there are no lock files, and QSerialPort opens it by its name.
zamek_zarizeni::~zamek_zarizeni() = default;

std::optional<drzitel_zarizeni> zamek_zarizeni::zamkni(const QString&) {
    return std::nullopt;
}

QString zamek_zarizeni::jmeno_pro_qt(const QString& zarizeni) {
    return zarizeni;
}

void zamek_zarizeni::zahod_jmeno_pro_qt() {}

void zamek_zarizeni::uvolni() {}

int chyba_otevreni_zarizeni(const QString& zarizeni) {
    // A port that another program holds refuses a second handle.
    const HANDLE port =
        ::CreateFileW(reinterpret_cast<const wchar_t*>(zarizeni.utf16()),
                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port != INVALID_HANDLE_VALUE) {
        ::CloseHandle(port);
        return 0;
    }
    switch (::GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EBUSY;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    default:
        return EIO;
    }
}

QString rada_k_portu(const selhani_portu& s) {
    const QString ini = QDir::toNativeSeparators(cesta_konfigurace());
    if (s.cislo < 1)
        return QStringLiteral("Klíč com v sekci [system] souboru %1 nenese číslo portu 1 až 9; "
                              "správce ho opraví (například com=3).")
            .arg(ini);
    if (s.chyba == EBUSY)
        return QStringLiteral("COM%1 má otevřený jiný program. Ukončete ho.").arg(s.cislo);

    // The ports as Windows lists them, by number.
    QList<QSerialPortInfo> porty = QSerialPortInfo::availablePorts();
    const auto cislo = [](const QSerialPortInfo& p) { return p.portName().mid(3).toInt(); };
    std::sort(porty.begin(), porty.end(),
              [&](const auto& a, const auto& b) { return cislo(a) < cislo(b); });
    QStringList nazvy;
    int navrh = 0;
    bool vysoke = false;
    for (const QSerialPortInfo& p : porty) {
        nazvy << (p.description().isEmpty()
                      ? p.portName()
                      : QStringLiteral("%1 (%2)").arg(p.portName(), p.description()));
        if (cislo(p) >= 1 && cislo(p) <= 9 && !navrh)
            navrh = cislo(p);
        vysoke |= cislo(p) > 9;
    }
    QString text =
        QStringLiteral("COM%1 v tomto počítači není nebo ho nelze otevřít. ").arg(s.cislo);
    text += nazvy.isEmpty() ? QStringLiteral("Žádný sériový port tu není: připojte převodník. ")
                            : QStringLiteral("Porty v tomto počítači: %1. ").arg(nazvy.join(u", "));
    text += QStringLiteral("Správce zvolí port instalačním programem, nebo v souboru %1 (sekce "
                           "[system], com=%2)")
                .arg(ini)
                .arg(navrh ? navrh : s.cislo);
    // The file keeps one digit of the number.
    if (vysoke)
        text +=
            QStringLiteral("; port COM10 a vyšší tam zapsat nelze, převodníku dejte nižší číslo "
                           "ve Správci zařízení");
    return text + u'.';
}

} // namespace tarvik
