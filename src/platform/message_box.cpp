#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace tarvik {

namespace {
odpovidac_zprav& odpovidac() {
    static odpovidac_zprav o;
    return o;
}
} // namespace

odpoved_zpravy zobraz_zpravu(QWidget* rodic, const zprava& z) {
    if (odpovidac())
        return odpovidac()(z);

    const auto ikona =
        z.ikona == ikona_zpravy::kriticka ? QMessageBox::Critical : QMessageBox::NoIcon;
    const auto tlacitka = z.tlacitka == tlacitka_zpravy::ok_storno
                              ? QMessageBox::Ok | QMessageBox::Cancel
                              : QMessageBox::StandardButtons(QMessageBox::Ok);
    // The parent may be destroyed while the box's own event loop runs, and the box with it: the
    // QPointer then becomes null instead of dangling.
    QPointer<QMessageBox> box = new QMessageBox(ikona, z.titulek, z.text, tlacitka, rodic);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(z.tlacitka == tlacitka_zpravy::ok_storno ? QMessageBox::Cancel
                                                                  : QMessageBox::Ok);
    const int vysledek = box->exec();
    delete box.data();
    return vysledek == QMessageBox::Cancel ? odpoved_zpravy::storno : odpoved_zpravy::ok;
}

void zobraz_chybu(QWidget* rodic, const QString& text) {
    zobraz_zpravu(rodic, {text, titulek_chyba, ikona_zpravy::kriticka, tlacitka_zpravy::ok});
}

void zobraz_info(QWidget* rodic, const QString& text) {
    zobraz_zpravu(rodic, {text, titulek_info, ikona_zpravy::zadna, tlacitka_zpravy::ok});
}

void pipni() {
    QApplication::beep();
}

void nastav_odpovidac_zprav(odpovidac_zprav o) {
    odpovidac() = std::move(o);
}

} // namespace tarvik
