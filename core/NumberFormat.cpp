#include "NumberFormat.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tervo {

namespace {

// Fifteen significant decimal digits of |x| (x finite, non-zero): digits[0..14] and the decimal
// exponent of digits[0].
struct Digits15 {
    char d[15];
    int exp10;
};

Digits15 digits15(double ax)
{
    Digits15 r{};
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific, 14);
    *res.ptr = '\0';
    // Layout: d.dddddddddddddde[+-]XX
    r.d[0] = buf[0];
    std::memcpy(r.d + 1, buf + 2, 14);
    r.exp10 = std::atoi(buf + 17);
    return r;
}

constexpr std::array<double, 23> kPow10 = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// 10^k for k in -325..308, each the correctly rounded double.
struct Pow10Table {
    double v[634];
    Pow10Table()
    {
        char buf[16];
        for (int k = -325; k <= 308; ++k) {
            std::snprintf(buf, sizeof buf, "1e%d", k);
            v[k + 325] = std::strtod(buf, nullptr);
        }
    }
    double operator()(int k) const { return v[k + 325]; }
};
const Pow10Table &pow10()
{
    static const Pow10Table table;
    return table;
}

// Decimal exponent of the first significant digit of ax (finite, > 0).
int decimalExponent(double ax)
{
    // The binary exponent straight from the bits; frexp is a library call and this runs for
    // every value of a saved file.
    const auto bits = std::bit_cast<std::uint64_t>(ax);
    int b = static_cast<int>((bits >> 52) & 0x7ff) - 1022;
    if (b == -1022)
        std::frexp(ax, &b); // subnormal
    // 2^(b-1) <= ax < 2^b, so the exponent is floor((b-1) log10 2) or one more; the integer
    // form of the floor is exact over the whole double range, and the choice takes no branch
    // (saved currents jump between magnitudes, which a branch predicts badly).
    const int e = ((b - 1) * 78913) >> 18;
    return e + (e + 1 <= 308 && ax >= pow10()(e + 1));
}

// The four digits of 0..9999, for writing numbers four digits at a time. Flat, with a spare
// entry, so that a fixed 4-byte copy may start anywhere inside an entry.
struct Digits4 {
    char d[4 * 10001];
    constexpr Digits4() : d()
    {
        for (int v = 0; v < 10000; ++v) {
            d[4 * v] = static_cast<char>('0' + v / 1000);
            d[4 * v + 1] = static_cast<char>('0' + v / 100 % 10);
            d[4 * v + 2] = static_cast<char>('0' + v / 10 % 10);
            d[4 * v + 3] = static_cast<char>('0' + v % 10);
        }
    }
    const char *at(unsigned v) const { return d + 4 * v; }
};
constexpr Digits4 kDigits4;

// Writes value's decimal digits, exactly `width` of them (leading zeros), at p.
inline char *putDigits(char *p, unsigned long long value, int width)
{
    int i = width;
    for (; i >= 4; i -= 4) {
        std::memcpy(p + i - 4, kDigits4.at(static_cast<unsigned>(value % 10000)), 4);
        value /= 10000;
    }
    if (i > 0)
        std::memcpy(p, kDigits4.at(static_cast<unsigned>(value % 10000)) + 4 - i,
                    static_cast<std::size_t>(i));
    return p + width;
}

// Rounds a digit string (most significant first) to keep digits, half away from zero. Returns
// true when the rounding carried out of the first digit (the result is then "1" followed by
// zeros, one digit longer in magnitude).
bool roundDigits(std::string &digits, std::size_t keep)
{
    if (keep >= digits.size())
        return false;
    bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (!up)
        return false;
    for (std::size_t i = keep; i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return false;
        }
    }
    digits.insert(digits.begin(), '1');
    digits.pop_back();
    return true;
}

void appendUInt(std::string &out, unsigned long long v, int minWidth)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    int len = static_cast<int>(res.ptr - buf);
    for (int i = len; i < minWidth; ++i)
        out.push_back('0');
    out.append(buf, res.ptr);
}

