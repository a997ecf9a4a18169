// The fast number routes against the exact ones: the saved-number writer against the digit-string
// route, the data-value reader against strtod. Any difference aborts.
#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void formatRoutes(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    static const char *const patterns[] = {"0.0000",   "0.0###e+0", "0.0000e+0", "##0.0",
                                           "0.00E+00", "0e-0",      "0.###e+0",  "00.0000",
                                           "0",        "0.000e+000"};
    if (size < 9)
        return;
    double x = 0;
    std::memcpy(&x, data + 1, sizeof x);
    const NumberPattern p = NumberPattern::compile(patterns[(data[0] >> 2) % 10]);
    const char sep = data[0] & 2 ? ',' : '.';
    std::string exact;
    appendPatternExact(exact, x, p, sep);
    char buf[kFastPatternChars];
    if (char *end = writePatternFast(buf, x, p, sep))
        if (std::string(buf, static_cast<std::size_t>(end - buf)) != exact)
            std::abort();
    std::string viaAppend;
    appendPattern(viaAppend, x, p, sep);
    if (viaAppend != exact)
        std::abort();
}

void parseRoute(const std::uint8_t *data, std::size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    double fast = 0;
    const std::size_t n = tervo::readPlainNumber(text, text + size, fast);
    if (n == 0)
        return;
    std::string plain(text, n);
    for (char &c : plain)
        if (c == ',')
            c = '.';
    char *end = nullptr;
    const double exact = std::strtod(plain.c_str(), &end);
    if (end != plain.c_str() + plain.size() || std::memcmp(&fast, &exact, sizeof fast) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1)
        parseRoute(data + 1, size - 1);
    else
        formatRoutes(data, size);
    return 0;
}
