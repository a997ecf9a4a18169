#include "processing/Smoothing.h"
#include "ProcessingFixtures.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace tervo;

namespace {

const QString kShipped = QStringLiteral(TERVO_BIN_DIR "/Savitzky-Golay.dat");

struct SmoothRig {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    Settings settings;
    ScriptedPrompts prompts;
    SmoothingController c;
    explicit SmoothRig(const QString &file = kShipped) : c(*store, settings, prompts, file)
    {
        c.open();
    }
};

CoefficientFile shipped()
{
    return readCoefficientFile(kShipped);
}

} // namespace

TEST(SavitzkyGolayFile, ShippedRowsAreTheLeastSquaresRowsAndThePublishedOnes)
{
    QFile f(kShipped);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), coefficientFileText());
    const CoefficientFile file = shipped();
    ASSERT_TRUE(file.ok()) << file.error.toStdString();
    ASSERT_EQ(file.rows.size(), 6u);
    const std::vector<std::vector<double>> published = {
        {35, 17, 12, -3}, {21, 7, 6, 3, -2}, {231, 59, 54, 39, 14, -21}};
    for (std::size_t r = 0; r < published.size(); ++r) {
        std::vector<double> row{file.rows[r].divisor};
        row.insert(row.end(), file.rows[r].a.begin(), file.rows[r].a.end());
        EXPECT_EQ(row, published[r]);
    }
    // Each row sums to its divisor, so a constant stays constant.
    for (const CoefficientRow &row : file.rows) {
        double sum = row.a[0];
        for (std::size_t j = 1; j < row.a.size(); ++j)
            sum += 2 * row.a[j];
        EXPECT_EQ(sum, row.divisor);
    }
}

