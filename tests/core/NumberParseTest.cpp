#include "core/NumberParse.h"
#include "core/Clock.h"
#include "core/Colors.h"
#include "core/LineReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace tervo;

TEST(DecimalParse, LongestNumericPrefix)
{
    EXPECT_DOUBLE_EQ(parseDecimal(" .05 "), 0.05);
    EXPECT_DOUBLE_EQ(parseDecimal("\t -1.5E-05xyz"), -1.5e-5);
    EXPECT_DOUBLE_EQ(parseDecimal("12abc"), 12);
    EXPECT_DOUBLE_EQ(parseDecimal("abc"), 0);
    EXPECT_DOUBLE_EQ(parseDecimal(""), 0);
    EXPECT_DOUBLE_EQ(parseDecimal("-"), 0);
    EXPECT_DOUBLE_EQ(parseDecimal("."), 0);
    EXPECT_DOUBLE_EQ(parseDecimal("1e"), 1);
    EXPECT_DOUBLE_EQ(parseDecimal("1e+"), 1);
    EXPECT_DOUBLE_EQ(parseDecimal("2.5e3"), 2500);
    EXPECT_DOUBLE_EQ(parseDecimal("+7"), 7);
    EXPECT_DOUBLE_EQ(parseDecimal("1,5"), 1);
    EXPECT_DOUBLE_EQ(parseDecimal("5."), 5);
    EXPECT_DOUBLE_EQ(parseDecimal(QStringLiteral(" 0.6 ")), 0.6);
    EXPECT_TRUE(std::isinf(parseDecimal("1e999")));
}

TEST(DataNumber, EitherSeparatorWholeField)
{
    double v = 0;
    EXPECT_TRUE(parseDataNumber("0.1234", v));
    EXPECT_DOUBLE_EQ(v, 0.1234);
    EXPECT_TRUE(parseDataNumber("-0,1234", v));
    EXPECT_DOUBLE_EQ(v, -0.1234);
    EXPECT_TRUE(parseDataNumber(" 1.5e-3 ", v));
    EXPECT_DOUBLE_EQ(v, 1.5e-3);
    EXPECT_TRUE(parseDataNumber("-3.1e+0", v));
    EXPECT_DOUBLE_EQ(v, -3.1);
    EXPECT_FALSE(parseDataNumber("", v));
    EXPECT_FALSE(parseDataNumber("abc", v));
    EXPECT_FALSE(parseDataNumber("1.2.3", v));
    EXPECT_FALSE(parseDataNumber("12x", v));
    EXPECT_FALSE(parseDataNumber("--1", v));
}

