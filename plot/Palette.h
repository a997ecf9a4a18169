#pragma once

#include <QRgb>

namespace tervo {

// Colour n (0..15) of the classic 16-colour palette: 7 light grey, 9 light blue, 10 light green,
// 11 light cyan, 12 light red, 15 white. Other numbers wrap modulo 16.
QRgb paletteColor(int n);

inline constexpr int kLightGrey = 7;
inline constexpr int kLightBlue = 9;
inline constexpr int kLightGreen = 10;
inline constexpr int kLightCyan = 11;
inline constexpr int kLightRed = 12;

} // namespace tervo
