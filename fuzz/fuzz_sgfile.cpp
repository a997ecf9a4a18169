// The Savitzky-Golay coefficient file, then a small track smoothed with each filter width the
// file may serve (the first input byte picks the width).
#include "FuzzInput.h"
#include "processing/Smoothing.h"

#include <cmath>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    if (size == 0)
        return 0;
    const CoefficientFile file = readCoefficientFile(fuzz::inputFile(data + 1, size - 1));
    if (!file.ok())
        return 0;
    static auto store = [] {
        auto s = std::make_unique<TrackStore>();
        (*s)[0].Mode = ModeCV;
        (*s)[0].pnum = 64;
        (*s)[0].V1st = 0;
        (*s)[0].V2nd = 1;
        (*s)[0].V3rd = 0;
        for (int i = 0; i < 64; ++i) {
            s->data(0, 0, i) = i < 32 ? i / 32.0 : (64 - i) / 32.0;
            s->data(1, 0, i) = std::sin(i * 0.3);
        }
        return s;
    }();
    SmoothOptions options;
    options.filter = SavitzkyGolay;
    options.points = 5 + 2 * (data[0] % 16);
    options.smoothX = data[0] & 0x80;
    QString error;
    (void)smoothTrack(*store, 0, options, file, &error);
    return 0;
}
