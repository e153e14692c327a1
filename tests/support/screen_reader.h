#pragma once

#include <QAccessible>
#include <QStringList>
#include <QWidget>

namespace tarvik::test {

// What a screen reader says of a window's controls as Tab walks them: the accessible name of each
// widget that takes the focus by Tab, in the window's tab order.
inline QStringList jmena_v_poradi(QWidget* okno) {
    QStringList jmena;
    for (QWidget* w = okno->nextInFocusChain(); w && w != okno; w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(okno) || w->window() != okno)
            continue;
        QAccessibleInterface* rozhrani = QAccessible::queryAccessibleInterface(w);
        jmena << (rozhrani ? rozhrani->text(QAccessible::Name) : QStringLiteral("(none)"));
    }
    return jmena;
}

} // namespace tarvik::test
