#include "platform/help_viewer.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tarvik {

namespace {
QPointer<QWidget>& okno() {
    static QPointer<QWidget> p;
    return p;
}

// The help window: "Zpět" and "Obsah" above the text; Esc closes it.
QWidget* vytvor_okno(QWidget* rodic) {
    auto* o = new QWidget(rodic, Qt::Window);
    o->setAttribute(Qt::WA_DeleteOnClose);
    o->resize(640, 560);
    auto* zpet = new QPushButton(QStringLiteral("&Zpět"), o);
    zpet->setObjectName(QStringLiteral("zpet"));
    zpet->setEnabled(false);
    auto* obsah = new QPushButton(QStringLiteral("&Obsah"), o);
    obsah->setObjectName(QStringLiteral("obsah"));
    auto* text = new QTextBrowser(o);
    text->setOpenExternalLinks(false);
    QObject::connect(zpet, &QPushButton::clicked, text, &QTextBrowser::backward);
    QObject::connect(text, &QTextBrowser::backwardAvailable, zpet, &QPushButton::setEnabled);
    QObject::connect(obsah, &QPushButton::clicked, text,
                     [text] { text->scrollToAnchor(QStringLiteral("obsah")); });
    auto* tlacitka = new QHBoxLayout;
    tlacitka->addWidget(zpet);
    tlacitka->addWidget(obsah);
    tlacitka->addStretch();
    auto* sloupec = new QVBoxLayout(o);
    sloupec->addLayout(tlacitka);
    sloupec->addWidget(text);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), o);
    QObject::connect(esc, &QShortcut::activated, o, &QWidget::close);
    // Over the middle of the program's window, not in a corner of the screen.
    if (rodic) {
        QRect r(QPoint(), o->size());
        r.moveCenter(rodic->window()->frameGeometry().center());
        o->move(r.topLeft());
    }
    text->setFocus();
    return o;
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

    if (!okno())
        okno() = vytvor_okno(rodic);
    QWidget* o = okno();
    auto* text = o->findChild<QTextBrowser*>();
    text->setSearchPaths({QFileInfo(cesta).absolutePath()});
    text->setHtml(QString::fromUtf8(obsah));
    o->setWindowTitle(text->documentTitle().isEmpty() ? QStringLiteral("Tarvik - nápověda")
                                                      : text->documentTitle());
    text->scrollToAnchor(QStringLiteral("obsah"));
    o->show();
    o->raise();
    o->activateWindow();
    return true;
}

QWidget* okno_napovedy() {
    return okno();
}

} // namespace tarvik
