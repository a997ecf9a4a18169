#include "Colors.h"

#include <cmath>

namespace tervo {

namespace {

double channel(double m1, double m2, int hue)
{
    hue %= 192;
    if (hue < 0)
        hue += 192;
    if (hue < 32)
        return m1 + (m2 - m1) * hue / 32.0;
    if (hue < 96)
        return m2;
    if (hue < 128)
        return m1 + (m2 - m1) * (128 - hue) / 32.0;
    return m1;
}

int component(double v)
{
    // Rounded to an integer (halves to even, as the rest of the program rounds), then scaled.
    int c = static_cast<int>(std::nearbyint(v));
    if (c < 0)
        c = 0;
    // 16 + 31 saturation rounds to 32; the component stops at 255 instead of wrapping.
    return c * 8 > 255 ? 255 : c * 8;
}

} // namespace

QRgb hlsToRgb(int hue, int lightness, int saturation)
{
    const double l = lightness, s = saturation;
    if (saturation == 0) {
        int c = component(l);
        return qRgb(c, c, c);
    }
    const double m2 = l <= 16 ? l * (32 + s) / 32.0 : l + s - l * s / 32.0;
    const double m1 = 2 * l - m2;
    return qRgb(component(channel(m1, m2, hue + 64)), component(channel(m1, m2, hue)),
                component(channel(m1, m2, hue - 64)));
}

} // namespace tervo
