#pragma once

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace tarvik::test {

// Runs the deletions that closing a dialog with Qt::WA_DeleteOnClose has posted.
inline void proved_smazani() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Shows the dialog and makes it the active window, as the program's modal opening does.
inline bool otevri(QWidget* dialog) {
    dialog->show();
    QApplication::setActiveWindow(dialog);
    return QTest::qWaitForWindowActive(dialog);
}

// The lines of a CR LF file, without their terminators.
inline QList<QByteArray> radky(const QByteArray& obsah) {
    QList<QByteArray> r = obsah.split('\n');
    if (!r.isEmpty() && r.last().isEmpty())
        r.removeLast();
    for (auto& radek : r)
        if (radek.endsWith('\r'))
            radek.chop(1);
    return r;
}

} // namespace tarvik::test
