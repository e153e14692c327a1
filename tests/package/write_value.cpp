// The program's own configuration writer and checks, one call each, as an operator's change in a
// dialog makes them: the package test runs it in the installed system against
// /opt/tarvik/tarvik.ini, and the configuration test kills it in the middle of its writes.
//   tarvik_zapis_hodnoty FILE SECTION KEY VALUE     writes one value
//   tarvik_zapis_hodnoty --stav FILE                prints what start-up would say of the file:
//                                                   chybi, poskozena or v-poradku
//   tarvik_zapis_hodnoty --obnov BACKUP FILE        restores FILE from BACKUP
//   tarvik_zapis_hodnoty --smycka FILE (SECTION KEY VALUE)...
//                                                   writes the values in turn, without end
//   tarvik_zapis_hodnoty --rada FILE SECTION PREFIX N
//                                                   writes PREFIX0=0 to PREFIX<N-1>=N-1 in turn,
//                                                   failing when one of them fails

#include "config/backup.h"
#include "config/config_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const auto arg = [argv](int i) { return QString::fromLocal8Bit(argv[i]); };
    if (argc == 3 && std::strcmp(argv[1], "--stav") == 0) {
        std::puts(!tarvik::konfigurace_existuje(arg(2))   ? "chybi"
                  : tarvik::konfigurace_poskozena(arg(2)) ? "poskozena"
                                                          : "v-poradku");
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--obnov") == 0)
        return tarvik::obnov_soubor(arg(2), arg(3)) == tarvik::vysledek_kopie::hotovo ? 0 : 1;
    if (argc >= 6 && (argc - 3) % 3 == 0 && std::strcmp(argv[1], "--smycka") == 0) {
        for (int i = 3;; i = i + 3 < argc ? i + 3 : 3)
            tarvik::zapis_hodnotu(arg(2), arg(i), arg(i + 1), arg(i + 2));
    }
    if (argc == 6 && std::strcmp(argv[1], "--rada") == 0) {
        for (int i = 0; i < std::atoi(argv[5]); ++i)
            if (!tarvik::zapis_hodnotu(arg(2), arg(3), arg(4) + QString::number(i),
                                       QString::number(i)))
                return 1;
        return 0;
    }
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: %s FILE SECTION KEY VALUE (or --stav, --obnov, --smycka, --rada)\n",
                     argv[0]);
        return 2;
    }
    return tarvik::zapis_hodnotu(arg(1), arg(2), arg(3), arg(4)) ? 0 : 1;
}
