#include "platform/help_viewer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tarvik {

namespace {
QPointer<QWidget>& okno() {
    static QPointer<QWidget> p;
    return p;
}

// The help window: "Zpět" and "Obsah" above the text; Esc closes it.
class okno_s_napovedou final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void keyPressEvent(QKeyEvent* udalost) override {
        if (udalost->key() == Qt::Key_Escape && udalost->modifiers() == Qt::NoModifier)
            close();
        else
            QWidget::keyPressEvent(udalost);
    }
};

// The manual as this system's operator reads it.
class text_napovedy final : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    QVariant loadResource(int typ, const QUrl& adresa) override {
        QVariant obsah = QTextBrowser::loadResource(typ, adresa);
        if (typ != QTextDocument::HtmlResource || !obsah.canConvert<QByteArray>())
            return obsah;
        return napoveda_pro_system(QString::fromUtf8(obsah.toByteArray()), QSysInfo::kernelType());
    }
};

QWidget* vytvor_okno(QWidget* rodic) {
    auto* o = new okno_s_napovedou(rodic, Qt::Window);
    o->setAttribute(Qt::WA_DeleteOnClose);
    o->resize(640, 560);
    auto* zpet = new QPushButton(QStringLiteral("&Zpět"), o);
    zpet->setObjectName(QStringLiteral("zpet"));
    zpet->setEnabled(false);
    auto* obsah = new QPushButton(QStringLiteral("&Obsah"), o);
    obsah->setObjectName(QStringLiteral("obsah"));
    auto* text = new text_napovedy(o);
    text->setOpenExternalLinks(false);
    QObject::connect(zpet, &QPushButton::clicked, text, &QTextBrowser::backward);
    QObject::connect(text, &QTextBrowser::backwardAvailable, zpet, &QPushButton::setEnabled);
    QObject::connect(obsah, &QPushButton::clicked, text, &QTextBrowser::home);
    auto* tlacitka = new QHBoxLayout;
    tlacitka->addWidget(zpet);
    tlacitka->addWidget(obsah);
    tlacitka->addStretch();
    auto* sloupec = new QVBoxLayout(o);
    sloupec->addLayout(tlacitka);
    sloupec->addWidget(text);
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

QString napoveda_pro_system(const QString& html, const QString& system) {
    const QString jiny =
        system == QLatin1String("winnt") ? QStringLiteral("linux") : QStringLiteral("windows");
    QString vysledek = html;
    vysledek.remove(QRegularExpression(
        QStringLiteral("<(div|p|li|span)\\s+class=\"jen-%1\">.*?</\\1>").arg(jiny),
        QRegularExpression::DotMatchesEverythingOption));
    vysledek.replace(
        QRegularExpression(QStringLiteral("(<span id=\"verze-sestaveni\">)[^<]*(</span>)")),
        QStringLiteral("\\1") + QCoreApplication::applicationVersion().toHtmlEscaped() +
            QStringLiteral("\\2"));
    return vysledek;
}

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
    // Opened at its contents, which "Obsah" returns to; the links followed make the history.
    QUrl zacatek = QUrl::fromLocalFile(QFileInfo(cesta).absoluteFilePath());
    zacatek.setFragment(QStringLiteral("obsah"));
    text->clearHistory();
    text->setSource(zacatek, QTextDocument::HtmlResource);
    o->setWindowTitle(text->documentTitle().isEmpty() ? QStringLiteral("Tarvik - nápověda")
                                                      : text->documentTitle());
    o->show();
    o->raise();
    o->activateWindow();
    return true;
}

QWidget* okno_napovedy() {
    return okno();
}

} // namespace tarvik
