#include "core/NumberFormat.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace tervo;

namespace {
QString f(double x, const char *pattern)
{
    return formatPattern(x, pattern);
}
} // namespace

TEST(GeneralFormat, SignSpaceLeadingZeroAndExponent)
{
    EXPECT_EQ(formatGeneralSigned(0.05), " .05");
    EXPECT_EQ(formatGeneralSigned(0.25), " .25");
    EXPECT_EQ(formatGeneralSigned(-0.25), "-.25");
    EXPECT_EQ(formatGeneralSigned(0), " 0");
    EXPECT_EQ(formatGeneralSigned(7), " 7");
    EXPECT_EQ(formatGeneralSigned(-3), "-3");
    EXPECT_EQ(formatGeneralSigned(1e-5), " 1E-05");
    EXPECT_EQ(formatGeneralSigned(1.5e-6), " 1.5E-06");
    EXPECT_EQ(formatGeneralSigned(1e20), " 1E+20");
    EXPECT_EQ(formatGeneralSigned(0.0001), " .0001");
    EXPECT_EQ(formatGeneralSigned(123456789012345.0), " 123456789012345");
    EXPECT_EQ(formatGeneralSigned(1e15), " 1E+15");
    EXPECT_EQ(formatGeneralSigned(1.0 / 3), " .333333333333333");
    EXPECT_EQ(formatGeneralSigned(0.1 + 0.2), " .3");
    EXPECT_EQ(formatGeneralSigned(-1e-100), "-1E-100");
    EXPECT_EQ(formatGeneral(0.28274), ".28274");
    EXPECT_EQ(formatGeneral(-0.2), "-.2");
    EXPECT_EQ(formatGeneral(1000), "1000");
    EXPECT_EQ(formatGeneral(12.5), "12.5");
}

