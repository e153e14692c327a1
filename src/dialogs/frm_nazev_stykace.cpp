#include "dialogs/frm_nazev_stykace.h"

#include "config/config_file.h"
#include "platform/dialog_buttons.h"
#include "platform/message_box.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvik {

namespace {
constexpr int max_delka_nazvu = kapacita::stykac - 1; // the longest name the program reads
} // namespace

frm_nazev_stykace::frm_nazev_stykace(const QString& cesta_ini, const QString& cislo,
                                     const QString& nazev, QWidget* rodic)
    : QDialog(rodic), cesta_ini_(cesta_ini), cislo_(cislo) {
    setWindowTitle(QStringLiteral("Tarvik - zadejte název stykače"));

    auto* Label1 = new QLabel(QStringLiteral("č. stykače:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto* Text2 = new QLineEdit(cislo, this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setReadOnly(true);
    QFont tucne = Text2->font();
    tucne.setBold(true);
    Text2->setFont(tucne);
    Text2->setFixedWidth(Text2->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    Label1->setBuddy(Text2);

    auto* Label2 = new QLabel(QStringLiteral("název stykače:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Text1_ = new QLineEdit(this);
    Text1_->setObjectName(QStringLiteral("Text1"));
    Text1_->setMaxLength(max_delka_nazvu);
    Text1_->setText(nazev);
    Text1_->setMinimumWidth(Text1_->fontMetrics().averageCharWidth() * (max_delka_nazvu + 2));
    Text1_->installEventFilter(this);
    Label2->setBuddy(Text1_);

    const auto [Command1, Command2] =
        zapoj_textova_tlacitka(this, QStringLiteral("ulož"), QStringLiteral("Command1"),
                               QStringLiteral("Command2"), [this] { Command1_Click(); });
    auto* tlacitka = new QHBoxLayout;
    tlacitka->addWidget(Command1);
    tlacitka->addWidget(Command2);

    // The narrow number at the left, the name to its right, each under its label.
    auto* pole = new QGridLayout;
    pole->addWidget(Label1, 0, 0);
    pole->addWidget(Text2, 1, 0);
    pole->addWidget(Label2, 0, 1);
    pole->addWidget(Text1_, 1, 1);
    tlacitka->addStretch();
    auto* hlavni = new QVBoxLayout(this);
    hlavni->addLayout(pole);
    hlavni->addLayout(tlacitka);
    hlavni->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(Text1_, Text2);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Command2);
    Text1_->setFocus();
}

bool frm_nazev_stykace::eventFilter(QObject* objekt, QEvent* udalost) {
    // Whenever the name field gets the focus its whole text is selected, so typing replaces the
    // name. A mouse click would move the cursor right after the focus arrives, so in that case
    // the selection is made again once the click has been handled.
    if (objekt == Text1_ && udalost->type() == QEvent::FocusIn) {
        Text1_->selectAll();
        if (static_cast<QFocusEvent*>(udalost)->reason() == Qt::MouseFocusReason)
            QMetaObject::invokeMethod(Text1_, &QLineEdit::selectAll, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(objekt, udalost);
}

void frm_nazev_stykace::Command1_Click() {
    const QString nazev = Text1_->text();
    if (!zapis_nazev_stykace(cesta_ini_, cislo_, nazev)) {
        zobraz_chybu(this, zprava_zmena_neulozena);
        reject();
        return;
    }
    Q_EMIT nazev_ulozen(nazev);
    accept();
}

} // namespace tarvik
