#pragma once

#include <QObject>
#include <optional>

class QEvent;
class QPrinter;
class QWidget;

namespace tarvik {

// Where no printer is installed (the printer writes a PDF file), Windows' own print dialog refuses
// at once and prints nothing: there the system's save dialog asks for the file instead, starting
// at the one the printer names; the result tells whether a file was chosen. Nothing where the
// print dialog serves (a printer installed; always on Linux).
std::optional<bool> vyber_pdf_bez_tiskarny(QPrinter& tiskarna, QWidget* rodic);

// While it lives, every file chooser that Qt shows itself only chooses: it deletes, renames and
// makes nothing. On Linux every chooser is Qt's own meanwhile (the desktop's, which Qt cannot
// restrict, is not used), so the print dialog's chooser only chooses. On Windows the print dialog
// and the save dialog of vyber_pdf_bez_tiskarny are the system's own, which Qt cannot restrict:
// there an operator can delete or rename files from them as from any other program.
class vyber_jen_cteni final : public QObject {
public:
    vyber_jen_cteni();
    ~vyber_jen_cteni() override;
    vyber_jen_cteni(const vyber_jen_cteni&) = delete;
    vyber_jen_cteni& operator=(const vyber_jen_cteni&) = delete;

protected:
    bool eventFilter(QObject* objekt, QEvent* udalost) override;

private:
    bool puvodne_bez_nativnich_; // Qt::AA_DontUseNativeDialogs as it was
};

} // namespace tarvik
