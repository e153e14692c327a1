#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace tarvik {

// Name entry for one contactor: "ulož" writes stykace/stykac<cislo> exactly as typed and emits
// nazev_ulozen; "storno", Esc or the window frame write nothing. Controls carry their names as
// object names: Text1 (name), Text2 (number), Command1 (ulož), Command2 (storno).
class frm_nazev_stykace : public QDialog {
    Q_OBJECT

public:
    frm_nazev_stykace(const QString& cesta_ini, const QString& cislo, const QString& nazev,
                      QWidget* rodic = nullptr);

Q_SIGNALS:
    // The name just written to the configuration file.
    void nazev_ulozen(const QString& nazev);

protected:
    bool eventFilter(QObject* objekt, QEvent* udalost) override;

private:
    void Command1_Click();

    QString cesta_ini_;
    QString cislo_;
    QLineEdit* Text1_ = nullptr;
};

} // namespace tarvik
