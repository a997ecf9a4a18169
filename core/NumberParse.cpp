#include "NumberParse.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace tervo {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string toLatin1(QStringView text)
{
    std::string s;
    s.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text)
        s.push_back(c.unicode() < 128 ? static_cast<char>(c.unicode()) : '\x7f');
    return s;
}

double fromChars(const char *first, const char *last)
{
    double v = 0.0;
    auto res = std::from_chars(first, last, v);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large reads as infinity, too small as zero, as strtod does.
        std::string tmp(first, last);
        return std::strtod(tmp.c_str(), nullptr);
    }
    return v;
}

// "NaN", "Inf" with an optional sign at the start of t: its length, 0 when there is none.
std::size_t nonFiniteLength(std::string_view t, double &value)
{
    std::size_t i = 0;
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        i = 1;
    }
    const std::string_view rest = t.substr(i);
    if (rest.starts_with("Inf")) {
        value = negative ? -std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::infinity();
        return i + 3;
    }
    if (rest.starts_with("NaN")) {
        value = std::numeric_limits<double>::quiet_NaN();
        return i + 3;
    }
    return 0;
}

std::string_view skipBlanks(std::string_view text)
{
    std::size_t s = 0;
    while (s < text.size() && (text[s] == ' ' || text[s] == '\t'))
        ++s;
    return text.substr(s);
}

// The rule's value of a blank-skipped text; beyondRange tells a decimal too large for a double.
double decimalValue(std::string_view t, bool &beyondRange)
{
    beyondRange = false;
    const std::size_t len = numericPrefixLength(t);
    if (len == 0) {
        double special = 0.0;
        nonFiniteLength(t, special);
        return special;
    }
    const char *first = t.data();
    const char *last = t.data() + len;
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    const double v = fromChars(first, last);
    beyondRange = std::isinf(v);
    return negative ? -v : v;
}

} // namespace

