#pragma once

// What the signal handling shared by every system (signals.cpp) and each system's own
// (signals_linux.cpp, signals_win.cpp) give each other. Not for use outside them.

namespace tarvik {

// Runs the cleanups of every pri_nahlem_konci alive, newest first.
void spust_uklid();

// Records that a signal to end has come (konec_vyzadan).
void zaznamenej_signal();

} // namespace tarvik
