// Writes the default configuration file (what a first start writes), so that the start-up
// measured under Wine is that of a configured program. Usage: default_ini FILE

#include "config/config_file.h"

#include <QFile>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    QFile ini(QString::fromLocal8Bit(argv[1]));
    return ini.open(QIODevice::WriteOnly) && ini.write(tarvik::vychozi_konfigurace()) > 0 ? 0 : 1;
}
