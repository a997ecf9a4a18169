#include "ForeignData.h"
#include "importing/foreign/ColumnMemory.h"
#include "importing/foreign/ForeignFile.h"

#include <QSettings>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;
using tervo::testing::foreignData;
using namespace tervo::foreign;

namespace {

ForeignFile readOk(const QString &path)
{
    const ReadResult r = readForeignFile(path);
    EXPECT_TRUE(r.ok()) << r.error.message().toStdString();
    return r.ok() ? *r.file : ForeignFile{};
}

std::unique_ptr<TrackStore> emptyStore()
{
    auto s = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        s->ClearTrack(t);
    return s;
}

} // namespace

TEST(ForeignTrack, CurrentsAreStoredInAmperesAndPotentialsInVolts)
{
    struct Case {
        const char *file;
        int point;
        double x, y;
    };
    // The files' own values times the unit factor (and the CHI loop's sign flip).
    const Case cases[] = {
        {"eclab-cv.mpt", 0, 0.0, 0.020193e-3},
        {"eclab-comma-latin1.mpt", 2, 0.1, 3.0e-6},
        {"gamry-chronoa.DTA", 1, 0.5, -2.0e-6},
        {"chi-cv.txt", 0, 0.0, 2.019e-5},
        {"csv-three-header-lines.csv", 0, 0.0, 20.1930e-6},
    };
    auto store = emptyStore();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const ForeignFile f = readOk(foreignData(c.file));
        ASSERT_EQ(writeTrack(*store, 3, f), f.rows());
        EXPECT_NEAR(store->data(0, 3, c.point), c.x, 1e-12);
        EXPECT_NEAR(store->data(1, 3, c.point), c.y, std::fabs(c.y) * 1e-9);
    }
}

TEST(ForeignTrack, HeaderFieldsAndPlotRange)
{
    auto store = emptyStore();
    (*store)[5].ref = 2; // left by an earlier measurement in the slot
    (*store)[5].pH = 13;
    ForeignFile f = readOk(foreignData("gamry-cv.DTA"));
    f.mode = ModeRDE;
    f.rpm = 1225;
    writeTrack(*store, 5, f);
    const TrackHeader &h = (*store)[5];
    EXPECT_EQ(h.Mode, ModeRDE);
    EXPECT_EQ(h.pnum, 22);
    EXPECT_EQ(h.Title, QStringLiteral("Ferrocyanide 5 mM"));
    EXPECT_DOUBLE_EQ(h.Scanrate, 100);
    EXPECT_DOUBLE_EQ(h.RPM, 1225);
    EXPECT_DOUBLE_EQ(h.Area, 0.071);
    EXPECT_EQ(h.ref, 0);
    EXPECT_DOUBLE_EQ(h.pH, 0);
    EXPECT_DOUBLE_EQ(h.V2nd, 0.5);
    EXPECT_DOUBLE_EQ(h.Vxmin, 0);
    EXPECT_DOUBLE_EQ(h.Vxmax, 0.5);
    EXPECT_LT(h.Vymin, 0);
    EXPECT_GT(h.Vymax, 0);

    // A potential step keeps the potentials before and after the step.
    writeTrack(*store, 6, readOk(foreignData("eclab-ca.mpt")));
    EXPECT_DOUBLE_EQ((*store)[6].V1st, 0.2);
    EXPECT_DOUBLE_EQ((*store)[6].V2nd, -0.3);
    EXPECT_DOUBLE_EQ(store->data(0, 6, 3), 1.5);
}