TEST(ShortFormat, BoxesShowTheShortestPlainForm)
{
    const std::pair<double, const char *> cases[] = {
        {0.6, "0.6"},           {-0.2, "-0.2"},
        {1e-6, "1e-06"},        {1.9e-5, "1.9e-05"},
        {0.0001, "0.0001"},     {1600, "1600"},
        {0.1 + 0.2, "0.3"},     {-0.0, "0"},
        {0.196, "0.196"},       {1e20, "1e+20"},
        {123456.5, "123456.5"}, {1.0 / 3, "0.333333333333333"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(formatShort(value), QString::fromLatin1(text)) << value;
}

TEST(PatternFormat, FixedPatterns)
{
    EXPECT_EQ(f(0.123456, "0.0000"), "0.1235");
    EXPECT_EQ(f(-0.5, "0.0000"), "-0.5000");
    EXPECT_EQ(f(0.00004, "0.0000"), "0.0000");
    EXPECT_EQ(f(-0.00004, "0.0000"), "0.0000");
    EXPECT_EQ(f(0.00005, "0.0000"), "0.0001");
    EXPECT_EQ(f(0.125, "0.00"), "0.13");
    EXPECT_EQ(f(2.675, "0.00"), "2.68");
    EXPECT_EQ(f(12.34, "#0.0000"), "12.3400");
    EXPECT_EQ(f(0.34, "##0.0"), "0.3");
    EXPECT_EQ(f(123.45, "##0.0"), "123.5");
    EXPECT_EQ(f(1234.5, "##0.0"), "1234.5");
    EXPECT_EQ(f(1.2345, "###0.#"), "1.2");
    EXPECT_EQ(f(1.0, "###0.#"), "1.");
    EXPECT_EQ(f(1.5, "#0.0####"), "1.5");
    EXPECT_EQ(f(1.123456, "#0.0####"), "1.12346");
    EXPECT_EQ(f(0.5, "0.###"), "0.5");
    EXPECT_EQ(f(1599.6, "###0"), "1600");
    EXPECT_EQ(f(400, "0000"), "0400");
    EXPECT_EQ(f(12345, "0000"), "12345");
    EXPECT_EQ(f(0.4, "0000"), "0000");
    EXPECT_EQ(f(7, "000"), "007");
    EXPECT_EQ(f(3, "#"), "3");
    EXPECT_EQ(f(0.5, "#.##"), ".5");
    EXPECT_EQ(f(1e12, "0.0"), "1000000000000.0");
    EXPECT_EQ(f(123456789.123456, "0.000000"), "123456789.123456");
    EXPECT_EQ(f(0.25, "0.0###"), "0.25");
}

TEST(PatternFormat, ExponentPatterns)
{
    EXPECT_EQ(f(-3.1, "0.0###e+0"), "-3.1e+0");
    EXPECT_EQ(f(0, "0.0###e+0"), "0.0e+0");
    EXPECT_EQ(f(1.23456e-5, "0.0###e+0"), "1.2346e-5");
    EXPECT_EQ(f(9.99996e-5, "0.0###e+0"), "1.0e-4");
    EXPECT_EQ(f(1e-3, "0.0###e+0"), "1.0e-3");
    EXPECT_EQ(f(123.0, "0.0###e+0"), "1.23e+2");
    EXPECT_EQ(f(50.0 / 1000, "00E+0"), "50E-3");
    EXPECT_EQ(f(100.0 / 1000, "00E+0"), "10E-2");
    EXPECT_EQ(f(5.0, "000E+0"), "500E-2");
    EXPECT_EQ(f(1.5e-6, "0.000e+0"), "1.500e-6");
    EXPECT_EQ(f(2.5e-3, "0.0000e+0"), "2.5000e-3");
    EXPECT_EQ(f(2.5e-3, "0.00e+00"), "2.50e-03");
    EXPECT_EQ(f(2.5e-3, "0.0#e+00"), "2.5e-03");
    EXPECT_EQ(f(2.5e-3, "0.0e+0"), "2.5e-3");
    EXPECT_EQ(f(2.54e-3, "0.00e+0"), "2.54e-3");
    EXPECT_EQ(f(2.5e-3, "0.0##e+0#"), "2.5e-3");
    EXPECT_EQ(f(2.5e13, "0.0##e+0#"), "2.5e+13");
    EXPECT_EQ(f(1.5e-6, "#.##e+#"), "1.5e-6");
    EXPECT_EQ(f(1000, "#.#e+#"), "1.e+3");
    EXPECT_EQ(f(1.5e-6, "0.0e-0"), "1.5e-6");
    EXPECT_EQ(f(1.5e6, "0.0e-0"), "1.5e6");
}

TEST(PatternFormat, DecimalSeparatorAndWildValues)
{
    EXPECT_EQ(formatPattern(-0.1234, "0.0000", QChar(',')), "-0,1234");
    EXPECT_EQ(formatPattern(1.5e-3, "0.0###e+0", QChar(',')), "1,5e-3");
    EXPECT_EQ(f(1e300, "0.0###e+0"), "1.0e+300");
    EXPECT_EQ(f(4.9e-324, "0.0###e+0"), "4.9407e-324");
    EXPECT_FALSE(f(1e300, "0.0000").isEmpty());
    EXPECT_EQ(f(std::numeric_limits<double>::quiet_NaN(), "0.0000"), "NaN");
}

// The fast and the exact paths must agree on every value; sweep values across many magnitudes
// including ties.
TEST(PatternFormat, FastPathAgreesWithDecimalRounding)
{
    const char *patterns[] = {"0.0000", "0.0###e+0", "0.0000e+0", "##0.0"};
    for (const char *p : patterns) {
        NumberPattern np = NumberPattern::compile(p);
        for (int i = -50000; i <= 50000; i += 7) {
            const double x = i * 0.00001;
            std::string a;
            appendPattern(a, x, np);
            // Reference: round the 15-digit decimal text by hand through a slower route.
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.14e", x);
            const double reparsed = std::strtod(buf, nullptr);
            std::string b;
            appendPattern(b, reparsed, np);
            ASSERT_EQ(a, b) << p << " " << x;
        }
    }
    EXPECT_EQ(f(0.00015, "0.0000"), "0.0002");
    EXPECT_EQ(f(1.00005, "0.0000"), "1.0001");
    EXPECT_EQ(f(1.23455e-7, "0.0###e+0"), "1.2346e-7");
}

// The fast routes (the table-driven short forms and the general ones) must write exactly what
// the slow digit-string route writes, for every pattern shape and magnitude, ties included.
TEST(PatternFormat, FastRoutesAgreeWithTheExactRoute)
{
    const char *patterns[] = {"0.0000", "0.0###e+0", "0.0000e+0", "##0.0", "0.00E+00",
                              "0e-0",   "0.###e+0",  "00.0000",   "0",     "0.000e+000"};
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    // The saved file's two forms have routes of their own.
    EXPECT_EQ(NumberPattern::compile("0.0000").shape, NumberPattern::Shape::Fixed4);
    EXPECT_EQ(NumberPattern::compile("0.0###e+0").shape, NumberPattern::Shape::Sci4);
    std::vector<double> values = {0.0,     -0.0,         0.5,        1.5,      2.5e-5,
                                  9.9995,  99999.99995,  1e-300,     1e300,    999.99996,
                                  -4e-5,   -6e-5,        9.99996e-7, 1e-18,    9.99999e-19,
                                  99999.6, 1.23456789e4, 5e-324,     -2.5e-17, 1e22};
    for (int i = 0; i < 200000; ++i)
        values.push_back(unit(rng) * std::pow(10.0, exponent(rng)));
    for (int i = -20000; i <= 20000; ++i)
        values.push_back(i * 0.00005); // halves of the last fixed digit
    for (const char *text : patterns) {
        const NumberPattern p = NumberPattern::compile(text);
        for (double x : values) {
            char buf[kFastPatternChars];
            char *end = writePatternFast(buf, x, p, ',');
            std::string exact;
            appendPatternExact(exact, x, p, ',');
            if (end) {
                ASSERT_EQ(std::string(buf, static_cast<std::size_t>(end - buf)), exact)
                    << text << " " << x;
            }
            std::string viaAppend;
            appendPattern(viaAppend, x, p, ',');
            ASSERT_EQ(viaAppend, exact) << text << " " << x;
        }
    }
}

// Tick labels of neighbouring ticks never read the same, whatever the step (1, 2, 2.5 and 5 times
// every power of ten from 1e-9 to 1e9), the shape of the range and the pattern asked for.
TEST(TickLabelPattern, NeighbouringTicksNeverReadTheSame)
{
    const char *patterns[] = {"0.0",    "0.00",    "###0",    "0",       "###0.0",
                              "0.0e+0", "0.00e+0", "#.##e+#", "0.0#e+00"};
    struct Shape {
        const char *name;
        double firstInSteps;
        int count;
    };
    const Shape shapes[] = {{"from zero up", 0, 12},       {"down to zero", -11, 12},
                            {"across zero", -6, 13},       {"far above zero", 1000, 11},
                            {"far below zero", -1010, 11}, {"a hair's width far out", 123456, 9}};
    for (int e = -9; e <= 9; ++e) {
        for (double mantissa : {1.0, 2.0, 2.5, 5.0}) {
            const double step = mantissa * std::pow(10.0, e);
            for (const Shape &s : shapes) {
                const double first = s.firstInSteps * step;
                const double last = first + (s.count - 1) * step;
                const double largest = std::max(std::fabs(first), std::fabs(last));
                for (const char *pattern : patterns) {
                    const std::string p = tickLabelPattern(pattern, step, largest);
                    QString previous;
                    for (int i = 0; i < s.count; ++i) {
                        const QString label = formatPattern(first + i * step, p);
                        ASSERT_NE(label, previous)
                            << "step " << step << ", " << s.name << ", pattern " << pattern
                            << " -> " << p << ", tick " << i;
                        previous = label;
                    }
                }
            }
        }
    }
}

TEST(TickLabelPattern, KeepsAPatternThatAlreadyShowsEnough)
{
    EXPECT_EQ(tickLabelPattern("0.0", 0.5, 2), "0.0");
    EXPECT_EQ(tickLabelPattern("0.0#e+00", 2.5e-5, 1e-4), "0.0#e+00");
    EXPECT_EQ(tickLabelPattern("", 0.05, 1), "");
    EXPECT_EQ(tickLabelPattern("0.0", 0, 1), "0.0");
}
