// The program's folder on Windows: the operators' folder for the configuration under
// %ProgramData%.

#include "platform/program_folder.h"

#include "platform/program_folder_p.h"

#include <QDir>
#include <QFileInfo>
#include <qt_windows.h>
#include <shlobj.h>

namespace tarvik {

namespace {
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
} // namespace

void pluginy_jen_ze_systemu() {
    // The plugins live beside the program, in a folder only administrators write.
}

QString konfigurace_mimo_program() {
    const QString data = spolecna_data();
    if (!data.isEmpty() && QFileInfo(data + QStringLiteral("/Tarvik")).isDir())
        return data + QStringLiteral("/Tarvik/tarvik.ini");
    return {};
}

} // namespace tarvik
