#include "platform/message_box.h"

#include "platform/signals.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>

namespace tarvik {

namespace {
odpovidac_zprav& odpovidac() {
    static odpovidac_zprav o;
    return o;
}
} // namespace

QMessageBox* vytvor_zpravu(QWidget* rodic, const zprava& z) {
    const auto ikona =
        z.ikona == ikona_zpravy::kriticka ? QMessageBox::Critical : QMessageBox::NoIcon;
    const auto tlacitka = z.tlacitka == tlacitka_zpravy::ok_storno
                              ? QMessageBox::Ok | QMessageBox::Cancel
                              : QMessageBox::StandardButtons(QMessageBox::Ok);
    auto* box = new QMessageBox(ikona, z.titulek, z.text, tlacitka, rodic);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(z.tlacitka == tlacitka_zpravy::ok_storno ? QMessageBox::Cancel
                                                                  : QMessageBox::Ok);
    if (!z.text_ok.isEmpty())
        box->button(QMessageBox::Ok)->setText(z.text_ok);
    if (!z.text_storno.isEmpty() && box->button(QMessageBox::Cancel))
        box->button(QMessageBox::Cancel)->setText(z.text_storno);
    // The window manager draws the title, usually in a bold face, beside its own buttons: room
    // for the text in that face and for about three buttons of the title's height, however short
    // the text ("Špatné heslo.").
    QFont pismo = QApplication::font("QMdiSubWindowTitleBar");
    pismo.setBold(true);
    const QFontMetrics m(pismo);
    const int sirka = m.horizontalAdvance(z.titulek) + 6 * m.height();
    if (auto* mrizka = qobject_cast<QGridLayout*>(box->layout()))
        mrizka->addItem(new QSpacerItem(sirka, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                        mrizka->rowCount(), 0, 1, mrizka->columnCount());
    return box;
}

odpoved_zpravy zobraz_zpravu(QWidget* rodic, const zprava& z) {
    if (odpovidac())
        return odpovidac()(z);
    // The program is ending: no one is there to answer, and the line is let go.
    if (konec_vyzadan())
        return z.tlacitka == tlacitka_zpravy::ok_storno ? odpoved_zpravy::storno
                                                        : odpoved_zpravy::ok;

    // A box of a window not shown yet (start-up) stands alone in the middle of the screen, with
    // the program's icon (the program's resources carry it), not at the hidden window's corner.
    if (rodic && !rodic->isVisible())
        rodic = nullptr;
    if (!rodic && QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvik.png")));
    // The parent may be destroyed while the box's own event loop runs, and the box with it: the
    // QPointer then becomes null instead of dangling.
    QPointer<QMessageBox> box = vytvor_zpravu(rodic, z);
    const int vysledek = box->exec();
    delete box.data();
    return vysledek == QMessageBox::Cancel ? odpoved_zpravy::storno : odpoved_zpravy::ok;
}

void zobraz_chybu(QWidget* rodic, const QString& text) {
    zobraz_zpravu(rodic, {.text = text, .titulek = titulek_chyba, .ikona = ikona_zpravy::kriticka});
}

void zobraz_info(QWidget* rodic, const QString& text) {
    zobraz_zpravu(rodic, {.text = text, .titulek = titulek_info});
}

void pipni() {
    QApplication::beep();
}

void nastav_odpovidac_zprav(odpovidac_zprav o) {
    odpovidac() = std::move(o);
}

} // namespace tarvik
