#include "dialogs/frm_zalozky.h"

#include "config/config_file.h"
#include "platform/dialog_buttons.h"
#include "platform/message_box.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tarvik {

namespace {
constexpr int max_delka_nazvu = kapacita::nazev - 1; // the longest caption the program reads
} // namespace

frm_zalozky::frm_zalozky(const QString& cesta_ini, std::function<void()> inicializuj_zalozky,
                         QWidget* rodic)
    : QDialog(rodic), cesta_ini_(cesta_ini), inicializuj_zalozky_(std::move(inicializuj_zalozky)) {
    setWindowTitle(QStringLiteral("Tarvik - úprava záložek"));

    // One row per tab: the label above the caption field, the check box to the right.
    auto* radky = new QGridLayout;
    for (int i = 0; i < pocet_zalozek; ++i) {
        auto* label = new QLabel(QStringLiteral("název %1. záložky:").arg(i + 1), this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        Text1_[i] = new QLineEdit(this);
        Text1_[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1_[i]->setMaxLength(max_delka_nazvu);
        label->setBuddy(Text1_[i]);
        Check1_[i] = new QCheckBox(QStringLiteral("aktivuj záložku"), this);
        Check1_[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        // The five boxes read alike: a screen reader hears which tab each one shows. They come
        // first in the tab order, before the fields whose labels number the tabs.
        Check1_[i]->setAccessibleName(QStringLiteral("aktivuj záložku %1").arg(i + 1));
        Text1_[i]->setAccessibleName(QStringLiteral("název %1. záložky").arg(i + 1));
        radky->addWidget(label, 2 * i, 0);
        radky->addWidget(Text1_[i], 2 * i + 1, 0);
        radky->addWidget(Check1_[i], 2 * i + 1, 1);
    }

    const auto [cmd_uloz, cmd_storno] =
        zapoj_textova_tlacitka(this, QStringLiteral("ulož"), QStringLiteral("cmd_uloz"),
                               QStringLiteral("cmd_storno"), [this] { cmd_uloz_Click(); });
    auto* tlacitka = new QHBoxLayout;
    tlacitka->addWidget(cmd_uloz);
    tlacitka->addWidget(cmd_storno);
    tlacitka->addStretch();

    auto* hlavni = new QVBoxLayout(this);
    hlavni->addLayout(radky);
    hlavni->addLayout(tlacitka);
    hlavni->setSizeConstraint(QLayout::SetFixedSize);

    // Tab order: the five check boxes, the five captions, then the buttons.
    QList<QWidget*> poradi(Check1_.begin(), Check1_.end());
    poradi.append(QList<QWidget*>(Text1_.begin(), Text1_.end()));
    poradi << cmd_uloz << cmd_storno;
    for (qsizetype i = 1; i < poradi.size(); ++i)
        setTabOrder(poradi[i - 1], poradi[i]);
    Check1_[0]->setFocus();

    nacti();
}

void frm_zalozky::nacti() {
    const cteni_konfigurace konfigurace(cesta_ini_);
    for (int i = 0; i < pocet_zalozek; ++i) {
        const int n = i + 1;
        Text1_[i]->setText(konfigurace.nazev_zalozky(n));
        Check1_[i]->setChecked(konfigurace.zalozka_aktivni(n));
    }
}

void frm_zalozky::cmd_uloz_Click() {
    const bool nektera_aktivni =
        std::any_of(Check1_.begin(), Check1_.end(), [](QCheckBox* c) { return c->isChecked(); });
    if (!nektera_aktivni) {
        zobraz_chybu(this, QStringLiteral("Alespoň jedna záložka musí být aktivní."));
        return;
    }
    bool ulozeno = true;
    for (int i = 0; i < pocet_zalozek; ++i) {
        const int n = i + 1;
        ulozeno &= zapis_nazev_zalozky(cesta_ini_, n, Text1_[i]->text());
        ulozeno &= zapis_zalozka_aktivni(cesta_ini_, n, Check1_[i]->isChecked());
    }
    // One message for the whole dialog; the tabs then show what the file holds.
    if (!ulozeno)
        zobraz_chybu(this, zprava_zmena_neulozena);
    if (inicializuj_zalozky_)
        inicializuj_zalozky_();
    accept();
}

} // namespace tarvik
