#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLineEdit;

namespace tarvik {

// The login to administrator mode. "ok" reads the stored hash (system/heslo) afresh and accepts
// the password whose hash it is, or the master password; on acceptance it calls `prijato` (the
// main window then switches to administrator mode), otherwise it shows "Špatné heslo.". Either way
// the dialog closes. Controls carry their names as object names: lblLabels, txtPassword, cmdOK,
// cmdCancel.
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

inline const QString zprava_spatne_heslo = QStringLiteral("Špatné heslo.");
inline const QString titulek_spatne_heslo = QStringLiteral("Tarvik - Chyba");

} // namespace tarvik
