#pragma once

#include "access/hash_string.h"

#include <QDialog>
#include <QString>

class QLineEdit;

namespace tarvik {

// The change of the administrator password. "ok" with the same text in both fields writes its
// hash to system/heslo, without a message; different texts, or a password that has no hash (see
// HashString), are refused with a message and nothing is written. Either way the dialog closes.
// Controls carry their names as object names: Label1, nove_heslo, Label2, nove_heslo_znovu,
// but_ok, but_storno.
class frm_zmena_hesla : public QDialog {
    Q_OBJECT

public:
    // Each field takes at most this many characters.
    static constexpr int nejdelsi_heslo = nejdelsi_nove_heslo;

    explicit frm_zmena_hesla(const QString& cesta_ini, QWidget* rodic = nullptr);

private:
    void but_ok_Click();

    QString cesta_ini_;
    QLineEdit* nove_heslo_ = nullptr;
    QLineEdit* nove_heslo_znovu_ = nullptr;
};

inline const QString zprava_hesla_se_lisi = QStringLiteral("Heslo nebylo zadáno dvakrát stejně.");
inline const QString zprava_heslo_nelze_pouzit = QStringLiteral(
    "Toto heslo nelze použít. Na 1., 5., 9., 13. a 17. místě hesla nesmí být "
    "písmeno s diakritikou ani jiný znak mimo základní sadu ASCII. Heslo nebylo změněno.");

} // namespace tarvik
