#pragma once

namespace tarvik {

// Window sizes are designed in twips; a pixel is 15 twips (at 96 dots per inch).
constexpr int twipy_na_pixely(int twipy) {
    return (twipy + 7) / 15;
}

} // namespace tarvik
