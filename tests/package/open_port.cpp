// Opens serial port COM<n> of a program folder as the program does and says how it went: "ok", or
// "obsazen" (in use) or "chyba" (failed) and the line that the program's message adds. The package
// test runs it as an operator in the throw-away system.
// Usage: tarvik_otevri_port FOLDER N; exit code 0, 1 (in use) or 2 (failed).

#include "link/serial_port.h"
#include "platform/program_folder.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication aplikace(argc, argv);
    if (argc != 3) {
        std::fputs("usage: tarvik_otevri_port FOLDER N\n", stderr);
        return 64;
    }
    tarvik::nastav_slozku_programu(QString::fromLocal8Bit(argv[1]));
    tarvik::seriovy_port port;
    const int vysledek = int(port.otevri(QByteArray(argv[2]).toInt()));
    const char* slova[] = {"ok", "obsazen", "chyba"};
    std::printf("%s %s\n", slova[vysledek], port.rada().toUtf8().constData());
    return vysledek;
}
