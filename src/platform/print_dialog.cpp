#include "platform/print_dialog.h"

#include <QPrintDialog>
#include <QPrinter>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileDialog>
#endif

namespace tarvik {

bool vyber_tisk(QPrinter& tiskarna, QWidget* rodic) {
#ifdef Q_OS_WIN
    if (tiskarna.outputFormat() == QPrinter::PdfFormat) {
        const QString soubor =
            QFileDialog::getSaveFileName(rodic, QStringLiteral("Tisk do souboru PDF"),
                                         tiskarna.outputFileName(), QStringLiteral("PDF (*.pdf)"));
        if (soubor.isEmpty())
            return false;
        tiskarna.setOutputFileName(QDir::fromNativeSeparators(soubor));
        return true;
    }
#endif
    QPrintDialog dialog(&tiskarna, rodic);
    // The table is one page: there is no range to choose.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tarvik
