#pragma once

#include <optional>

class QPrinter;
class QWidget;

namespace tarvik {

// Where no printer is installed (the printer writes a PDF file), Windows' own print dialog refuses
// at once and prints nothing: there the system's save dialog asks for the file instead, starting
// at the one the printer names; the result tells whether a file was chosen. Nothing where the
// print dialog serves (a printer installed, or another system).
std::optional<bool> vyber_pdf_bez_tiskarny(QPrinter& tiskarna, QWidget* rodic);

} // namespace tarvik
