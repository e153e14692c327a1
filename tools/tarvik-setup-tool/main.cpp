// What the Windows setup program asks of Tarvik's own code: the ports to offer, the configuration
// of a new installation (the port chosen and the password's hash, as the program writes and reads
// them), and whether Tarvik runs. The password comes in the environment variable TARVIK_HESLO, so
// that no other program sees it on a command line.
//
//   porty <file>             COM1 to COM9, one line each, a port that Windows has with its name
//                            ("COM3 – USB Serial Port"; one that Windows gives no name to is a
//                            "sériový port"); then the ports above COM9 on one line
//                            (empty when none); in UTF-16LE, as the setup program reads it
//   heslo                    exit 0 when the password can be stored, 3 when it cannot
//   konfigurace <ini> <com>  writes a new configuration: the default file with com=<1..9> and,
//                            when TARVIK_HESLO is set and not empty, the hash of that password;
//                            an existing file stays as it is (exit 2)
//   bezi                     exit 1 when a tarvik.exe runs, 0 when none does
//
// Exit 4: the command could not be done (a file not written); 64: a command line it does not know.

#include "access/hash_string.h"
#include "config/config_file.h"
#include "config/ini_text.h"
#include "platform/files.h"

#include <QCoreApplication>
#include <QFile>
#include <QSerialPortInfo>
#include <QStringList>
#include <cstdio>
#include <map>
#include <qt_windows.h>
#include <tlhelp32.h>

using namespace tarvik;

namespace {

constexpr int nejvyssi_port = 9; // the file keeps one digit

QString heslo_z_prostredi() {
    return qEnvironmentVariable("TARVIK_HESLO");
}

int porty(const QString& soubor) {
    std::map<int, QString> nalezene;
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
        bool cislo_ok = false;
        const int cislo = p.portName().mid(3).toInt(&cislo_ok);
        if (p.portName().startsWith(u"COM") && cislo_ok && cislo > 0)
            nalezene[cislo] = QStringLiteral("%1 – %2").arg(
                p.portName(),
                p.description().isEmpty() ? QStringLiteral("sériový port") : p.description());
    }
    QStringList radky;
    for (int cislo = 1; cislo <= nejvyssi_port; ++cislo)
        radky << (nalezene.contains(cislo) ? nalezene[cislo] : QStringLiteral("COM%1").arg(cislo));
    QStringList vyssi;
    for (const auto& [cislo, nazev] : nalezene)
        if (cislo > nejvyssi_port)
            vyssi << nazev;
    radky << vyssi.join(QStringLiteral(", "));

    QFile f(soubor);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 4;
    const QString text = radky.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    const QByteArray bajty(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return f.write(bajty) == bajty.size() && f.flush() ? 0 : 4;
}

std::optional<qint32> hash_hesla(const QString& heslo) {
    return heslo.size() <= nejdelsi_nove_heslo ? HashString(heslo) : std::nullopt;
}

int konfigurace(const QString& cesta, const QString& port) {
    bool cislo_ok = false;
    const int cislo = port.toInt(&cislo_ok);
    if (!cislo_ok || cislo < 1 || cislo > nejvyssi_port)
        return 64;
    std::optional<QByteArray> obsah =
        ini::nastav_hodnotu(vychozi_konfigurace(), "system", "com", QByteArray::number(cislo));
    const QString heslo = heslo_z_prostredi();
    if (obsah && !heslo.isEmpty()) {
        const auto hash = hash_hesla(heslo);
        if (!hash)
            return 3;
        obsah = ini::nastav_hodnotu(*obsah, "system", "heslo", QByteArray::number(*hash));
    }
    if (!obsah)
        return 4;
    bool existoval = false;
    const bool zapsano =
        zmen_soubor(cesta, nejvetsi_konfigurace,
                    [&](const precteny_soubor& stary) -> std::optional<novy_obsah> {
                        existoval = stary.stav != stav_cteni::chybi;
                        if (existoval)
                            return std::nullopt;
                        return novy_obsah{*obsah, {}};
                    });
    return existoval ? 2 : zapsano ? 0 : 4;
}

// Any tarvik.exe, wherever installed: an older copy that runs holds its files as well.
bool tarvik_bezi() {
    const HANDLE snimek = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snimek == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W proces{};
    proces.dwSize = sizeof proces;
    bool bezi = false;
    for (BOOL dalsi = ::Process32FirstW(snimek, &proces); dalsi && !bezi;
         dalsi = ::Process32NextW(snimek, &proces))
        bezi = QString::fromWCharArray(proces.szExeFile)
                   .compare(QStringLiteral("tarvik.exe"), Qt::CaseInsensitive) == 0;
    ::CloseHandle(snimek);
    return bezi;
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication aplikace(argc, argv);
    const QStringList argumenty = QCoreApplication::arguments().mid(1);
    const QString prikaz = argumenty.value(0);
    if (prikaz == u"porty" && argumenty.size() == 2)
        return porty(argumenty[1]);
    if (prikaz == u"heslo" && argumenty.size() == 1)
        return hash_hesla(heslo_z_prostredi()) ? 0 : 3;
    if (prikaz == u"konfigurace" && argumenty.size() == 3)
        return konfigurace(argumenty[1], argumenty[2]);
    if (prikaz == u"bezi" && argumenty.size() == 1)
        return tarvik_bezi() ? 1 : 0;
    std::fputs("tarvik-setup-tool porty <soubor> | heslo | konfigurace <ini> <com> | bezi\n",
               stderr);
    return 64;
}
