#pragma once

namespace tarvik {

// Windows are designed in twips (1/1440 inch); a pixel is 15 twips at 96 dots per inch. Qt's
// device-independent pixels keep the design on high-density screens.
constexpr int z_twipu(int twipy) {
    return (twipy + 7) / 15;
}

} // namespace tarvik
