#include "support/temp_folder.h"

#include "platform/program_folder.h"

#include <QFile>

namespace tarvik::test {

temp_folder::temp_folder() {
    nastav_slozku_programu(dir_.path());
}

temp_folder::~temp_folder() {
    nastav_slozku_programu({});
}

void temp_folder::write(const QString& name, const QByteArray& content) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray temp_folder::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace tarvik::test