std::size_t numericPrefixLength(std::string_view t)
{
    std::size_t i = 0;
    const std::size_t n = t.size();
    if (i < n && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t mantissaDigits = 0;
    while (i < n && isDigit(t[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && t[i] == '.') {
        ++i;
        while (i < n && isDigit(t[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return 0;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (t[j] == '+' || t[j] == '-'))
            ++j;
        if (j < n && isDigit(t[j])) {
            while (j < n && isDigit(t[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

double parseDecimal(std::string_view text)
{
    bool beyond = false;
    return decimalValue(skipBlanks(text), beyond);
}

double parseDecimal(QStringView text)
{
    return parseDecimal(std::string_view(toLatin1(text)));
}

bool readDecimal(std::string_view text, double &value)
{
    bool beyond = false;
    const double v = decimalValue(skipBlanks(text), beyond);
    if (beyond)
        return false;
    value = v;
    return true;
}

bool readDecimal(QStringView text, double &value)
{
    return readDecimal(std::string_view(toLatin1(text)), value);
}

bool readDecimalEitherSeparator(QStringView text, double &value)
{
    std::string s = toLatin1(text);
    // Only the first ',' can be the decimal point of the rule's prefix.
    const std::size_t comma = s.find(',');
    if (comma != std::string::npos && s.find('.') > comma)
        s[comma] = '.';
    return readDecimal(std::string_view(s), value);
}

QString beyondRangeMessage(const QString &what)
{
    return QStringLiteral("%1 is beyond the range of numbers and was not taken.").arg(what);
}

std::vector<double> parseDecimalList(std::string_view v, std::size_t capacity)
{
    std::vector<double> values;
    readDecimalList(v, capacity, values);
    return values;
}

bool readDecimalList(std::string_view v, std::size_t capacity, std::vector<double> &out)
{
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
        v.remove_suffix(1);
    std::vector<double> values;
    std::size_t start = 0;
    bool inRange = true;
    while (values.size() < capacity) {
        const std::size_t sp = v.find(' ', start);
        double x = 0;
        inRange = readDecimal(v.substr(start, sp == std::string_view::npos ? sp : sp - start), x) &&
                  inRange;
        values.push_back(x);
        if (sp == std::string_view::npos)
            break;
        start = sp + 1;
    }
    out = std::move(values);
    return inRange;
}

std::size_t readPlainNumber(const char *first, const char *last, double &value)
{
    // Powers of ten that are exact doubles: a mantissa below 2^53 times or over one of them is
    // a single correctly rounded operation.
    static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char *p = first;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // Up to 19 digits cannot overflow the mantissa; longer ones go to the full rule.
    std::uint64_t m = 0;
    const char *const intStart = p;
    for (; p < last && isDigit(*p); ++p)
        m = m * 10 + static_cast<std::uint64_t>(*p - '0');
    std::ptrdiff_t digits = p - intStart;
    int scale = 0;
    if (p < last && (*p == '.' || *p == ',')) {
        const char *const fracStart = ++p;
        for (; p < last && isDigit(*p); ++p)
            m = m * 10 + static_cast<std::uint64_t>(*p - '0');
        scale = -static_cast<int>(p - fracStart);
        digits += p - fracStart;
    }
    if (digits == 0 || digits > 19)
        return 0;
    if (p < last && (*p == 'e' || *p == 'E')) {
        const char *q = p + 1;
        bool expNegative = false;
        if (q < last && (*q == '+' || *q == '-')) {
            expNegative = *q == '-';
            ++q;
        }
        if (q == last || !isDigit(*q))
            return 0;
        int ex = 0;
        for (; q < last && isDigit(*q); ++q)
            if (ex < 100000)
                ex = ex * 10 + (*q - '0');
        scale += expNegative ? -ex : ex;
        p = q;
    }
    double v = 0.0;
    if (m != 0) {
        if (m > (std::uint64_t{1} << 53) || scale < -22 || scale > 22)
            return 0;
        v = scale < 0 ? static_cast<double>(m) / kExact[-scale]
                      : static_cast<double>(m) * kExact[scale];
    }
    value = negative ? -v : v;
    return static_cast<std::size_t>(p - first);
}

DataNumber readDataNumber(std::string_view text, double &value)
{
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r' || text[b] == '\n'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r' ||
                     text[e - 1] == '\n'))
        --e;
    if (b == e)
        return DataNumber::NotANumber;
    const std::string_view field = text.substr(b, e - b);
    double plain = 0.0;
    if (readPlainNumber(field.data(), field.data() + field.size(), plain) == field.size()) {
        value = plain;
        return DataNumber::Ok;
    }
    double special = 0.0;
    if (nonFiniteLength(field, special) == field.size()) {
        value = special;
        return DataNumber::Ok;
    }
    // Fixed patterns write large values in full, so a field may be of any length.
    char small[64];
    std::string large;
    char *buf = small;
    if (field.size() > sizeof small) {
        large.resize(field.size());
        buf = large.data();
    }
    std::size_t n = 0;
    bool negative = false;
    std::size_t i = 0;
    if (field[i] == '+' || field[i] == '-') {
        negative = field[i] == '-';
        ++i;
    }
    for (; i < field.size(); ++i) {
        char c = field[i];
        buf[n++] = c == ',' ? '.' : c;
    }
    if (n == 0 || numericPrefixLength(std::string_view(buf, n)) != n || buf[0] == '+' ||
        buf[0] == '-')
        return DataNumber::NotANumber;
    const double v = fromChars(buf, buf + n);
    if (std::isinf(v))
        return DataNumber::BeyondRange;
    value = negative ? -v : v;
    return DataNumber::Ok;
}

bool parseDataNumber(std::string_view text, double &value)
{
    return readDataNumber(text, value) == DataNumber::Ok;
}

bool parseDataNumber(QStringView text, double &value)
{
    return parseDataNumber(std::string_view(toLatin1(text)), value);
}

double roundHalfEvenDouble(double x)
{
    if (!std::isfinite(x))
        return x;
    double r = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5)
        r = 2.0 * std::round(x / 2.0);
    return r;
}

std::int32_t roundHalfEven(double x)
{
    if (std::isnan(x))
        return 0;
    double r = roundHalfEvenDouble(x);
    if (r >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (r <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

std::int16_t roundHalfEven16(double x)
{
    std::int32_t r = roundHalfEven(x);
    if (r > 32767)
        return 32767;
    if (r < -32768)
        return -32768;
    return static_cast<std::int16_t>(r);
}

} // namespace tervo
