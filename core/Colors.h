#pragma once

#include <QRgb>

namespace tervo {

// Hue-lightness-saturation colour: a hue circle of 192 steps, lightness and saturation on a scale
// of 0 to 32; each 0..31 channel is multiplied by 8 for the 0..255 component.
QRgb hlsToRgb(int hue, int lightness, int saturation);

} // namespace tervo
