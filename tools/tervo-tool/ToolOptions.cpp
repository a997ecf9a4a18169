#include "ToolOptions.h"

#include "core/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tervo::tool {

namespace {

enum class Parsed { Number, NotANumber, NotFinite };

Parsed parseNumber(const QString &text, double &value)
{
    std::string s = text.trimmed().toStdString();
    if (!s.empty() && s.front() == '+')
        s.erase(0, 1);
    if (s.empty())
        return Parsed::NotANumber;
    const char *end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value, std::chars_format::general);
    if (ptr != end)
        return Parsed::NotANumber;
    if (ec == std::errc::result_out_of_range) {
        // A value too small to represent is 0 for every purpose here; one too large is not.
        const std::size_t e = s.find_first_of("eE");
        const bool tiny = e != std::string::npos && s.find('-', e) == e + 1;
        if (!tiny)
            return Parsed::NotFinite;
        value = 0;
        return Parsed::Number;
    }
    if (ec != std::errc() || !std::isfinite(value))
        return Parsed::NotFinite;
    return Parsed::Number;
}

QString rangeText(const NumberRange &r)
{
    const bool hasLow = std::isfinite(r.low), hasHigh = std::isfinite(r.high);
    if (hasLow && hasHigh)
        return r.aboveLow ? QStringLiteral("above %1 and at most %2")
                                .arg(formatGeneral(r.low), formatGeneral(r.high))
                          : QStringLiteral("from %1 to %2")
                                .arg(formatGeneral(r.low), formatGeneral(r.high));
    if (hasLow)
        return r.aboveLow ? QStringLiteral("above %1").arg(formatGeneral(r.low))
                          : QStringLiteral("%1 or more").arg(formatGeneral(r.low));
    return QStringLiteral("%1 or less").arg(formatGeneral(r.high));
}

bool inRange(double v, const NumberRange &r)
{
    return (r.aboveLow ? v > r.low : v >= r.low) && v <= r.high;
}

} // namespace

std::optional<double> numberOption(const QString &option, const QString &text, NumberRange range,
                                   QString &error)
{
    double v = 0;
    switch (parseNumber(text, v)) {
    case Parsed::NotANumber:
        error = QStringLiteral("%1: \"%2\" is not a number.").arg(option, text);
        return std::nullopt;
    case Parsed::NotFinite:
        error = QStringLiteral("%1: \"%2\" is not a finite number.").arg(option, text);
        return std::nullopt;
    case Parsed::Number:
        break;
    }
    if (!inRange(v, range)) {
        error = QStringLiteral("%1: %2 is out of range; it must be %3.")
                    .arg(option, text.trimmed(), rangeText(range));
        return std::nullopt;
    }
    return v;
}

std::optional<int> wholeOption(const QString &option, const QString &text, int low, int high,
                               QString &error)
{
    const std::optional<double> v = numberOption(option, text, between(low, high), error);
    if (!v)
        return std::nullopt;
    if (*v != std::floor(*v)) {
        error = QStringLiteral("%1: \"%2\" is not a whole number.").arg(option, text);
        return std::nullopt;
    }
    return static_cast<int>(*v);
}

std::optional<int> choiceOption(const QString &option, const QString &text,
                                const QStringList &choices, QString &error)
{
    for (qsizetype i = 0; i < choices.size(); ++i)
        if (text.trimmed().compare(choices[i], Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    error = QStringLiteral("%1: \"%2\" is not one of %3.")
                .arg(option, text, choices.join(QStringLiteral(", ")));
    return std::nullopt;
}

} // namespace tervo::tool