TEST(SavitzkyGolayFile, TheLastLineIsNeverARowAndBadFieldsNameTheLine)
{
    struct Case {
        const char *text;
        int rows;
        const char *errorPart;
    } cases[] = {
        {"35,17,12,-3\r\n21,7,6,3,-2\r\n", 1, ""},
        {"35,17,12,-3\r\n21,7,6,3,-2", 1, ""},
        {"35,17,12,-3\r\n\r\n", 1, ""},
        {"35,17,12,-3\r\n21,x,6,3,-2\r\n\r\n", 0, "line 2"},
        {"0,17,12,-3\r\n\r\n", 0, "line 1"},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const QString path = dir.filePath(QStringLiteral("Savitzky-Golay.dat"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.text);
        f.close();
        const CoefficientFile file = readCoefficientFile(path);
        EXPECT_EQ(static_cast<int>(file.rows.size()), c.rows) << c.text;
        EXPECT_TRUE(file.error.contains(QLatin1String(c.errorPart))) << file.error.toStdString();
        if (*c.errorPart) {
            EXPECT_TRUE(file.error.contains(QStringLiteral("Savitzky-Golay.dat")));
        }
    }
}

TEST(SavitzkyGolayFile, AByteOrderMarkAndLoneCrLineEndsReadAsTheRows)
{
    for (const char *name : {"bom.dat", "lone-cr.dat"}) {
        const CoefficientFile file =
            readCoefficientFile(QStringLiteral(TERVO_TEST_DATA "/smoothing/") + name);
        EXPECT_TRUE(file.ok()) << name << ": " << file.error.toStdString();
        ASSERT_GE(file.rows.size(), 1u) << name;
        EXPECT_EQ(file.rows[0].divisor, 35) << name;
    }
}

TEST(Smoothing, SavitzkyGolayReproducesAQuadraticAndAConstant)
{
    auto store = std::make_unique<TrackStore>();
    makeTrack(*store, 0, ModePS, 200, [](int i) {
        const double t = i * 0.01;
        return std::array<double, 3>{t, 3 - 2 * t + 0.7 * t * t, 0};
    });
    makeTrack(*store, 1, ModePS, 50, [](int i) { return std::array<double, 3>{i * 1.0, 4e-6, 0}; });
    const CoefficientFile file = shipped();
    for (int n = 5; n <= 15; n += 2) {
        SmoothOptions o;
        o.points = n;
        ASSERT_TRUE(smoothTrack(*store, 0, o, file));
        for (int p = n / 2; p < 200 - n / 2; ++p)
            EXPECT_NEAR(store->data(1, kWorkSlot, p), store->data(1, 0, p), 1e-12) << n << " " << p;
        ASSERT_TRUE(smoothTrack(*store, 1, o, file));
        for (int p = 0; p < 50; ++p)
            EXPECT_NEAR(store->data(1, kWorkSlot, p), 4e-6, 1e-18);
    }
}

TEST(Smoothing, SegmentEdgesRepeatAndSkipKeepsTheEdgePoints)
{
    const double y[] = {1, 5, 2, 8, 3, 9, 4};
    double out[7];
    SmoothOptions o;
    o.filter = MovingAverage;
    o.points = 3;
    filterSegment(y, out, 0, 6, o, nullptr, 0);
    EXPECT_DOUBLE_EQ(out[0], (1 + 1 + 5) / 3.0);
    EXPECT_DOUBLE_EQ(out[3], (2 + 8 + 3) / 3.0);
    EXPECT_DOUBLE_EQ(out[6], (9 + 4 + 4) / 3.0);
    o.edge = 2;
    filterSegment(y, out, 0, 6, o, nullptr, 0);
    for (int p : {0, 1, 2, 4, 5, 6})
        EXPECT_EQ(out[p], y[p]);
    EXPECT_DOUBLE_EQ(out[3], (2 + 8 + 3) / 3.0);
}

TEST(Smoothing, SpikeLimiterPullsSpikesAndPassesSmallNoise)
{
    const double t = 1e-6;
    double y[21], out[21];
    for (int i = 0; i < 21; ++i)
        y[i] = (i % 2 ? 0.01 : -0.01) * t;
    y[10] = 100 * t;
    SmoothOptions o;
    o.filter = SpikeLimiter;
    o.points = 5;
    filterSegment(y, out, 0, 20, o, nullptr, t);
    EXPECT_NEAR(out[10], t, 0.05 * t);
    EXPECT_NEAR(out[4], y[4], 0.0005 * t);
    EXPECT_EQ(out[0], y[0]);
}

TEST(Smoothing, VoltammogramsAreSmoothedSweepBySweep)
{
    auto store = std::make_unique<TrackStore>();
    // Zero at both turning points, so the turning point belongs to either branch.
    makeCV(*store, 0, ModeCV, 0.6, -0.2, 100, 4,
           [](double x, int sweep) { return (sweep % 2 ? 1e-6 : -1e-6) * (x - 0.6) * (x + 0.2); });
    const auto segments = smoothingSegments(*store, 0);
    // Turning points (current 0) start the next sweep; the return to V1st = V3rd closes a
    // sweep of one point.
    const std::vector<std::pair<int, int>> expected{
        {0, 99}, {100, 199}, {200, 200}, {201, 299}, {300, 400}};
    EXPECT_EQ(segments, expected);
    int next = 0;
    for (const auto &[s, e] : segments) {
        EXPECT_EQ(s, next);
        // The turning point goes to the sweep whose current it is nearer to.
        for (int p = s + 1; p < e; ++p)
            EXPECT_GT((store->data(0, 0, p + 1) - store->data(0, 0, p)) *
                          (store->data(0, 0, s + 1) - store->data(0, 0, s)),
                      0);
        next = e + 1;
    }
    EXPECT_EQ(next, 401);
    // Within each sweep the current is a parabola of the potential, which the smoothing keeps.
    SmoothOptions o;
    o.filter = SavitzkyGolay;
    o.points = 15;
    ASSERT_TRUE(smoothTrack(*store, 0, o, shipped()));
    for (const auto &[s, e] : segments)
        for (int p = s + 7; p <= e - 7; ++p)
            EXPECT_NEAR(store->data(1, kWorkSlot, p), store->data(1, 0, p), 1e-20) << p;
}

TEST(Smoothing, UpdateAndRecordNeedAResultOfTheSelectedTrack)
{
    SmoothRig r;
    makeTrack(*r.store, 0, ModePS, 40, [](int i) {
        return std::array<double, 3>{i * 1.0, double(i % 2), 0};
    });
    EXPECT_FALSE(r.c.updateData());
    EXPECT_FALSE(r.c.recordAnotherTrack());
    EXPECT_EQ(r.prompts.messages.size(), 2);
    ASSERT_TRUE(r.c.calculate());
    // Another window's use of the work slot does not leak into this window's result.
    r.store->data(1, kWorkSlot, 7) = 99;
    r.c.setDestination(5);
    ASSERT_TRUE(r.c.recordAnotherTrack());
    EXPECT_NEAR(r.store->data(1, 5, 7), 0.5, 0.2);
    EXPECT_EQ((*r.store)[5].Mode, ModePS);
    r.c.stepTrack(1);
    EXPECT_FALSE(r.c.updateData());
}

TEST(Smoothing, RecordingOntoAnOccupiedTrackAsksFirst)
{
    SmoothRig r;
    for (int t : {0, 5})
        makeTrack(*r.store, t, ModePS, 40, [t](int i) {
            return std::array<double, 3>{i * 1.0, double(t + i % 2), 0};
        });
    (*r.store)[5].Title = QStringLiteral("keep");
    ASSERT_TRUE(r.c.calculate());
    r.c.setDestination(5);
    r.prompts.choiceAnswers = {2, 1}; // Cancel, then "Use track 6"
    EXPECT_FALSE(r.c.recordAnotherTrack());
    EXPECT_EQ(r.prompts.questions, QStringList{"Track 5 holds 'keep' (PS). Replace it?"});
    ASSERT_TRUE(r.c.recordAnotherTrack());
    EXPECT_EQ((*r.store)[5].Title, QStringLiteral("keep"));
    EXPECT_EQ(r.store->data(1, 5, 7), 6.0);
    EXPECT_EQ((*r.store)[6].Mode, ModePS);
    EXPECT_EQ(r.c.destinationTrack(), 6);
}

TEST(Smoothing, ApplyAllTrackLeavesVacantTracksVacant)
{
    SmoothRig r;
    for (int t : {0, 3, 5})
        makeTrack(*r.store, t, ModePS, 30, [](int i) {
            return std::array<double, 3>{i * 1.0, double(i % 3), 0};
        });
    r.c.applyAllTracks = true;
    ASSERT_TRUE(r.c.calculate());
    ASSERT_TRUE(r.c.updateData());
    EXPECT_EQ((*r.store)[4].Mode, ModeNone);
    for (int t : {0, 3, 5})
        EXPECT_NEAR(r.store->data(1, t, 10), 1.0, 0.3) << t;
}

TEST(Smoothing, MissingCoefficientFileIsReportedAndChangesNothing)
{
    QTemporaryDir dir;
    SmoothRig r(dir.filePath(QStringLiteral("Savitzky-Golay.dat")));
    makeTrack(*r.store, 0, ModePS, 30, [](int i) {
        return std::array<double, 3>{i * 1.0, double(i % 3), 0};
    });
    r.c.applyAllTracks = true;
    EXPECT_FALSE(r.c.calculate());
    EXPECT_FALSE(r.c.updateData());
    ASSERT_EQ(r.prompts.messages.size(), 2);
    EXPECT_TRUE(r.prompts.messages[0].contains(QStringLiteral("Savitzky-Golay.dat")));
    EXPECT_EQ(r.store->data(1, 0, 2), 2);
    // The filters that need no file still run.
    r.c.setFilter(MovingAverage);
    EXPECT_TRUE(r.c.calculate());
}

TEST(Smoothing, PointCountStepsByTwoWithinTheFilterLimits)
{
    SmoothRig r;
    EXPECT_EQ(r.c.points(), 5);
    r.c.stepPoints(-1);
    EXPECT_EQ(r.c.points(), 5);
    for (int i = 0; i < 10; ++i)
        r.c.stepPoints(1);
    EXPECT_EQ(r.c.points(), 15);
    EXPECT_EQ(r.c.skipCount(), 7);
    r.c.setFilter(MovingAverage);
    EXPECT_EQ(r.c.points(), 3);
}
