// Device paths, the part that every system shares: what makes a folder a backup medium. Where
// each system finds its ports and its medium is in devices_linux.cpp and devices_win.cpp.

#include "platform/devices.h"

#include "platform/devices_p.h"
#include "platform/files.h"
#include "platform/program_folder.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace tarvik {

namespace {
// Whether `slozka` is a folder on a mounted file system other than the one that holds the
// configuration file. A folder on the same file system (an empty mount point, a folder beside the
// program) is no medium: a copy there would be reported as a backup and lost with the disk.
bool je_na_jinem_svazku(const QString& slozka) {
    if (slozka.isEmpty() || !QFileInfo(slozka).isDir())
        return false;
    const QStorageInfo medium(slozka);
    const QString ini = konec_odkazu(cesta_konfigurace());
    const QStorageInfo konfigurace(QFileInfo(ini).absolutePath());
    return medium.isValid() && konfigurace.isValid() && medium.rootPath() != konfigurace.rootPath();
}
} // namespace

QString cesta_zalohy() {
    const QString slozka = slozka_zalohy();
    if (!je_na_jinem_svazku(slozka))
        return {};
    return slozka +
           (slozka.endsWith(u'/') ? QStringLiteral("tarvik.ini") : QStringLiteral("/tarvik.ini"));
}

} // namespace tarvik
