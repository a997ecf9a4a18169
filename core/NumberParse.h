#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tervo {

// The decimal-number parse rule: leading blanks and tabs are skipped, the longest prefix that
// reads as a number (sign, digits, '.', exponent E or e with sign) is taken, the rest ignored;
// text with no numeric prefix reads 0.
double parseDecimal(std::string_view text);
double parseDecimal(QStringView text);

// Length of the numeric prefix parseDecimal would take (after the blanks), 0 when there is none.
std::size_t numericPrefixLength(std::string_view text);

// A list value ("= 1 2 -3"): trimmed of blanks and tabs, split at every single space, each piece
// read with parseDecimal; at most capacity values are read.
std::vector<double> parseDecimalList(std::string_view text, std::size_t capacity);

// Data values of track files and pasted text: the whole field (surrounding blanks allowed) must
// be a number; '.' and ',' are both taken as the decimal separator, whatever the locale, so a
// file written under another locale still loads.
bool parseDataNumber(std::string_view text, double &value);
bool parseDataNumber(QStringView text, double &value);

// Nearest integer, halves to the even neighbour; clamped to the 32-bit range (NaN gives 0).
std::int32_t roundHalfEven(double x);

// Nearest integer, halves to the even neighbour, as a double (no range limit).
double roundHalfEvenDouble(double x);

// 16-bit variant for the int16 settings and arrays.
std::int16_t roundHalfEven16(double x);

} // namespace tervo
