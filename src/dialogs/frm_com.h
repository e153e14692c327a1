#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QButtonGroup;

namespace tarvik {

// Moves the program to another serial port, COM1 to COM4. "COM 1" is selected whenever the dialog
// opens. "ok" has the main window switch to the chosen port (prepni_port closes the open port and
// opens the chosen one, returning false when it could not); on success the number is written to
// system/com and shown in status panel 2. Controls carry their names as object names: Frame1,
// Option1_0 .. Option1_3, bt_ok, bt_storno.
class frm_com : public QDialog {
    Q_OBJECT

public:
    static constexpr int pocet_portu = 4;

    frm_com(const QString& cesta_ini, std::function<bool(int cislo)> prepni_port,
            std::function<void(const QString& text)> nastav_panel2, QWidget* rodic = nullptr);

private:
    void bt_ok_Click();

    QString cesta_ini_;
    std::function<bool(int)> prepni_port_;
    std::function<void(const QString&)> nastav_panel2_;
    QButtonGroup* Option1_ = nullptr;
};

} // namespace tarvik
