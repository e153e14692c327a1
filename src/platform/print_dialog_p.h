#pragma once

// What the print dialog's part shared by every system (print_dialog.cpp) asks of each system's own
// (print_dialog_linux.cpp, print_dialog_win.cpp). Not for use outside them.

namespace tarvik {

// Whether Qt's own file chooser stands in for the system's while vyber_jen_cteni lives: where the
// print dialog is Qt's own (Linux), and its chooser can be made read-only.
bool jen_vlastni_vybery();

} // namespace tarvik
