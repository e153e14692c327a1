#include "access/frm_zmena_hesla.h"

#include "access/form_layout.h"
#include "access/hash_string.h"
#include "access/password_field.h"
#include "config/config_file.h"
#include "platform/message_box.h"

#include <QLabel>
#include <QLineEdit>

namespace tarvik {

using rozvrzeni::misto;

namespace {

// A password field, named for a screen reader by the text of its label.
QLineEdit* pole_hesla(const QString& nazev, const QString& popis, const QRect& kde,
                      QWidget* rodic) {
    auto* pole = new QLineEdit(rodic);
    pole->setObjectName(nazev);
    pole->setAccessibleName(popis);
    pole->setGeometry(kde);
    zobrazuj_hvezdicky(pole);
    pole->setMaxLength(frm_zmena_hesla::nejdelsi_heslo);
    return pole;
}

} // namespace

frm_zmena_hesla::frm_zmena_hesla(const QString& cesta_ini, QWidget* rodic)
    : QDialog(rodic), cesta_ini_(cesta_ini) {
    setWindowTitle(QStringLiteral("Tarvik - změna hesla"));
    setFixedSize(z_twipu(3885), z_twipu(3195));

    rozvrzeni::popisek(QStringLiteral("Label1"), QStringLiteral("nové heslo:"),
                       misto(720, 240, 1215, 255), this);
    nove_heslo_ = pole_hesla(QStringLiteral("nove_heslo"), QStringLiteral("nové heslo"),
                             misto(720, 480, 2295, 285), this);

    rozvrzeni::popisek(QStringLiteral("Label2"), QStringLiteral("nové heslo znovu:"),
                       misto(720, 960, 1575, 255), this);
    nove_heslo_znovu_ =
        pole_hesla(QStringLiteral("nove_heslo_znovu"), QStringLiteral("nové heslo znovu"),
                   misto(720, 1200, 2295, 285), this);

    auto* but_ok = rozvrzeni::tlacitka(this, QStringLiteral("but_ok"), misto(240, 2040, 1455, 855),
                                       QStringLiteral("but_storno"), misto(2160, 2040, 1455, 855),
                                       [this] { but_ok_Click(); });
    setTabOrder(nove_heslo_, nove_heslo_znovu_);
    setTabOrder(nove_heslo_znovu_, but_ok);
    nove_heslo_->setFocus();
}

void frm_zmena_hesla::but_ok_Click() {
    const QString heslo = nove_heslo_->text();
    if (heslo != nove_heslo_znovu_->text()) {
        zobraz_chybu(this, zprava_hesla_se_lisi);
        reject();
        return;
    }
    const auto hash = HashString(heslo);
    if (!hash) {
        zobraz_chybu(this, zprava_heslo_nelze_pouzit);
        reject();
        return;
    }
    if (!zapis_hash_hesla(cesta_ini_, *hash)) {
        // The old password stays valid: the administrator must know it.
        zobraz_chybu(this, zprava_zmena_neulozena);
        reject();
        return;
    }
    accept();
}

} // namespace tarvik