// Writes integer and fraction digit strings with the pattern's rules for leading and trailing
// zeros. intPart has no leading zeros (may be empty for zero).
void emitMantissa(std::string &out, std::string_view intPart, std::string frac,
                  const NumberPattern &p, char sep)
{
    for (int i = static_cast<int>(intPart.size()); i < p.intZeros; ++i)
        out.push_back('0');
    out.append(intPart);
    while (static_cast<int>(frac.size()) > p.fracMin && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (p.hasPoint)
        out.push_back(sep);
    out.append(frac);
}

void emitExponent(std::string &out, int e, const NumberPattern &p)
{
    out.push_back(p.expLetter);
    if (e < 0)
        out.push_back('-');
    else if (p.expSignAlways)
        out.push_back('+');
    appendUInt(out, static_cast<unsigned long long>(e < 0 ? -e : e), p.expMinWidth);
}

// For v >= 0 below 2^63 (the callers check the range first).
bool nearTie(double v)
{
    const double frac = v - static_cast<double>(static_cast<unsigned long long>(v));
    return std::fabs(frac - 0.5) < std::max(1e-6, v * 1e-14);
}

void fixedExact(std::string &out, double ax, const NumberPattern &p, char sep)
{
    std::string intPart, frac;
    if (ax != 0.0) {
        Digits15 d = digits15(ax);
        std::string digits(d.d, 15);
        int exp10 = d.exp10;
        long keep = static_cast<long>(exp10) + 1 + p.fracMax;
        if (keep < 0) {
            digits.clear();
        } else if (keep == 0) {
            // Only the rounding digit is left: it rounds to one unit of the last place or to 0.
            bool up = digits[0] >= '5';
            digits = up ? "1" : "";
            exp10 = up ? -p.fracMax : exp10;
        } else if (keep < 15) {
            if (roundDigits(digits, static_cast<std::size_t>(keep)))
                ++exp10;
        }
        // Place the digits: digit k has weight 10^(exp10-k).
        if (!digits.empty()) {
            int intCount = exp10 + 1;
            if (intCount > 0) {
                for (int k = 0; k < intCount; ++k)
                    intPart.push_back(k < static_cast<int>(digits.size()) ? digits[k] : '0');
            }
            for (int f = 1; f <= p.fracMax; ++f) {
                int k = exp10 + f; // index of the digit with weight 10^-f
                frac.push_back(k >= 0 && k < static_cast<int>(digits.size()) ? digits[k] : '0');
            }
            std::size_t nz = intPart.find_first_not_of('0');
            intPart = nz == std::string::npos ? std::string() : intPart.substr(nz);
        }
    }
    if (frac.empty())
        frac.assign(static_cast<std::size_t>(p.fracMax), '0');
    emitMantissa(out, intPart, std::move(frac), p, sep);
}

char *fastForm(char *q, double ax, const NumberPattern &p, char sep);

// The short forms saved files are made of ("0.0000", "0.0###e+0"): at most four fraction or
// significant digits, written from the digit table. nullptr when the general routes decide.
char *shortFixed(char *q, double ax, const NumberPattern &p, char sep)
{
    const double scale = kPow10[static_cast<std::size_t>(p.fracMax)];
    const double v = ax * scale;
    if (!(v < 1e7) || nearTie(v))
        return nullptr;
    const auto r = static_cast<unsigned>(v + 0.5);
    const auto iscale = static_cast<unsigned>(scale);
    const unsigned ip = r / iscale;
    const unsigned fp = r - ip * iscale;
    if (ip >= 10000)
        return nullptr;
    const int intLen = std::max(ip >= 1000  ? 4
                                : ip >= 100 ? 3
                                : ip >= 10  ? 2
                                : ip        ? 1
                                            : 0,
                                p.intZeros);
    std::memcpy(q, kDigits4.at(ip) + 4 - intLen, static_cast<std::size_t>(intLen));
    q += intLen;
    if (p.hasPoint)
        *q++ = sep;
    const char *f = kDigits4.at(fp) + 4 - p.fracMax;
    int fracLen = p.fracMax;
    while (fracLen > p.fracMin && f[fracLen - 1] == '0')
        --fracLen;
    std::memcpy(q, f, static_cast<std::size_t>(fracLen));
    return q + fracLen;
}

char *shortScientific(char *q, double ax, const NumberPattern &p, char sep)
{
    const int sig = 1 + p.fracMax;
    if (ax == 0.0)
        return nullptr;
    int e = decimalExponent(ax);
    const int k = sig - 1 - e;
    double m = 0;
    if (k >= 0 && k <= 22)
        m = ax * kPow10[static_cast<std::size_t>(k)];
    else if (k < 0 && k >= -22)
        m = ax / kPow10[static_cast<std::size_t>(-k)];
    else
        return nullptr;
    const double hi = kPow10[static_cast<std::size_t>(sig)];
    if (!(m >= kPow10[static_cast<std::size_t>(sig - 1)] && m < hi) || nearTie(m))
        return nullptr;
    auto r = static_cast<unsigned>(m + 0.5);
    if (r >= static_cast<unsigned>(hi)) {
        r /= 10;
        ++e;
    }
    const char *d = kDigits4.at(r) + 4 - sig;
    *q++ = d[0];
    if (p.hasPoint)
        *q++ = sep;
    int fracLen = p.fracMax;
    while (fracLen > p.fracMin && d[fracLen] == '0')
        --fracLen;
    std::memcpy(q, d + 1, static_cast<std::size_t>(fracLen));
    q += fracLen;
    *q++ = p.expLetter;
    if (e < 0) {
        *q++ = '-';
        e = -e;
    } else if (p.expSignAlways) {
        *q++ = '+';
    }
    const int width = std::max(e >= 100 ? 3 : (e >= 10 ? 2 : 1), p.expMinWidth);
    std::memcpy(q, kDigits4.at(static_cast<unsigned>(e)) + 4 - width,
                static_cast<std::size_t>(width));
    return q + width;
}

// Fast fixed form of ax >= 0 at q; nullptr when the exact route must decide.
char *fixedFast(char *q, double ax, const NumberPattern &p, char sep)
{
    if (p.fracMax > 15)
        return nullptr;
    const double scale = kPow10[static_cast<std::size_t>(p.fracMax)];
    const double v = ax * scale;
    if (!(v < 1e15) || nearTie(v))
        return nullptr;
    const auto r = static_cast<unsigned long long>(v + 0.5);
    const auto iscale = static_cast<unsigned long long>(scale);
    const unsigned long long ip = r / iscale;
    unsigned long long fp = r % iscale;
    int intLen = 0;
    for (unsigned long long t = ip; t; t /= 10)
        ++intLen;
    q = putDigits(q, ip, std::max(intLen, p.intZeros));
    if (p.hasPoint)
        *q++ = sep;
    int fracLen = p.fracMax;
    while (fracLen > p.fracMin && fp % 10 == 0) {
        fp /= 10;
        --fracLen;
    }
    return putDigits(q, fp, fracLen);
}

void fixedFormat(std::string &out, double ax, const NumberPattern &p, char sep, bool fast)
{
    char buf[64];
    if (char *end = fast ? fastForm(buf, ax, p, sep) : nullptr) {
        out.append(buf, end);
        return;
    }
    fixedExact(out, ax, p, sep);
}

// Fast exponent form for up to 15 significant digits; false when the exact route must decide.
char *scientificFast(char *q, double ax, const NumberPattern &p, char sep)
{
    const int sig = p.intDigits + p.fracMax;
    if (sig < 1 || sig > 15 || p.intDigits < 1 || ax == 0.0)
        return nullptr;
    int e = decimalExponent(ax);
    const int k = sig - 1 - e;
    if (k < -308 || k > 308)
        return nullptr;
    const double m =
        k <= 22 && k >= 0
            ? ax * kPow10[static_cast<std::size_t>(k)]
            : (k < 0 && k >= -22 ? ax / kPow10[static_cast<std::size_t>(-k)] : ax * pow10()(k));
    const double lo = kPow10[static_cast<std::size_t>(sig - 1)];
    const double hi = kPow10[static_cast<std::size_t>(sig)];
    if (!(m >= lo && m < hi) || nearTie(m))
        return nullptr;
    auto r = static_cast<unsigned long long>(m + 0.5);
    if (r >= static_cast<unsigned long long>(hi)) {
        r /= 10;
        ++e;
    }
    // The first digit is significant, so the integer digits need no leading zeros; the fraction
    // is written whole and its trailing zeros taken back.
    const auto fracScale =
        static_cast<unsigned long long>(kPow10[static_cast<std::size_t>(p.fracMax)]);
    q = putDigits(q, r / fracScale, p.intDigits);
    if (p.hasPoint)
        *q++ = sep;
    char *const fracStart = q;
    q = putDigits(q, r % fracScale, p.fracMax);
    while (q - fracStart > p.fracMin && q[-1] == '0')
        --q;
    int ex = e - (p.intDigits - 1);
    *q++ = p.expLetter;
    if (ex < 0) {
        *q++ = '-';
        ex = -ex;
    } else if (p.expSignAlways) {
        *q++ = '+';
    }
    int exLen = ex >= 100 ? 3 : (ex >= 10 ? 2 : 1);
    return putDigits(q, static_cast<unsigned long long>(ex), std::max(exLen, p.expMinWidth));
}

void scientificFormat(std::string &out, double ax, const NumberPattern &p, char sep, bool fast)
{
    char buf[64];
    if (char *end = fast ? fastForm(buf, ax, p, sep) : nullptr) {
        out.append(buf, end);
        return;
    }
    const int intDigits = p.intDigits;
    const int sig = std::max(1, intDigits + p.fracMax);
    std::string digits;
    int exp10 = 0; // decimal exponent of the first significant digit
    if (ax == 0.0) {
        digits.assign(static_cast<std::size_t>(sig), '0');
    } else {
        Digits15 d = digits15(ax);
        digits.assign(d.d, 15);
        exp10 = d.exp10;
        if (sig < 15) {
            if (roundDigits(digits, static_cast<std::size_t>(sig)))
                ++exp10;
        } else {
            digits.resize(static_cast<std::size_t>(sig), '0');
        }
    }
    std::string_view intPart(digits.data(),
                             static_cast<std::size_t>(std::min<int>(intDigits, sig)));
    std::string frac = digits.substr(intPart.size());
    int e = ax == 0.0 ? 0 : exp10 - (intDigits - 1);
    std::size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string_view::npos ? std::string_view() : intPart.substr(nz);
    emitMantissa(out, intPart, std::move(frac), p, sep);
    emitExponent(out, e, p);
}

// The fast routes of ax >= 0: the short forms first, then the general ones.
char *fastForm(char *q, double ax, const NumberPattern &p, char sep)
{
    if (p.scientific) {
        if (p.intDigits == 1 && p.fracMax <= 3 && p.expMinWidth <= 3)
            return shortScientific(q, ax, p, sep);
        return scientificFast(q, ax, p, sep);
    }
    if (p.fracMax <= 4 && p.intZeros <= 4)
        if (char *end = shortFixed(q, ax, p, sep))
            return end;
    return fixedFast(q, ax, p, sep);
}

// Rounds m (>= 0, below 2^32) to the nearest integer; false for a value too near a tie, where
// only the exact route may decide which way the decimal value rounds.
inline bool roundHalfUp(double m, unsigned &r)
{
    const auto whole = static_cast<unsigned>(m);
    const double frac = m - static_cast<double>(whole);
    r = whole + (frac >= 0.5);
    return std::fabs(frac - 0.5) >= 1e-6;
}

// "0.0000": what a saved potential looks like. The fixed 4-byte copies may write past a short
// field, which what follows overwrites.
inline char *writeFixed4(char *q, double x, char sep)
{
    const double v = std::fabs(x) * 1e4;
    unsigned r = 0;
    if (!(v < 1e7) || !roundHalfUp(v, r))
        return nullptr;
    const unsigned ip = r / 10000;
    const unsigned fp = r % 10000;
    *q = '-';
    q += (x < 0) & (r != 0); // a negative value that rounds to zero shows no sign
    const int intLen = 1 + (ip >= 10) + (ip >= 100) + (ip >= 1000);
    std::memcpy(q, kDigits4.at(ip) + 4 - intLen, 4);
    q += intLen;
    *q++ = sep;
    std::memcpy(q, kDigits4.at(fp), 4);
    return q + 4;
}

// "0.0###e+0": what a saved current looks like, five significant digits. Magnitudes from 1e-18
// to 1e4 (every current a cell gives) take this route; the rest go the general one.
inline char *writeSci4(char *q, double x, char sep)
{
    const double ax = std::fabs(x);
    if (ax == 0.0) {
        std::memcpy(q, "0.0e+0", 6);
        q[1] = sep;
        return q + 6;
    }
    // The decimal exponent from the binary one is e0 or e0 + 1; both scalings are made and the
    // right one picked without a branch (exact: 10^k is exact for k <= 22).
    const auto bits = std::bit_cast<std::uint64_t>(ax);
    const int b = static_cast<int>((bits >> 52) & 0x7ff) - 1022;
    const int e0 = ((b - 1) * 78913) >> 18;
    const int k0 = 4 - e0;
    if (k0 < 1 || k0 > 22)
        return nullptr;
    const double m0 = ax * kPow10[static_cast<std::size_t>(k0)];
    const double m1 = ax * kPow10[static_cast<std::size_t>(k0 - 1)];
    const bool up = m0 >= 1e5;
    const double m = up ? m1 : m0;
    int e = e0 + up;
    unsigned r = 0;
    if (!(m >= 1e4 && m < 1e5) || !roundHalfUp(m, r))
        return nullptr;
    if (r == 100000) {
        r = 10000;
        ++e;
    }
    *q = '-';
    q += x < 0;
    const unsigned f = r % 10000;
    q[0] = static_cast<char>('0' + r / 10000);
    q[1] = sep;
    std::memcpy(q + 2, kDigits4.at(f), 4);
    // Trailing zeros go, down to one fraction digit.
    q += 3 + (f % 1000 != 0) + (f % 100 != 0) + (f % 10 != 0);
    q[0] = 'e';
    q[1] = e < 0 ? '-' : '+';
    const auto ae = static_cast<unsigned>(e < 0 ? -e : e);
    const int width = 1 + (ae >= 10);
    std::memcpy(q + 2, kDigits4.at(ae) + 4 - width, 4);
    return q + 2 + width;
}

bool allZeroDigits(std::string_view s)
{
    for (char c : s)
        if (c >= '1' && c <= '9')
            return false;
    return true;
}

} // namespace

