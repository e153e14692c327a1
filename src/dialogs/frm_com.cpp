#include "dialogs/frm_com.h"

#include "config/config_file.h"
#include "platform/dialog_buttons.h"
#include "platform/message_box.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarvik {

frm_com::frm_com(const QString& cesta_ini, std::function<bool(int cislo)> prepni_port,
                 std::function<void(const QString& text)> nastav_panel2, QWidget* rodic)
    : QDialog(rodic), cesta_ini_(cesta_ini), prepni_port_(std::move(prepni_port)),
      nastav_panel2_(std::move(nastav_panel2)) {
    setWindowTitle(QStringLiteral("Tarvik - Volba COMu"));

    auto* Frame1 = new QGroupBox(QStringLiteral("zvolte COM pro ovládání stykačů"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* volby = new QHBoxLayout(Frame1);
    Option1_ = new QButtonGroup(this);
    for (int i = 0; i < pocet_portu; ++i) {
        auto* volba = new QRadioButton(QStringLiteral("COM %1").arg(i + 1), Frame1);
        volba->setObjectName(QStringLiteral("Option1_%1").arg(i));
        Option1_->addButton(volba, i);
        volby->addWidget(volba);
    }
    Option1_->button(0)->setChecked(true);

    const auto [bt_ok, bt_storno] =
        zapoj_textova_tlacitka(this, QStringLiteral("ok"), QStringLiteral("bt_ok"),
                               QStringLiteral("bt_storno"), [this] { bt_ok_Click(); });
    auto* tlacitka = new QHBoxLayout;
    tlacitka->addStretch();
    tlacitka->addWidget(bt_ok);
    tlacitka->addWidget(bt_storno);
    auto* hlavni = new QVBoxLayout(this);
    hlavni->addWidget(Frame1);
    hlavni->addLayout(tlacitka);
    hlavni->setSizeConstraint(QLayout::SetFixedSize);

    // Tab order: the buttons first, then the options; "ok" has the focus.
    setTabOrder(bt_ok, bt_storno);
    setTabOrder(bt_storno, Option1_->button(0));
    for (int i = 1; i < pocet_portu; ++i)
        setTabOrder(Option1_->button(i - 1), Option1_->button(i));
    bt_ok->setFocus();
}

void frm_com::bt_ok_Click() {
    const int port = Option1_->checkedId() + 1;
    if (!prepni_port_ || !prepni_port_(port)) {
        zobraz_chybu(this,
                     QStringLiteral("Zvolený port není systémem podporován. Zvolte jiný port."));
        return;
    }
    // The port is in use now; the next start opens the one the file names.
    if (!zapis_port(cesta_ini_, port))
        zobraz_chybu(this, zprava_zmena_neulozena);
    if (nastav_panel2_)
        nastav_panel2_(QStringLiteral("COM%1").arg(port));
    accept();
}

} // namespace tarvik