TEST(ForeignTrack, FlipAndUnitChoicesAreChecked)
{
    ForeignFile f = readOk(foreignData("tsv-time-current.txt"));
    f.mode = ModePS;
    EXPECT_TRUE(checkChoices(f).has_value()); // x still in V
    setMode(f, ModePS);                       // a column without a unit takes the mode's
    EXPECT_EQ(f.xUnit, QStringLiteral("s"));
    EXPECT_FALSE(checkChoices(f).has_value());
    // A potential sweep read as a transient moves x to the time column.
    ForeignFile cv = readOk(foreignData("eclab-cv.mpt"));
    setMode(cv, ModePS);
    EXPECT_EQ(cv.columns[static_cast<std::size_t>(cv.x)].title, QStringLiteral("time/s"));
    f.yUnit = QStringLiteral("V");
    EXPECT_TRUE(checkChoices(f)->expected.contains(QLatin1String("current unit")));
    f.yUnit = QStringLiteral("nA");
    f.flipCurrent = true;
    auto store = emptyStore();
    writeTrack(*store, 0, f);
    EXPECT_NEAR(store->data(1, 0, 0), -1e-15, 1e-24);

    // A column with text in it cannot be chosen.
    ForeignFile g = readOk(foreignData("gamry-cv.DTA"));
    g.y = static_cast<int>(g.titles().indexOf(QStringLiteral("Over")));
    const std::optional<ReadError> e = checkChoices(g);
    ASSERT_TRUE(e);
    EXPECT_GT(e->line, 0);
}

TEST(ForeignTrack, LongFilesOfferTheFirstPointsOrEveryKth)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.csv"));
    QByteArray text = "E/V,I/A\n";
    for (int i = 0; i < 25000; ++i)
        text += QByteArray::number(i * 1e-4) + ',' + QByteArray::number(i * 1e-9) + '\n';
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    out.close();

    ForeignFile f = readOk(path);
    ASSERT_EQ(f.rows(), 25000);
    auto store = emptyStore();
    EXPECT_EQ(f.step(), 2);
    EXPECT_TRUE(thinningNote(f).contains(QLatin1String("one row in 2")));
    EXPECT_EQ(writeTrack(*store, 1, f), 12500);
    EXPECT_DOUBLE_EQ(store->data(0, 1, 12499), 24998 * 1e-4);
    f.thinning = Thinning::First;
    EXPECT_EQ(writeTrack(*store, 1, f), kMaxPoints);
    EXPECT_DOUBLE_EQ(store->data(0, 1, kMaxPoints - 1), 20000 * 1e-4);
}

TEST(ForeignTrack, TurningPotentialsIgnoreNoise)
{
    std::vector<double> x;
    // 0.2 -> 1.0 -> -0.1 -> 0.2 with +-0.5 mV ripple.
    for (int i = 0; i <= 800; ++i)
        x.push_back(0.2 + i * 1e-3);
    for (int i = 1; i <= 1100; ++i)
        x.push_back(1.0 - i * 1e-3);
    for (int i = 1; i <= 300; ++i)
        x.push_back(-0.1 + i * 1e-3);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] += (i % 2 ? 5e-4 : -5e-4);
    const std::array<double, 3> v = turningPotentials(x.data(), static_cast<int>(x.size()));
    EXPECT_NEAR(v[0], 0.2, 1e-3);
    EXPECT_NEAR(v[1], 1.0, 1e-3);
    EXPECT_NEAR(v[2], -0.1, 1e-3);

    // A single sweep ends at its last point.
    const double lsv[] = {0.0, 0.1, 0.2, 0.3};
    EXPECT_EQ(turningPotentials(lsv, 4), (std::array<double, 3>{0.0, 0.3, 0.3}));
}

TEST(ForeignTrack, ColumnChoiceIsRememberedPerTitlePattern)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("user.ini")), QSettings::IniFormat);
    ForeignFile f = readOk(foreignData("csv-semicolon-decimal-comma.csv"));
    ForeignFile same = f;
    EXPECT_FALSE(recallColumns(settings, same));
    f.x = 1;
    f.xUnit = QStringLiteral("s");
    f.mode = ModePS;
    f.yUnit = QStringLiteral("mA");
    rememberColumns(settings, f);

    // WE(2) instead of WE(1): the same instrument's export, the same choice.
    same.columns[2].title = QStringLiteral("WE(2).Current (A)");
    ASSERT_TRUE(recallColumns(settings, same));
    EXPECT_EQ(same.x, 1);
    EXPECT_EQ(same.y, 2);
    EXPECT_EQ(same.mode, ModePS);
    EXPECT_EQ(same.yUnit, QStringLiteral("mA"));

    ForeignFile other = readOk(foreignData("csv-three-header-lines.csv"));
    EXPECT_FALSE(recallColumns(settings, other));
}