NumberPattern NumberPattern::compile(std::string_view pattern)
{
    NumberPattern p;
    std::size_t i = 0;
    const std::size_t n = pattern.size();
    int hashesBeforeZero = 0;
    for (; i < n && (pattern[i] == '0' || pattern[i] == '#'); ++i) {
        ++p.intDigits;
        if (pattern[i] == '0')
            ++p.intZeros;
        else if (p.intZeros == 0)
            ++hashesBeforeZero;
    }
    if (i < n && pattern[i] == '.') {
        p.hasPoint = true;
        ++i;
        for (; i < n && (pattern[i] == '0' || pattern[i] == '#'); ++i) {
            ++p.fracMax;
            if (pattern[i] == '0')
                p.fracMin = p.fracMax;
        }
    }
    if (i < n && (pattern[i] == 'e' || pattern[i] == 'E')) {
        if (i + 1 >= n || (pattern[i + 1] != '+' && pattern[i + 1] != '-'))
            return p;
        p.scientific = true;
        p.expLetter = pattern[i];
        p.expSignAlways = pattern[i + 1] == '+';
        i += 2;
        int zeros = 0;
        for (; i < n && (pattern[i] == '0' || pattern[i] == '#'); ++i)
            if (pattern[i] == '0')
                ++zeros;
        p.expMinWidth = std::max(1, zeros);
    }
    (void)hashesBeforeZero;
    p.valid = i == n && (p.intDigits > 0 || p.fracMax > 0);
    if (p.valid && p.intDigits == 1 && p.intZeros == 1 && p.hasPoint) {
        if (!p.scientific && p.fracMin == 4 && p.fracMax == 4)
            p.shape = Shape::Fixed4;
        else if (p.scientific && p.fracMin == 1 && p.fracMax == 4 && p.expLetter == 'e' &&
                 p.expSignAlways && p.expMinWidth == 1)
            p.shape = Shape::Sci4;
    }
    return p;
}

