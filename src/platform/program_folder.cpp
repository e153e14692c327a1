// The program's folder and its configuration file, the part that every system shares. What each
// system adds is in program_folder_linux.cpp and program_folder_win.cpp.

#include "platform/program_folder.h"

#include "platform/program_folder_p.h"

#include <QCoreApplication>
#include <QFileInfo>

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

QString cesta_konfigurace() {
    const QString vedle_programu = slozka_programu() + QStringLiteral("/tarvik.ini");
    if (QFileInfo::exists(vedle_programu))
        return vedle_programu;
    const QString jinde = konfigurace_mimo_program();
    return jinde.isEmpty() ? vedle_programu : jinde;
}

} // namespace tarvik
