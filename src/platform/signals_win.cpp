// Ending on Windows: the end of the session, which Windows announces to Qt.

#include "platform/signals.h"

#include "platform/signals_p.h"

#include <QCoreApplication>

namespace tarvik {

void ukoncuj_pri_signalech() {
    // When Windows ends the session, Qt announces the end of the application and the system
    // ends the process right after, past every destructor: what must be closed is closed then.
    static const QMetaObject::Connection pri_konci_relace =
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, spust_uklid);
    Q_UNUSED(pri_konci_relace);
}

} // namespace tarvik
