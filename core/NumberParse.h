#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tervo {

// What a number in text may be, for every reader and writer: a decimal within the range of a
// double, or one of the spellings the writers use for values that are not finite ("NaN", "Inf",
// "-Inf"). A decimal beyond the range of a double is refused where it is read, never turned into
// an infinity.

// The decimal-number parse rule: leading blanks and tabs are skipped, the longest prefix that
// reads as a number (sign, digits, '.', exponent E or e with sign, or NaN / Inf with an optional
// sign) is taken, the rest ignored; text with no numeric prefix reads 0. A decimal beyond the
// range of a double reads as an infinity here: readers that keep the value use readDecimal.
double parseDecimal(std::string_view text);
double parseDecimal(QStringView text);

// parseDecimal that refuses a decimal beyond the range of a double (false, value untouched).
bool readDecimal(std::string_view text, double &value);
bool readDecimal(QStringView text, double &value);

// The same rule with ',' also taken as the decimal point, for values written with the user's
// decimal separator.
bool readDecimalEitherSeparator(QStringView text, double &value);

// Length of the numeric prefix parseDecimal would take (after the blanks), 0 when there is none.
std::size_t numericPrefixLength(std::string_view text);

// A list value ("= 1 2 -3"): trimmed of blanks and tabs, split at every single space, each piece
// read with parseDecimal; at most capacity values are read.
std::vector<double> parseDecimalList(std::string_view text, std::size_t capacity);
// The same, refusing (false) a list with a piece beyond the range of numbers.
bool readDecimalList(std::string_view text, std::size_t capacity, std::vector<double> &values);

// Data values of track files and pasted text: the whole field (surrounding blanks allowed) must
// be a number; '.' and ',' are both taken as the decimal separator, whatever the locale, so a
// file written under another locale still loads.
bool parseDataNumber(std::string_view text, double &value);
bool parseDataNumber(QStringView text, double &value);
enum class DataNumber { Ok, NotANumber, BeyondRange };
DataNumber readDataNumber(std::string_view text, double &value);

// The fast route of the data rule for the common case: a plain number ("-0.1234", "3.1e-5",
// "1,5") at first, read exactly (the same value readDataNumber gives). Returns its length, or 0
// when the text does not start with a number this route can read; readDataNumber then decides.
std::size_t readPlainNumber(const char *first, const char *last, double &value);

// The message shown when a value is refused for being beyond the range of numbers.
QString beyondRangeMessage(const QString &what);

// Nearest integer, halves to the even neighbour; clamped to the 32-bit range (NaN gives 0).
std::int32_t roundHalfEven(double x);

// Nearest integer, halves to the even neighbour, as a double (no range limit).
double roundHalfEvenDouble(double x);

// 16-bit variant for the int16 settings and arrays.
std::int16_t roundHalfEven16(double x);

} // namespace tervo
