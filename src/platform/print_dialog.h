#pragma once

class QPrinter;
class QWidget;

namespace tarvik {

// The system's print dialog for `tiskarna`; false when it is cancelled. Where no printer is
// installed (the printer writes a PDF file), Windows' own print dialog would refuse at once: there
// the system's save dialog asks for the file instead, starting at the one the printer names.
bool vyber_tisk(QPrinter& tiskarna, QWidget* rodic);

} // namespace tarvik
