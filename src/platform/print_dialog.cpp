// The print dialog's file choosers, the part that every system shares. What each system's print
// dialog needs is in print_dialog_linux.cpp and print_dialog_win.cpp.

#include "platform/print_dialog.h"

#include "platform/print_dialog_p.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>

namespace tarvik {

vyber_jen_cteni::vyber_jen_cteni()
    : puvodne_bez_nativnich_(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs)) {
    if (jen_vlastni_vybery())
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    qApp->installEventFilter(this);
}

vyber_jen_cteni::~vyber_jen_cteni() {
    qApp->removeEventFilter(this);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, puvodne_bez_nativnich_);
}

bool vyber_jen_cteni::eventFilter(QObject* objekt, QEvent* udalost) {
    if (udalost->type() == QEvent::Show)
        if (auto* vyber = qobject_cast<QFileDialog*>(objekt))
            vyber->setOption(QFileDialog::ReadOnly);
    return false;
}

} // namespace tarvik
