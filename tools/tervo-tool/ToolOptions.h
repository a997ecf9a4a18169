#pragma once

#include <QString>
#include <QStringList>
#include <limits>
#include <optional>

namespace tervo::tool {

// The values an option's number may take. Bounds are included unless aboveLow says otherwise.
struct NumberRange {
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
    bool aboveLow = false;
};

inline NumberRange anyNumber()
{
    return {};
}
inline NumberRange between(double low, double high)
{
    return {low, high, false};
}
inline NumberRange atLeast(double low)
{
    return {low, std::numeric_limits<double>::infinity(), false};
}
inline NumberRange above(double low)
{
    return {low, std::numeric_limits<double>::infinity(), true};
}

// Every command reads the values of its options through these. Each takes the option's name as
// the caller wants it named ("--points", "--set KLVuse"), returns nothing on a fault and then
// puts a one-line message naming the option into error.

// A finite decimal number ("." as decimal point, an exponent allowed) within range.
std::optional<double> numberOption(const QString &option, const QString &text, NumberRange range,
                                   QString &error);
// A whole number from low to high.
std::optional<int> wholeOption(const QString &option, const QString &text, int low, int high,
                               QString &error);
// The index of the choice the text names; letter case does not matter.
std::optional<int> choiceOption(const QString &option, const QString &text,
                                const QStringList &choices, QString &error);

} // namespace tervo::tool
