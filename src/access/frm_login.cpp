#include "access/frm_login.h"

#include "access/hash_string.h"
#include "access/rozvrzeni.h"
#include "config/config_file.h"
#include "platform/message_box.h"

#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <limits>
#include <optional>

namespace tarvik {

using rozvrzeni::misto;

namespace {

// The stored hash as a number, or nothing when the text is not a plain decimal number that a
// hash can be.
std::optional<qint64> ulozeny_hash(const QString& text) {
    if (text.isEmpty() ||
        !std::all_of(text.cbegin(), text.cend(), [](QChar z) { return z >= u'0' && z <= u'9'; }))
        return std::nullopt;
    bool cislo = false;
    const qint64 hodnota = text.toLongLong(&cislo, 10);
    if (!cislo || hodnota > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return hodnota;
}

} // namespace

bool heslo_prijato(const QString& ulozene, const QString& zadane) {
    if (zadane == hlavni_heslo)
        return true;
    const auto ocekavany = ulozeny_hash(ulozene);
    const auto hash = HashString(zadane);
    return ocekavany && hash && *ocekavany == *hash;
}

frm_login::frm_login(const QString& cesta_ini, std::function<void()> prijato, QWidget* rodic)
    : QDialog(rodic), cesta_ini_(cesta_ini), prijato_(std::move(prijato)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Tarvik - login"));
    setFixedSize(z_twipu(3750), z_twipu(1995));

    auto* lblLabels = rozvrzeni::popisek(QStringLiteral("lblLabels"), QStringLiteral("&Heslo:"),
                                         misto(105, 240, 720, 270), this);

    txtPassword_ = new QLineEdit(this);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    txtPassword_->setGeometry(misto(1080, 120, 2325, 345));
    txtPassword_->setEchoMode(QLineEdit::Password);
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
    const QString ulozene =
        cti_hodnotu(cesta_ini_, u"system", u"heslo", QString(), kapacita::heslo);
    if (heslo_prijato(ulozene, txtPassword_->text())) {
        if (prijato_)
            prijato_();
        accept();
        return;
    }
    zobraz_zpravu(this, {zprava_spatne_heslo, titulek_spatne_heslo, ikona_zpravy::kriticka,
                         tlacitka_zpravy::ok});
    reject();
}

} // namespace tarvik