namespace {

void appendPatternRoute(std::string &out, double x, const NumberPattern &p, char decimalSep,
                        bool fast)
{
    if (!std::isfinite(x)) {
        out.append(std::isnan(x) ? "NaN" : (x < 0 ? "-Inf" : "Inf"));
        return;
    }
    const std::size_t start = out.size();
    const bool negative = x < 0;
    if (negative)
        out.push_back('-');
    const std::size_t digitsStart = out.size();
    if (p.scientific)
        scientificFormat(out, std::fabs(x), p, decimalSep, fast);
    else
        fixedFormat(out, std::fabs(x), p, decimalSep, fast);
    // A negative value that rounds to zero shows no sign.
    if (negative) {
        std::string_view body(out.data() + digitsStart, out.size() - digitsStart);
        std::size_t expAt = p.scientific ? body.find(p.expLetter) : std::string_view::npos;
        if (allZeroDigits(body.substr(0, expAt)))
            out.erase(start, 1);
    }
}

} // namespace

void appendPattern(std::string &out, double x, const NumberPattern &p, char decimalSep)
{
    appendPatternRoute(out, x, p, decimalSep, true);
}

void appendPatternExact(std::string &out, double x, const NumberPattern &p, char decimalSep)
{
    appendPatternRoute(out, x, p, decimalSep, false);
}

