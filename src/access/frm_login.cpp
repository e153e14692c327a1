#include "access/frm_login.h"

#include "access/form_layout.h"
#include "access/hash_string.h"
#include "access/password_field.h"
#include "config/config_file.h"
#include "platform/message_box.h"

#include <QLabel>
#include <QLineEdit>

namespace tarvik {

using rozvrzeni::misto;

frm_login::frm_login(const QString& cesta_ini, std::function<void()> prijato, QWidget* rodic)
    : QDialog(rodic), cesta_ini_(cesta_ini), prijato_(std::move(prijato)) {
    setWindowTitle(QStringLiteral("Tarvik - login"));
    setFixedSize(z_twipu(3750), z_twipu(1995));

    auto* lblLabels = rozvrzeni::popisek(QStringLiteral("lblLabels"), QStringLiteral("&Heslo:"),
                                         misto(105, 240, 720, 270), this);

    txtPassword_ = new QLineEdit(this);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    txtPassword_->setGeometry(misto(1080, 120, 2325, 345));
    zobrazuj_hvezdicky(txtPassword_);
    txtPassword_->setMaxLength(nejdelsi_heslo);
    lblLabels->setBuddy(txtPassword_);

    auto* cmdOK = rozvrzeni::tlacitka(this, QStringLiteral("cmdOK"), misto(360, 840, 1380, 870),
                                      QStringLiteral("cmdCancel"), misto(2040, 840, 1380, 870),
                                      [this] { cmdOK_Click(); });
    setTabOrder(txtPassword_, cmdOK);
    txtPassword_->setFocus();
}

void frm_login::cmdOK_Click() {
    // A missing or unreadable hash matches no password, only the master password.
    if (heslo_prijato(cti_hash_hesla(cesta_ini_), txtPassword_->text())) {
        if (prijato_)
            prijato_();
        accept();
        return;
    }
    zobraz_zpravu(this, {.text = zprava_spatne_heslo,
                         .titulek = titulek_spatne_heslo,
                         .ikona = ikona_zpravy::kriticka});
    reject();
}

} // namespace tarvik
