#include "platform/program_folder.h"

#include <QCoreApplication>

namespace tarvik {

namespace {
QString& override_folder() {
    static QString folder;
    return folder;
}
} // namespace

QString program_folder() {
    if (!override_folder().isEmpty())
        return override_folder();
    return QCoreApplication::applicationDirPath();
}

void set_program_folder(const QString& folder) {
    override_folder() = folder;
}

} // namespace tarvik
