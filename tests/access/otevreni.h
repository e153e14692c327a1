#pragma once

#include <QApplication>
#include <QEvent>
#include <QTest>
#include <QWidget>

namespace tarvik::test {

// Shows the dialog and makes it the active window, as opening it modally does.
inline bool otevri(QWidget* dialog) {
    dialog->show();
    QApplication::setActiveWindow(dialog);
    return QTest::qWaitForWindowActive(dialog);
}

// Runs the deletions that a dialog closing with Qt::WA_DeleteOnClose has posted.
inline void proved_smazani() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The widgets that Tab visits, from the one that has the focus until the focus comes back.
inline QWidgetList poradi_tabulatoru() {
    QWidgetList poradi;
    for (QWidget* w = QApplication::focusWidget(); w && !poradi.contains(w);
         w = QApplication::focusWidget()) {
        poradi.append(w);
        QTest::keyClick(w, Qt::Key_Tab);
    }
    return poradi;
}

} // namespace tarvik::test
