#include "app/main_window.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication aplikace(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvik.png")));

    tarvik::frm_main okno;
    if (!okno.Form_Load())
        return 1;
    okno.zobraz_uprostred();
    return QApplication::exec();
}