char *writePatternFast(char *q, double x, const NumberPattern &p, char decimalSep)
{
    if (p.shape == NumberPattern::Shape::Fixed4)
        return writeFixed4(q, x, decimalSep);
    if (p.shape == NumberPattern::Shape::Sci4)
        return writeSci4(q, x, decimalSep);
    if (!std::isfinite(x))
        return nullptr;
    const bool negative = x < 0;
    char *const start = q;
    if (negative)
        *q++ = '-';
    char *const digitsStart = q;
    q = fastForm(q, std::fabs(x), p, decimalSep);
    if (!q)
        return nullptr;
    // The fast exponent form never shows a zero mantissa (zero goes the exact route).
    if (negative && !p.scientific) {
        std::string_view body(digitsStart, static_cast<std::size_t>(q - digitsStart));
        if (allZeroDigits(body)) {
            std::memmove(start, digitsStart, body.size());
            --q;
        }
    }
    return q;
}

QString formatPattern(double x, std::string_view pattern, QChar decimalSep)
{
    std::string out;
    appendPattern(out, x, NumberPattern::compile(pattern), static_cast<char>(decimalSep.unicode()));
    return QString::fromLatin1(out);
}

void appendGeneral(std::string &out, double x)
{
    if (!std::isfinite(x)) {
        out.append(std::isnan(x) ? "NaN" : (x < 0 ? "-Inf" : "Inf"));
        return;
    }
    if (x == 0.0) {
        out.push_back('0');
        return;
    }
    if (x < 0)
        out.push_back('-');
    Digits15 d = digits15(std::fabs(x));
    int len = 15;
    while (len > 1 && d.d[len - 1] == '0')
        --len;
    const int e = d.exp10;
    if (e < -4 || e >= 15) {
        out.push_back(d.d[0]);
        if (len > 1) {
            out.push_back('.');
            out.append(d.d + 1, static_cast<std::size_t>(len - 1));
        }
        out.push_back('E');
        out.push_back(e < 0 ? '-' : '+');
        appendUInt(out, static_cast<unsigned long long>(e < 0 ? -e : e), 2);
        return;
    }
    if (e < 0) {
        out.push_back('.');
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out.append(d.d, static_cast<std::size_t>(len));
        return;
    }
    const int intCount = e + 1;
    for (int k = 0; k < intCount; ++k)
        out.push_back(k < len ? d.d[k] : '0');
    if (len > intCount) {
        out.push_back('.');
        out.append(d.d + intCount, static_cast<std::size_t>(len - intCount));
    }
}

