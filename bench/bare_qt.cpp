// The baseline for start-up: the least a Qt Widgets program does to be where Tarvik is after
// start-up. It opens COM1 (of its folder, dosdevices/com1, on Linux) at 9600 8N1, sends the first
// status query and shows an empty window of Tarvik's size. Nothing else.
//
// With --menu it also has Tarvik's menu bar (four menus, no entries): the least a window with any
// text costs, since the first text measured sets up the font system.

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QSerialPort>

int main(int argc, char** argv) {
    QApplication aplikace(argc, argv);
    QMainWindow okno;
    okno.setWindowTitle(QStringLiteral("bare"));
    okno.setFixedSize(845, 685);
    if (QApplication::arguments().contains(QStringLiteral("--menu"))) {
        for (const char* menu : {"&Režim", "&Konfigurace", "&Tisk", "&Help"})
            okno.menuBar()->addMenu(QString::fromUtf8(menu));
    }

#ifdef Q_OS_WIN
    QSerialPort port(QStringLiteral("\\\\.\\COM1"));
#else
    const QFileInfo odkaz(QApplication::applicationDirPath() + QStringLiteral("/dosdevices/com1"));
    QSerialPort port(odkaz.symLinkTarget().isEmpty() ? odkaz.filePath() : odkaz.symLinkTarget());
#endif
    port.setBaudRate(QSerialPort::Baud9600);
    if (!port.open(QIODevice::ReadWrite))
        return 1;
    port.write("XA\r\n");
    port.flush();
    okno.show();
    return QApplication::exec();
}
