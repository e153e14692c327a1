#include "platform/help_viewer.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>

namespace tarvik {

namespace {
QPointer<QTextBrowser>& prohlizec() {
    static QPointer<QTextBrowser> p;
    return p;
}
constexpr qint64 nejvetsi_napoveda = 16 * 1024 * 1024;
} // namespace

bool zobraz_napovedu(QWidget* rodic, const QString& cesta) {
    QFile soubor(cesta);
    if (!QFileInfo(cesta).isFile() || soubor.size() > nejvetsi_napoveda ||
        !soubor.open(QIODevice::ReadOnly))
        return false;
    const QByteArray obsah = soubor.readAll();
    if (soubor.error() != QFileDevice::NoError)
        return false;

    if (!prohlizec()) {
        auto* okno = new QTextBrowser(rodic);
        okno->setWindowFlag(Qt::Window);
        okno->setAttribute(Qt::WA_DeleteOnClose);
        okno->setOpenExternalLinks(false);
        okno->resize(640, 560);
        prohlizec() = okno;
    }
    QTextBrowser* okno = prohlizec();
    okno->setSearchPaths({QFileInfo(cesta).absolutePath()});
    okno->setHtml(QString::fromUtf8(obsah));
    okno->setWindowTitle(okno->documentTitle().isEmpty() ? QStringLiteral("Tarvik - nápověda")
                                                         : okno->documentTitle());
    okno->scrollToAnchor(QStringLiteral("obsah"));
    okno->show();
    okno->raise();
    okno->activateWindow();
    return true;
}

QWidget* okno_napovedy() {
    return prohlizec();
}

} // namespace tarvik
