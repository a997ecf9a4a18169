#include "Palette.h"

#include <array>

namespace tervo {

QRgb paletteColor(int n)
{
    static constexpr std::array<QRgb, 16> colors = {0xff000000, 0xff000080, 0xff008000, 0xff008080,
                                                    0xff800000, 0xff800080, 0xff808000, 0xffc0c0c0,
                                                    0xff808080, 0xff0000ff, 0xff00ff00, 0xff00ffff,
                                                    0xffff0000, 0xffff00ff, 0xffffff00, 0xffffffff};
    n %= 16;
    if (n < 0)
        n += 16;
    return colors[static_cast<std::size_t>(n)];
}

} // namespace tervo
