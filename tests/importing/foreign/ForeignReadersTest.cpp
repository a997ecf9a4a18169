#include "ForeignData.h"
#include "importing/foreign/ForeignFile.h"

#include "core/DateText.h"

#include <QDateTime>
#include <QFile>
#include <gtest/gtest.h>

using namespace tervo;
using tervo::testing::foreignData;
using namespace tervo::foreign;

namespace {

QByteArray bytesOf(const char *name)
{
    QFile f(foreignData(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

ForeignFile readOk(const char *name)
{
    const ReadResult r = readForeignFile(foreignData(name));
    EXPECT_TRUE(r.ok()) << name << ": " << r.error.message().toStdString();
    return r.ok() ? *r.file : ForeignFile{};
}

struct FixtureCase {
    const char *file;
    Format format;
    const char *technique;
    int mode;
    int rows;
    const char *x, *xUnit, *y, *yUnit;
    double scanrate, area;
};

} // namespace

TEST(ForeignReaders, EachFixtureGivesFormatModeColumnsAndUnits)
{
    const FixtureCase cases[] = {
        {"eclab-cv.mpt", Format::ECLab, "Cyclic Voltammetry", ModeCV, 11, "Ewe/V", "V", "<I>/mA",
         "mA", 50, 0.196},
        {"eclab-cv-bom.mpt", Format::ECLab, "Cyclic Voltammetry", ModeCV, 11, "Ewe/V", "V",
         "<I>/mA", "mA", 50, 0.196},
        {"eclab-comma-latin1.mpt", Format::ECLab, "Linear Sweep Voltammetry", ModeCV, 5, "Ewe/V",
         "V", "<I>/µA", "µA", 20, 0.071},
        {"eclab-ca.mpt", Format::ECLab, "Chronoamperometry / Chronocoulometry", ModePS, 4, "time/s",
         "s", "I/mA", "mA", 0, 0},
        {"gamry-cv.DTA", Format::Gamry, "CV", ModeCV, 22, "Vf", "V", "Im", "A", 100, 0.071},
        {"gamry-chronoa.DTA", Format::Gamry, "CHRONOA", ModePS, 4, "T", "s", "Im", "A", 0, 0},
        {"chi-cv.txt", Format::CHI, "Cyclic Voltammetry", ModeCV, 11, "Potential/V", "V",
         "Current/A", "A", 50, 0},
        {"chi-cv-charge.txt", Format::CHI, "Cyclic Voltammetry", ModeCV, 11, "Potential/V", "V",
         "Current/A", "A", 100, 0},
        {"chi-it.txt", Format::CHI, "Amperometric i-t Curve", ModePS, 4, "Time/sec", "s",
         "Current/A", "A", 0, 0},
        {"csv-three-header-lines.csv", Format::Delimited,
         "values separated by \",\", decimal point", ModeCV, 11, "V", "V", "µA", "µA", 0, 0},
        {"csv-semicolon-decimal-comma.csv", Format::Delimited,
         "values separated by \";\", decimal comma", ModeCV, 11, "Potential applied (V)", "V",
         "WE(1).Current (A)", "A", 0, 0},
    };
    for (const FixtureCase &c : cases) {
        SCOPED_TRACE(c.file);
        const ForeignFile f = readOk(c.file);
        ASSERT_EQ(f.rows(), c.rows);
        EXPECT_EQ(f.format, c.format);
        EXPECT_EQ(f.technique, QString::fromUtf8(c.technique));
        EXPECT_EQ(f.mode, c.mode);
        EXPECT_EQ(f.columns[static_cast<std::size_t>(f.x)].title, QString::fromUtf8(c.x));
        EXPECT_EQ(f.columns[static_cast<std::size_t>(f.y)].title, QString::fromUtf8(c.y));
        EXPECT_EQ(f.xUnit, QString::fromUtf8(c.xUnit));
        EXPECT_EQ(f.yUnit, QString::fromUtf8(c.yUnit));
        EXPECT_DOUBLE_EQ(f.scanrate, c.scanrate);
        EXPECT_DOUBLE_EQ(f.area, c.area);
        EXPECT_FALSE(checkChoices(f).has_value());
    }
}

TEST(ForeignReaders, HeaderTitleDateAndProgrammePotentials)
{
    const ForeignFile ec = readOk("eclab-cv.mpt");
    EXPECT_EQ(ec.title, QStringLiteral("eclab-cv"));
    EXPECT_EQ(ec.measTime, generalDateText(QDateTime(QDate(2024, 7, 17), QTime(10, 22, 33))));
    ASSERT_TRUE(ec.programme);
    EXPECT_EQ(*ec.programme, (std::array<double, 3>{0.0, 0.5, 0.0}));

    const ForeignFile comma = readOk("eclab-comma-latin1.mpt");
    EXPECT_EQ(comma.measTime, generalDateText(QDateTime(QDate(2024, 7, 17), QTime(14, 5, 0))));
    ASSERT_TRUE(comma.programme);
    EXPECT_DOUBLE_EQ((*comma.programme)[0], -0.1);

    // Day-first with dots; notes and the open-circuit table are skipped.
    const ForeignFile g = readOk("gamry-cv.DTA");
    EXPECT_EQ(g.title, QStringLiteral("Ferrocyanide 5 mM"));
    EXPECT_EQ(g.measTime, generalDateText(QDateTime(QDate(2024, 7, 17), QTime(9, 41, 7))));
    EXPECT_DOUBLE_EQ(g.columns[1].values.front(), 0.0);
    EXPECT_DOUBLE_EQ(g.columns[1].values[11], 1.1); // the second curve follows the first

    const ForeignFile ca = readOk("gamry-chronoa.DTA");
    EXPECT_EQ(ca.title, QStringLiteral("Step to -0,3 V"));
    EXPECT_EQ(ca.measTime, generalDateText(QDateTime(QDate(2024, 7, 17), QTime(15, 15, 0))));

    // CHI: "Init P/N = P" heads for High E first; without it the data tell.
    const ForeignFile chi = readOk("chi-cv.txt");
    EXPECT_EQ(chi.title, QStringLiteral("Ferro in KCl"));
    EXPECT_EQ(*chi.programme, (std::array<double, 3>{0.0, 0.5, 0.0}));
    const ForeignFile charge = readOk("chi-cv-charge.txt");
    EXPECT_EQ(charge.title, QStringLiteral("chi-cv-charge"));
    EXPECT_EQ(*charge.programme, (std::array<double, 3>{0.5, 0.0, 0.5}));
    EXPECT_EQ(charge.columns.size(), 3u);
}

TEST(ForeignReaders, ChiSignConventionFromTheLoop)
{
    const ForeignFile cathodic = readOk("chi-cv.txt");
    EXPECT_TRUE(cathodic.flipCurrent);
    EXPECT_TRUE(cathodic.signNote.startsWith(QLatin1String("cathodic")));
    const ForeignFile anodic = readOk("chi-cv-charge.txt");
    EXPECT_FALSE(anodic.flipCurrent);
    // A transient has no loop: the sign stays as recorded.
    const ForeignFile it = readOk("chi-it.txt");
    EXPECT_FALSE(it.flipCurrent);
    EXPECT_TRUE(it.signNote.contains(QLatin1String("not told")));
}

TEST(ForeignReaders, DelimitedSkipsHeaderLinesAndNamesColumnsItCannotTitle)
{
    EXPECT_EQ(readOk("csv-three-header-lines.csv").headerLines, 4);
    const ForeignFile t = readOk("tsv-time-current.txt");
    EXPECT_EQ(t.headerLines, 0);
    EXPECT_EQ(t.titles(), (QStringList{QStringLiteral("Column 1"), QStringLiteral("Column 2")}));
    EXPECT_EQ(t.technique, QStringLiteral("values separated by TAB, decimal point"));
}

TEST(ForeignReaders, MalformedAndWrongKindFilesNameLineAndExpectation)
{
    using Reader = ReadResult (*)(const QByteArray &, const QString &);
    struct Case {
        const char *file;
        Reader reader;
        int line;
        const char *expected;
    };
    const Case cases[] = {
        {"eclab-truncated.mpt", readEcLab, 8, "20 header lines"},
        {"eclab-cut-row.mpt", readEcLab, 8, "3 TAB-separated values, found 2"},
        {"gamry-short-table.DTA", readGamry, 11, "4 rows in CURVE, found 2"},
        {"csv-cut-row.csv", readDelimited, 4, "2 values separated by \",\", found 1"},
        // A word among the first rows is an error, not the end of a header.
        {"csv-word-in-first-rows.csv", readDelimited, 5,
         "2 values separated by \",\", found \"n/a\""},
        {"csv-three-columns-word-in-row-two.csv", readDelimited, 3,
         "3 values separated by \",\", found \"x\""},
        {"prose.txt", readDelimited, 1, "rows of two or more numbers"},
        {"gamry-cv.DTA", readEcLab, 1, "EC-Lab ASCII FILE"},
        {"eclab-cv.mpt", readGamry, 1, "EXPLAIN"},
        {"csv-three-header-lines.csv", readChi, 2, "CH Instruments technique"},
        {"chi-cv.txt", readEcLab, 1, "EC-Lab ASCII FILE"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const ReadResult r = c.reader(bytesOf(c.file), foreignData(c.file));
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error.line, c.line);
        EXPECT_TRUE(r.error.expected.contains(QString::fromUtf8(c.expected)))
            << r.error.expected.toStdString();
        EXPECT_TRUE(
            r.error.message().startsWith(QString::fromLatin1(c.file) + QStringLiteral(": line ")));
    }
    const ReadResult binary = readDelimited(QByteArray("\x01\x02\0\x03", 4), QStringLiteral("x"));
    EXPECT_TRUE(binary.error.expected.contains(QLatin1String("binary")));
    const ReadResult track =
        readForeignBytes(QByteArray("TERVO File\r\nKLUseFlag= 0\r\n"), QStringLiteral("t.tvd"));
    EXPECT_TRUE(track.error.expected.contains(QLatin1String("track file")));
}

TEST(ForeignReaders, EveryCutOfEveryFixtureReadsOrFailsWithALine)
{
    for (const char *name : {"eclab-cv.mpt", "eclab-comma-latin1.mpt", "gamry-cv.DTA",
                             "gamry-chronoa.DTA", "chi-cv.txt", "chi-cv-charge.txt",
                             "csv-three-header-lines.csv", "csv-semicolon-decimal-comma.csv"}) {
        const QByteArray all = bytesOf(name);
        for (qsizetype n = 0; n < all.size(); ++n) {
            const ReadResult r = readForeignBytes(all.left(n), foreignData(name));
            if (!r.ok()) {
                EXPECT_FALSE(r.error.expected.isEmpty()) << name << " cut at " << n;
            }
        }
    }
}

TEST(ForeignReaders, UnitsFromTitles)
{
    struct Case {
        const char *title;
        const char *unit;
    };
    const Case cases[] = {
        {"<I>/mA", "mA"},    {"Current (A)", "A"}, {"I [uA]", "µA"},  {"Time/sec", "s"},
        {"V", "V"},          {"Ewe/mV", "mV"},     {"Charge/C", "C"}, {"WE(1).Current (nA)", "nA"},
        {"cycle number", ""}};
    for (const Case &c : cases) {
        const std::optional<UnitInfo> u = unitFromTitle(QString::fromUtf8(c.title));
        EXPECT_EQ(u ? u->name : QString(), QString::fromUtf8(c.unit)) << c.title;
    }
}

TEST(ForeignReaders, ModeFromTechniqueAndRateFromFileName)
{
    EXPECT_EQ(modeForTechnique(QStringLiteral("LSV")), ModeCV);
    EXPECT_EQ(modeForTechnique(QStringLiteral("Amperometric i-t Curve")), ModePS);
    EXPECT_EQ(modeForTechnique(QStringLiteral("Open Circuit Voltage")), ModeNone);
    EXPECT_DOUBLE_EQ(rpmFromFileName(QStringLiteral("/d/ORR-1225RPM-2.txt")), 1225);
    EXPECT_DOUBLE_EQ(rpmFromFileName(QStringLiteral("pt_400rpm.csv")), 400);
    EXPECT_DOUBLE_EQ(rpmFromFileName(QStringLiteral("/1600rpm/plain.csv")), 0);
}
