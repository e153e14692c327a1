#pragma once

// What the device paths shared by every system (devices.cpp) ask of each system's own
// (devices_linux.cpp, devices_win.cpp). Not for use outside them.

#include <QString>

namespace tarvik {

// The folder of the backup medium as this system finds it, before it is checked to be a medium
// (see cesta_zalohy); empty when there is none.
QString slozka_zalohy();

} // namespace tarvik
