#pragma once

// What the program folder shared by every system (program_folder.cpp) asks of each system's own
// (program_folder_linux.cpp, program_folder_win.cpp). Not for use outside them.

#include <QString>

namespace tarvik {

// Where the configuration file is kept when none lies beside the program: the operators' folder
// that the setup program made, on Windows; empty when there is none (always on Linux).
QString konfigurace_mimo_program();

} // namespace tarvik
