#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace tarvik::test {

// A temporary program folder: set as the program's folder for the lifetime of the object.
class docasna_slozka {
public:
    docasna_slozka();
    ~docasna_slozka();
    docasna_slozka(const docasna_slozka&) = delete;
    docasna_slozka& operator=(const docasna_slozka&) = delete;

    QString path() const { return dir_.path(); }
    // A name relative to the folder, or an absolute path taken as it is.
    QString file(const QString& name) const {
        return QDir::isAbsolutePath(name) ? name : dir_.filePath(name);
    }
    QString ini() const { return file(QStringLiteral("tarvik.ini")); }

    void write(const QString& name, const QByteArray& content) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// The former name, still used by tests not yet moved to docasna_slozka.
using temp_folder = docasna_slozka;

} // namespace tarvik::test
