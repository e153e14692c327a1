// What differs on Windows, run under Wine: where the configuration lives (the operators' folder of
// an installed program, or tarvik.ini beside the program), drive a: as the backup medium, and the
// serial link through a COM port above COM9 to the controller simulator.

#include "config/backup.h"
#include "config/config_file.h"
#include "link/serial_port.h"
#include "platform/devices.h"
#include "platform/program_folder.h"
#include "support/rows.h"
#include "support/temp_folder.h"

#include <QtTest>
#include <qt_windows.h>

using namespace tarvik;
using namespace Qt::StringLiterals;
using tarvik::test::radek;

namespace {

// %ProgramData% for the lifetime of the object.
class spolecna_data {
public:
    explicit spolecna_data(const QString& slozka) : puvodni_(qgetenv("ProgramData")) {
        qputenv("ProgramData", QDir::toNativeSeparators(slozka).toLocal8Bit());
    }
    ~spolecna_data() { qputenv("ProgramData", puvodni_); }

private:
    QByteArray puvodni_;
};

bool pod_wine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

QByteArray precti(const QString& cesta) {
    QFile f(cesta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_windows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Whether tarvik.ini lies beside the program, whether the setup program made the operators'
    // folder Tarvik in %ProgramData%; where the configuration is.
    void konfigurace_data() {
        test::sloupce<bool, bool, QString>({"vedle", "slozka_dat", "kde"});
        radek("installed: the operators' folder", false, true, "data/Tarvik/tarvik.ini");
        radek("the old layout beside the program comes first", true, true, "program/tarvik.ini");
        radek("a portable copy", false, false, "program/tarvik.ini");
    }

    void konfigurace() {
        const auto [vedle, slozka_dat, kde] = test::hodnoty<bool, bool, QString>();
        test::docasna_slozka slozka;
        const QDir dir(slozka.path());
        QVERIFY(dir.mkpath("program") && dir.mkpath(slozka_dat ? "data/Tarvik" : "data"));
        if (vedle)
            slozka.write("program/tarvik.ini", vychozi_konfigurace());
        const spolecna_data data(slozka.file("data"));
        nastav_slozku_programu(slozka.file("program"));
        QCOMPARE(cesta_konfigurace(), slozka.file(kde));
    }

    // Drive a: (under Wine an empty folder of the tests' own; never a real diskette, whose backup
    // would be overwritten): the configuration on drive C: goes there byte for byte and comes
    // back; a configuration kept on drive a: itself has no medium to go to.
    void disketa() {
        if (qEnvironmentVariableIsEmpty("TARVIK_TEST_MEDIUM"))
            QSKIP("drive a: is not the tests' own (tests/windows/wine_run.sh gives it one)");
        test::docasna_slozka slozka;
        const QByteArray stara = vychozi_konfigurace() + "[zalozky]\r\nzalozka1=\x8A"
                                                         "achta \xE8.1\r\n"_ba;
        slozka.write("tarvik.ini", stara);
        QCOMPARE(cesta_zalohy(), u"a:/tarvik.ini"_s);
        QCOMPARE(zalohuj_soubor(slozka.ini(), cesta_zalohy()), vysledek_kopie::hotovo);
        slozka.write("tarvik.ini", "[system]\r\nheslo=1\r\n");
        QCOMPARE(obnov_soubor(cesta_zalohy(), slozka.ini()), vysledek_kopie::hotovo);
        QCOMPARE(std::pair(precti("a:/tarvik.ini"), slozka.read("tarvik.ini")),
                 std::pair(stara, stara));

        QTemporaryDir na_diskete(u"a:/tarvik-XXXXXX"_s);
        QVERIFY(na_diskete.isValid());
        nastav_slozku_programu(na_diskete.path());
        QCOMPARE(cesta_zalohy(), QString());
        nastav_slozku_programu({});
    }

    // The simulator (tests/windows/with_simulator.sh starts it, contactors 1 and 6 on) on a COM
    // port above COM9: the status query's reply, a switch command and its acknowledgement, the
    // changed status. The port is the program's alone while it is open; closed, it opens again.
    void linka() {
        const int cislo = qEnvironmentVariableIntValue("TARVIK_SIM_PORT");
        if (cislo < 10)
            QSKIP("no simulator on a port above COM9 (tests/windows/with_simulator.sh)");
        seriovy_port port, druhy;
        QByteArray prijato;
        connect(&port, &seriovy_port::prijata_data, this,
                [&prijato](const QByteArray& data) { prijato += data; });
        QCOMPARE(port.otevri(cislo), vysledek_otevreni::ok);
        // Wine hands out a second handle of an open port (Windows never does), which would then
        // take part of the replies.
        if (!pod_wine())
            QCOMPARE(druhy.otevri(cislo), vysledek_otevreni::obsazen);

        const QByteArray zbytek(121, '0');
        const std::pair<QByteArray, QByteArray> vymeny[] = {
            {"XA\r\n", "XS0100001" + zbytek + "\r\n"},
            {"XW005=1\r\n", "XR005=1\r\n"},
            {"XA\r\n", "XS0100011" + zbytek + "\r\n"},
        };
        for (const auto& [prikaz, odpoved] : vymeny) {
            prijato.clear();
            port.posli(prikaz);
            QTRY_COMPARE_WITH_TIMEOUT(prijato, odpoved, 5000);
        }
        port.zavri();
        QCOMPARE(druhy.otevri(cislo), vysledek_otevreni::ok);
    }
};

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"
