#pragma once

namespace tarvik {

// How many of each the system has; every part that counts them takes the number from here. The
// controller drives contactors 0 to 127: a status packet carries one state for each, and the
// catalogue, the cells and the printout know the same contactors. The operator's cells are 0 to
// 319, 64 on each of five tabs (tab t of the configuration is tab t - 1 on the screen).
inline constexpr int pocet_stykacu = 128;
inline constexpr int pocet_zalozek = 5;
inline constexpr int chlivku_na_zalozku = 64;
inline constexpr int pocet_chlivku = pocet_zalozek * chlivku_na_zalozku;

} // namespace tarvik
