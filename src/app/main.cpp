#include "app/main_window.h"
#include "platform/program_folder.h"
#include "platform/signals.h"
#include "platform/translations.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    tarvik::pluginy_jen_ze_systemu();
    QApplication aplikace(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QApplication::setApplicationVersion(QStringLiteral(TARVIK_VERZE));
    // Without Qt's Czech texts the standard buttons stay English; the program runs on.
    tarvik::nacti_ceske_texty_qt();
    // Ended by the system or the session, the program closes as on a normal close: the port
    // with its lock file too.
    tarvik::ukoncuj_pri_signalech();

    tarvik::frm_main okno;
    if (!okno.Form_Load())
        return 1;
    if (tarvik::konec_vyzadan())
        return 0;
    // Reading the icon loads the image plugins: after the first query.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvik.png")));
    okno.zobraz_uprostred();
    return QApplication::exec();
}
