#include "platform/program_folder.h"

#include <QCoreApplication>

namespace tarvik {

namespace {
QString& nahradni_slozka() {
    static QString slozka;
    return slozka;
}
} // namespace

QString slozka_programu() {
    if (!nahradni_slozka().isEmpty())
        return nahradni_slozka();
    return QCoreApplication::applicationDirPath();
}

void nastav_slozku_programu(const QString& slozka) {
    nahradni_slozka() = slozka;
}

void pluginy_jen_ze_systemu() {
#ifndef Q_OS_WIN
    QCoreApplication::removeLibraryPath(QCoreApplication::applicationDirPath());
#endif
}

} // namespace tarvik
