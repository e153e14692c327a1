#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tarvik {

bool nacti_ceske_texty_qt() {
    auto* aplikace = QCoreApplication::instance();
    if (!aplikace)
        return false;
    static const auto jmeno = QStringLiteral("tarvik_qtbase_cs");
    if (aplikace->findChild<QTranslator*>(jmeno, Qt::FindDirectChildrenOnly))
        return true;
    auto* preklad = new QTranslator(aplikace);
    preklad->setObjectName(jmeno);
    if (!preklad->load(QStringLiteral("qtbase_cs"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(preklad)) {
        delete preklad;
        return false;
    }
    return true;
}

} // namespace tarvik
