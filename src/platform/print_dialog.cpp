#include "platform/print_dialog.h"

#include <QPrinter>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileDialog>
#endif

namespace tarvik {

std::optional<bool> vyber_pdf_bez_tiskarny(QPrinter& tiskarna, QWidget* rodic) {
#ifdef Q_OS_WIN
    if (tiskarna.outputFormat() == QPrinter::PdfFormat) {
        const QString soubor =
            QFileDialog::getSaveFileName(rodic, QStringLiteral("Tisk do souboru PDF"),
                                         tiskarna.outputFileName(), QStringLiteral("PDF (*.pdf)"));
        if (!soubor.isEmpty())
            tiskarna.setOutputFileName(QDir::fromNativeSeparators(soubor));
        return !soubor.isEmpty();
    }
#else
    Q_UNUSED(tiskarna);
    Q_UNUSED(rodic);
#endif
    return std::nullopt;
}

} // namespace tarvik
