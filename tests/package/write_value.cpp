// Writes one value of a configuration file with the program's own writer, as an operator's change
// in a dialog does: the package test runs it in the installed system against
// /opt/tarvik/tarvik.ini. Usage: tarvik_zapis_hodnoty FILE SECTION KEY VALUE

#include "config/config_file.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s FILE SECTION KEY VALUE\n", argv[0]);
        return 2;
    }
    const auto arg = [argv](int i) { return QString::fromLocal8Bit(argv[i]); };
    return tarvik::zapis_hodnotu(arg(1), arg(2), arg(3), arg(4)) ? 0 : 1;
}
