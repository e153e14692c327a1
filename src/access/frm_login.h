#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLineEdit;

namespace tarvik {

class graficke_tlacitko;

// The login to administrator mode. "ok" reads the stored hash (system/heslo) afresh and accepts
// the password whose hash it is, or the master password; on acceptance it calls `prijato` (the
// main window then switches to administrator mode), otherwise it shows "Špatné heslo.". Either way
// the dialog closes; it deletes itself on closing. Controls carry their names as object names:
// lblLabels, txtPassword, cmdOK, cmdCancel.
class frm_login : public QDialog {
    Q_OBJECT

public:
    // The password field takes at most this many characters.
    static constexpr int nejdelsi_heslo = 255;

    frm_login(const QString& cesta_ini, std::function<void()> prijato, QWidget* rodic = nullptr);

private:
    void cmdOK_Click();

    QString cesta_ini_;
    std::function<void()> prijato_;
    QLineEdit* txtPassword_ = nullptr;
};

// The master password, accepted whatever hash is stored.
inline const QString hlavni_heslo = QStringLiteral("kovar");

inline const QString zprava_spatne_heslo = QStringLiteral("Špatné heslo.");
inline const QString titulek_spatne_heslo = QStringLiteral("Tarvik - Chyba");

// The login's rule: `zadane` is the master password exactly, or `ulozene` (the text of
// system/heslo) is a decimal number equal to its hash. A stored text that is not a plain run of
// decimal digits (empty, signed, blanks or letters inside, beyond 2147483647) matches no hash,
// and neither does a password without a hash.
bool heslo_prijato(const QString& ulozene, const QString& zadane);

} // namespace tarvik
