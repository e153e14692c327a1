#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tarvik {

namespace {

// Installs a catalogue once, by its name; returns whether it is installed.
bool nainstaluj(const QString& jmeno, const QString& soubor, const QString& slozka) {
    auto* aplikace = QCoreApplication::instance();
    if (aplikace->findChild<QTranslator*>(jmeno, Qt::FindDirectChildrenOnly))
        return true;
    auto* preklad = new QTranslator(aplikace);
    preklad->setObjectName(jmeno);
    if (!preklad->load(soubor, slozka) || !QCoreApplication::installTranslator(preklad)) {
        delete preklad;
        return false;
    }
    return true;
}

} // namespace

bool nacti_ceske_texty_qt() {
    if (!QCoreApplication::instance())
        return false;
    const bool qt = nainstaluj(QStringLiteral("tarvik_qtbase_cs"), QStringLiteral("qtbase_cs"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    // Ours after Qt's: the catalogue installed last is asked first.
    nainstaluj(QStringLiteral("tarvik_qt_cs_doplnky"), QStringLiteral("qt_cs_doplnky"),
               QStringLiteral(":/preklady"));
    return qt;
}

} // namespace tarvik
