#include "tools/tervo-tool/ToolOptions.h"

#include <gtest/gtest.h>

using namespace tervo::tool;

namespace {

struct NumberCase {
    const char *text;
    NumberRange range;
    std::optional<double> value;
    const char *error; // part of the message when refused
};

} // namespace

TEST(ToolOptions, NumbersMustBeFiniteAndWithinRange)
{
    const NumberCase cases[] = {
        {"2.5", anyNumber(), 2.5, ""},
        {" -3e2 ", anyNumber(), -300, ""},
        {"+4", anyNumber(), 4, ""},
        {"1e-999", anyNumber(), 0, ""},
        {"abc", anyNumber(), std::nullopt, "--x: \"abc\" is not a number."},
        {"", anyNumber(), std::nullopt, "is not a number"},
        {"2,5", anyNumber(), std::nullopt, "is not a number"},
        {"5abc", anyNumber(), std::nullopt, "is not a number"},
        {"1e999", anyNumber(), std::nullopt, "--x: \"1e999\" is not a finite number."},
        {"-1e999", anyNumber(), std::nullopt, "is not a finite number"},
        {"nan", anyNumber(), std::nullopt, "is not a finite number"},
        {"inf", anyNumber(), std::nullopt, "is not a finite number"},
        {"20", between(0, 20), 20, ""},
        {"21", between(0, 20), std::nullopt, "--x: 21 is out of range; it must be from 0 to 20."},
        {"0", above(0), std::nullopt, "it must be above 0."},
        {"-0.5", atLeast(0), std::nullopt, "it must be 0 or more."},
    };
    for (const NumberCase &c : cases) {
        QString error;
        const std::optional<double> v =
            numberOption(QStringLiteral("--x"), QString::fromLatin1(c.text), c.range, error);
        EXPECT_EQ(v, c.value) << c.text;
        if (c.value)
            EXPECT_TRUE(error.isEmpty()) << c.text;
        else
            EXPECT_TRUE(error.contains(QLatin1String(c.error)))
                << c.text << ": " << error.toStdString();
    }
}

TEST(ToolOptions, WholeNumbersAndChoices)
{
    QString error;
    EXPECT_EQ(wholeOption(QStringLiteral("--n"), QStringLiteral("7"), 5, 15, error), 7);
    EXPECT_FALSE(wholeOption(QStringLiteral("--n"), QStringLiteral("7.5"), 5, 15, error));
    EXPECT_EQ(error, QStringLiteral("--n: \"7.5\" is not a whole number."));
    EXPECT_FALSE(wholeOption(QStringLiteral("--n"), QStringLiteral("abc"), 5, 15, error));
    EXPECT_EQ(error, QStringLiteral("--n: \"abc\" is not a number."));
    EXPECT_FALSE(wholeOption(QStringLiteral("--n"), QStringLiteral("3"), 5, 15, error));
    EXPECT_TRUE(error.contains(QLatin1String("from 5 to 15"))) << error.toStdString();

    const QStringList modes{QStringLiteral("CV"), QStringLiteral("RDE"), QStringLiteral("PS")};
    EXPECT_EQ(choiceOption(QStringLiteral("--mode"), QStringLiteral("rde"), modes, error), 1);
    EXPECT_EQ(choiceOption(QStringLiteral("--mode"), QStringLiteral("Ps"), modes, error), 2);
    EXPECT_FALSE(choiceOption(QStringLiteral("--mode"), QStringLiteral("rd"), modes, error));
    EXPECT_EQ(error, QStringLiteral("--mode: \"rd\" is not one of CV, RDE, PS."));
}
