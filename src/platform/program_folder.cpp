#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shlobj.h>
#endif

namespace tarvik {

namespace {
QString& nahradni_slozka() {
    static QString slozka;
    return slozka;
}

#ifdef Q_OS_WIN
// %ProgramData%: the folder for data that every user of the machine shares.
QString spolecna_data() {
    if (const QString promenna = qEnvironmentVariable("ProgramData"); !promenna.isEmpty())
        return QDir::fromNativeSeparators(promenna);
    PWSTR cesta = nullptr;
    QString slozka;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &cesta)))
        slozka = QDir::fromNativeSeparators(QString::fromWCharArray(cesta));
    ::CoTaskMemFree(cesta);
    return slozka;
}
#endif
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
    // Qt adds the executable's folder to the plugin folders as the application object is made,
    // and the platform plugin is loaded from them right after. Only a folder that was among them
    // before and that the program has taken out stays out then: so the folder is given to Qt
    // first (through the variable that adds plugin folders, read here and nowhere later), and the
    // list is then set to the system's folder alone.
    const QString vlastni = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QByteArray promenna = qgetenv("QT_PLUGIN_PATH");
    qputenv("QT_PLUGIN_PATH", QFile::encodeName(vlastni));
    QCoreApplication::setLibraryPaths({QLibraryInfo::path(QLibraryInfo::PluginsPath)});
    if (promenna.isNull())
        qunsetenv("QT_PLUGIN_PATH");
    else
        qputenv("QT_PLUGIN_PATH", promenna);
#endif
}

QString cesta_konfigurace() {
    const QString vedle_programu = slozka_programu() + QStringLiteral("/tarvik.ini");
#ifdef Q_OS_WIN
    if (QFileInfo::exists(vedle_programu))
        return vedle_programu;
    const QString data = spolecna_data();
    if (!data.isEmpty() && QFileInfo(data + QStringLiteral("/Tarvik")).isDir())
        return data + QStringLiteral("/Tarvik/tarvik.ini");
#endif
    return vedle_programu;
}

} // namespace tarvik
