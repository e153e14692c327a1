// The program's folder on Linux: Qt's plugins from the system's folder alone.

#include "platform/program_folder.h"

#include "platform/program_folder_p.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>

namespace tarvik {

void pluginy_jen_ze_systemu() {
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
}

QString konfigurace_mimo_program() {
    // The package links tarvik.ini beside the program to the operators' folder.
    return {};
}

} // namespace tarvik
