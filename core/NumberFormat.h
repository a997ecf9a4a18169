#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace tervo {

// A compiled numeric format pattern such as "0.0###e+0" or "#0.0000".
// '0' is a digit always shown, '#' a digit shown only when significant, '.' the decimal
// point; "e+"/"E+" an exponent whose sign is always shown, "e-"/"E-" one whose sign is shown
// only when negative, the digits after it give the exponent's minimum width.
struct NumberPattern {
    int intZeros = 0;  // minimum count of integer digits
    int intDigits = 0; // integer placeholders of any kind (mantissa width in exponent form)
    bool hasPoint = false;
    int fracMin = 0; // fraction digits always shown
    int fracMax = 0; // fraction digits shown at most
    bool scientific = false;
    char expLetter = 'e';
    bool expSignAlways = true;
    int expMinWidth = 1;
    bool valid = false;
    // The two forms of a saved file's data lines, which have routes of their own.
    enum class Shape : unsigned char { General, Fixed4, Sci4 } shape = Shape::General;

    static NumberPattern compile(std::string_view pattern);
};

// Appends x formatted with pattern p (decimal point replaced by decimalSep) to out.
void appendPattern(std::string &out, double x, const NumberPattern &p, char decimalSep = '.');
// The same through the slow digit-string route only, which the fast routes must agree with.
void appendPatternExact(std::string &out, double x, const NumberPattern &p, char decimalSep = '.');

// The common case of appendPattern straight into a buffer of at least kFastPatternChars: returns
// the end of what was written, or nullptr (nothing usable written) when appendPattern must decide.
inline constexpr int kFastPatternChars = 48;
char *writePatternFast(char *out, double x, const NumberPattern &p, char decimalSep = '.');

// Formats with a pattern text; the pattern is compiled on every call, so hot loops compile once
// and use appendPattern instead.
QString formatPattern(double x, std::string_view pattern, QChar decimalSep = QChar('.'));

// The general number format: shortest form of up to 15 significant digits, no leading zero before
// the point (.25), exponent form with a capital E and a signed two-digit exponent for very small
// and very large magnitudes (1E-05, 1E+20).
void appendGeneral(std::string &out, double x);
QString formatGeneral(double x);

// The same with a leading space in place of the sign of a non-negative value (" .25", "-.25").
void appendGeneralSigned(std::string &out, double x);
QString formatGeneralSigned(double x);

// A number as a box shows it for reading and editing: up to 15 significant digits without
// trailing zeros, a zero before the point and a small exponent letter ("0.6", "-0.2", "1e-06").
QString formatShort(double x);

// The pattern for the tick labels of an axis stepping by step: the given one with as many fraction
// digits as the step needs for neighbouring ticks to read differently (in the mantissa for an
// exponent form, judged at the tick of largest magnitude). A pattern that already shows enough, or
// an empty or unusable one, comes back unchanged.
std::string tickLabelPattern(std::string_view pattern, double step, double largestTick);

// The decimal separator of the user's locale, as the data lines and pasted text use it.
QChar localeDecimalSeparator();

} // namespace tervo