TEST(NumberRule, WriterSpellingsReadAndBeyondRangeRefused)
{
    EXPECT_TRUE(std::isinf(parseDecimal(" Inf ")));
    EXPECT_LT(parseDecimal("-Inf"), 0);
    EXPECT_TRUE(std::isnan(parseDecimal("NaN")));
    double v = 7;
    EXPECT_FALSE(readDecimal("1e400", v));
    EXPECT_FALSE(readDecimal("-1e400", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(readDecimal("1e-400", v)); // underflow is 0, not an error
    EXPECT_EQ(v, 0);
    // Built in place: GCC 12 warns falsely on string(n, c) + "..." at -O2.
    std::string seventyNines(70, '9');
    seventyNines += ".0000";
    EXPECT_TRUE(readDataNumber(seventyNines, v) == DataNumber::Ok);
    EXPECT_DOUBLE_EQ(v, 1e70);
    EXPECT_TRUE(readDataNumber("1e400", v) == DataNumber::BeyondRange);
    EXPECT_TRUE(readDataNumber("-Inf", v) == DataNumber::Ok && std::isinf(v) && v < 0);
    EXPECT_TRUE(readDataNumber("NaN", v) == DataNumber::Ok && std::isnan(v));
    EXPECT_TRUE(readDataNumber("Infinity", v) == DataNumber::NotANumber);
    EXPECT_TRUE(readDecimalEitherSeparator(QStringLiteral("1,000e-6"), v));
    EXPECT_DOUBLE_EQ(v, 1e-6);
    EXPECT_TRUE(readDecimalEitherSeparator(QStringLiteral("2.5"), v));
    EXPECT_DOUBLE_EQ(v, 2.5);
}

TEST(LineReader, CrLfLfAndLoneCr)
{
    std::vector<std::string> lines;
    LineReader r("a\r\nb\nc\rd\r\n\r\ne");
    std::string_view line;
    while (r.next(line))
        lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(r.lineNumber(), 6);
    LineReader trailing("x\r");
    EXPECT_TRUE(trailing.next(line));
    EXPECT_FALSE(trailing.next(line));
    LineReader empty("");
    EXPECT_FALSE(empty.next(line));
}

TEST(LineReader, SkipsALeadingByteOrderMarkAndRewinds)
{
    const std::pair<const char *, std::vector<std::string>> cases[] = {
        {"\xEF\xBB\xBF", {}},
        {"\xEF\xBB\xBF"
         "a\r\nb",
         {"a", "b"}},
        {"a\n\xEF\xBB\xBF", {"a", "\xEF\xBB\xBF"}},
    };
    for (const auto &[text, expected] : cases) {
        LineReader r(text);
        std::vector<std::string> lines;
        std::string_view line;
        while (r.next(line))
            lines.emplace_back(line);
        EXPECT_EQ(lines, expected) << text;
        EXPECT_TRUE(r.atEnd());
    }
    LineReader r("\xEF\xBB\xBF"
                 "a\rb\rc");
    std::string_view line;
    while (r.next(line)) {
    }
    r.rewindTo(1);
    ASSERT_TRUE(r.next(line));
    EXPECT_EQ(line, "b");
    EXPECT_EQ(r.lineNumber(), 2);
    r.rewindTo(0);
    ASSERT_TRUE(r.next(line));
    EXPECT_EQ(line, "a");
}

TEST(Rounding, HalvesToEven)
{
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(7.0000001), 7);
    EXPECT_EQ(roundHalfEven(1e20), 2147483647);
    EXPECT_EQ(roundHalfEven(-1e20), -2147483647 - 1);
    EXPECT_EQ(roundHalfEven(std::nan("")), 0);
    EXPECT_EQ(roundHalfEven16(40000), 32767);
    EXPECT_DOUBLE_EQ(roundHalfEvenDouble(12.5), 12);
}

TEST(Colors, HueLightnessSaturation)
{
    EXPECT_EQ(hlsToRgb(0, 16, 0), qRgb(128, 128, 128));
    // Hue 64 is green's peak for the middle channel window, red falls to m1.
    const QRgb green = hlsToRgb(64, 16, 31);
    EXPECT_EQ(qGreen(green), 255); // m2 = 31.5 rounds to 32
    EXPECT_EQ(qRed(green), 0);
    // 16 + 31 saturation yields m2 = 31.5, rounded to 32: clamped to 255, not wrapped.
    const QRgb c = hlsToRgb(48, 16, 31);
    EXPECT_LE(qRed(c), 255);
    EXPECT_EQ(qRed(hlsToRgb(0 - 64, 16, 31)), 0);
}

TEST(Clock, FakeClockAndWrapAround)
{
    FakeMsClock clock(0xFFFFFF00u);
    const std::uint32_t start = clock.tickCount();
    clock.advance(0x200);
    EXPECT_LT(clock.tickCount(), start);
    EXPECT_EQ(elapsedMs(start, clock.tickCount()), 0x200u);
    // A start read just after now is no time at all, not a wrapped 49 days.
    EXPECT_EQ(elapsedMs(1001, 1000), 0u);
    EXPECT_EQ(elapsedMs(0xFFFFFFFFu, 5), 6u);
}

// The fast route must give bit for bit the value of the exact conversion, in every spelling the
// writers produce and in the ones it hands on to the full rule.
TEST(DataNumber, FastRouteAgreesWithExactConversion)
{
    std::mt19937_64 rng(20261207);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    const char *formats[] = {"%.4f", "%.3e", "%.17g", "%.0f", "%.25f", "%.6E"};
    char buf[128];
    for (int i = 0; i < 20000; ++i) {
        const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
        for (const char *f : formats) {
            std::snprintf(buf, sizeof buf, f, x);
            const double exact = std::strtod(buf, nullptr);
            std::string comma = buf;
            std::replace(comma.begin(), comma.end(), '.', ',');
            for (const std::string &text : {std::string(buf), comma}) {
                double v = 0;
                ASSERT_EQ(readDataNumber(text, v), DataNumber::Ok) << text;
                ASSERT_EQ(std::memcmp(&v, &exact, sizeof v), 0) << text;
            }
        }
    }
    double v = 7;
    for (const char *bad : {"1e", "1.5,", "+-1", ".", "1.5e+", "--1", "1..2"})
        EXPECT_EQ(readDataNumber(bad, v), DataNumber::NotANumber) << bad;
    EXPECT_EQ(v, 7);
}
