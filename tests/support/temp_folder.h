#pragma once

#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tarvik::test {

// A temporary program folder: set as the program's folder for the lifetime of the object.
class docasna_slozka {
public:
    docasna_slozka() { nastav_slozku_programu(dir_.path()); }
    ~docasna_slozka() { nastav_slozku_programu({}); }

    QString path() const { return dir_.path(); }
    // A name relative to the folder, or an absolute path taken as it is.
    QString file(const QString& name) const {
        return QDir::isAbsolutePath(name) ? name : dir_.filePath(name);
    }
    QString ini() const { return file(QStringLiteral("tarvik.ini")); }

    void write(const QString& name, const QByteArray& content) const {
        QFile f(file(name));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(content);
    }
    QByteArray read(const QString& name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_; // no copies: one program folder at a time
};

} // namespace tarvik::test