std::string tickLabelPattern(std::string_view pattern, double step, double largestTick)
{
    const NumberPattern p = NumberPattern::compile(pattern);
    step = std::fabs(step);
    if (!p.valid || !std::isfinite(step) || step == 0 || !std::isfinite(largestTick))
        return std::string(pattern);
    double unit = step;
    if (p.scientific) {
        const double top = std::max(std::fabs(largestTick), step);
        unit = step / std::pow(10.0, std::floor(std::log10(top)));
    }
    int needed = 0;
    for (; needed < 17; ++needed) {
        const double r = unit * std::pow(10.0, needed);
        if (r >= 0.5 && std::fabs(r - std::round(r)) <= 1e-6 * r)
            break;
    }
    if (needed <= p.fracMax)
        return std::string(pattern);
    // The integer part and the exponent stay as they were; the fraction shows every digit needed.
    const std::size_t point = pattern.find('.');
    const std::size_t exponent = pattern.find_first_of("eE");
    std::string out(pattern.substr(0, std::min(point, exponent)));
    if (out.empty())
        out = "0";
    out += '.';
    out.append(static_cast<std::size_t>(needed), '0');
    if (exponent != std::string_view::npos)
        out += pattern.substr(exponent);
    return out;
}

QString formatGeneral(double x)
{
    std::string out;
    appendGeneral(out, x);
    return QString::fromLatin1(out);
}

void appendGeneralSigned(std::string &out, double x)
{
    if (!(x < 0) && !std::isnan(x))
        out.push_back(' ');
    appendGeneral(out, x);
}

QString formatGeneralSigned(double x)
{
    std::string out;
    appendGeneralSigned(out, x);
    return QString::fromLatin1(out);
}

QString formatShort(double x)
{
    // Fifteen digits: a value computed from typed ones (0.3 - 0.1) reads as typed.
    return x == 0 ? QStringLiteral("0") : QString::number(x, 'g', 15);
}

QChar localeDecimalSeparator()
{
    const QString dp = QLocale().decimalPoint();
    return dp.size() == 1 ? dp.at(0) : QChar('.');
}

} // namespace tervo
