#include "support/temp_folder.h"

#include "platform/program_folder.h"

#include <QFile>

namespace tarvik::test {

docasna_slozka::docasna_slozka() {
    nastav_slozku_programu(dir_.path());
}

docasna_slozka::~docasna_slozka() {
    nastav_slozku_programu({});
}

void docasna_slozka::write(const QString& name, const QByteArray& content) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray docasna_slozka::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace tarvik::test
