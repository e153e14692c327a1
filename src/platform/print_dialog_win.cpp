// The print dialog on Windows: the system's own, which prints no PDF file by itself.

#include "platform/print_dialog.h"

#include "platform/print_dialog_p.h"

#include <QDir>
#include <QFileDialog>
#include <QPrinter>

namespace tarvik {

std::optional<bool> vyber_pdf_bez_tiskarny(QPrinter& tiskarna, QWidget* rodic) {
    if (tiskarna.outputFormat() != QPrinter::PdfFormat)
        return std::nullopt;
    const QString soubor =
        QFileDialog::getSaveFileName(rodic, QStringLiteral("Tisk do souboru PDF"),
                                     tiskarna.outputFileName(), QStringLiteral("PDF (*.pdf)"));
    if (!soubor.isEmpty())
        tiskarna.setOutputFileName(QDir::fromNativeSeparators(soubor));
    return !soubor.isEmpty();
}

bool jen_vlastni_vybery() {
    return false;
}

} // namespace tarvik
