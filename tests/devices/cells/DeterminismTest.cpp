// Noise, mains pick-up, seeds, the ten multipotentiostat cells and hostile inputs.
#include "CellTestSupport.h"
#include "devices/sim/cells/CellFactory.h"
#include "devices/sim/cells/OxygenReductionCell.h"
#include "devices/sim/cells/RedoxCoupleCell.h"

#include <gtest/gtest.h>
#include <set>

using namespace tervo::sim;
using namespace tervo::sim::testing;

namespace {

std::vector<CellCurrents> run(CellModel &cell, int n = 500)
{
    std::vector<CellCurrents> out;
    for (int k = 0; k < n; ++k)
        out.push_back(cell.advance(0.002, 0.5 - 0.0004 * k, 900));
    return out;
}

bool same(const std::vector<CellCurrents> &a, const std::vector<CellCurrents> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k].disk != b[k].disk || a[k].ring != b[k].ring)
            return false;
    }
    return true;
}

CellParameters noisy(const QString &model, double seed)
{
    CellParameters p = defaultCellParameters(model);
    p.noise = 1e-7;
    p.mainsAmplitude = 5e-8;
    p.seed = seed;
    return p;
}

TEST(CellNoise, SameSeedSameCurrentsAndResetReplays)
{
    for (const QString &model : cellModelNames()) {
        auto a = makeCellModel(model, noisy(model, 7));
        auto b = makeCellModel(model, noisy(model, 7));
        auto c = makeCellModel(model, noisy(model, 8));
        ASSERT_TRUE(a && b && c);
        EXPECT_EQ(a->name(), model);
        const auto ra = run(*a), rb = run(*b), rc = run(*c);
        EXPECT_TRUE(same(ra, rb)) << model.toStdString();
        EXPECT_FALSE(same(ra, rc)) << model.toStdString();
        a->reset();
        EXPECT_TRUE(same(run(*a), ra)) << model.toStdString();
    }
}

TEST(CellNoise, AmplitudeIsTheRmsAndMainsHasItsFrequency)
{
    // A cell with nothing to react: the current is noise and pick-up only.
    CellParameters p = defaultCellParameters(kRedoxCoupleModel);
    p.concentration = 0;
    p.doubleLayer = 0;
    p.noise = 2e-8;
    p.mainsAmplitude = 0;
    RedoxCoupleCell cell(p);
    double sum = 0, sum2 = 0, ringSum2 = 0, cross = 0;
    const int n = 4000;
    for (int k = 0; k < n; ++k) {
        const CellCurrents c = cell.advance(0.001, 0.3, 0);
        sum += c.disk;
        sum2 += c.disk * c.disk;
        ringSum2 += c.ring * c.ring;
        cross += c.disk * c.ring;
    }
    EXPECT_NEAR(std::sqrt(sum2 / n) / p.noise, 1.0, 0.05);
    EXPECT_NEAR(std::sqrt(ringSum2 / n) / p.noise, 1.0, 0.05);
    EXPECT_LT(std::abs(sum / n), 4 * p.noise / std::sqrt(n));
    EXPECT_LT(std::abs(cross / n), 0.1 * p.noise * p.noise); // independent channels

    p.noise = 0;
    p.mainsAmplitude = 1e-8;
    RedoxCoupleCell hum(p);
    // Sampled at 1 kHz, 50 Hz repeats every 20 samples.
    std::vector<double> i;
    for (int k = 0; k < 200; ++k)
        i.push_back(hum.advance(0.001, 0.3, 0).disk);
    double peakValue = 0;
    for (std::size_t k = 0; k + 20 < i.size(); ++k) {
        EXPECT_NEAR(i[k], i[k + 20], 1e-15);
        peakValue = std::max(peakValue, std::abs(i[k]));
    }
    EXPECT_NEAR(peakValue, p.mainsAmplitude, 0.02 * p.mainsAmplitude);
}

TEST(Multipotentiostat, TenIndependentDifferentCells)
{
    auto cells = makeMultipotentiostatCells(3);
    ASSERT_EQ(cells.size(), 10u);
    std::set<double> seeds, currents;
    std::set<QString> names;
    for (int c = 0; c < 10; ++c) {
        const CellParameters p = multipotentiostatParameters(c, 3);
        seeds.insert(p.seed);
        names.insert(cells[c]->name());
        // Each channel reduces its couple at -0.2 V.
        const Sample s = hold(*cells[c], -0.2, 0.5, 0.01, 0);
        EXPECT_LT(s.disk, 0) << c;
        currents.insert(s.disk);
    }
    EXPECT_EQ(seeds.size(), 10u);
    EXPECT_EQ(names.size(), 10u);
    EXPECT_EQ(currents.size(), 10u);

    // Advancing one channel leaves the others untouched; the same seed builds the same set.
    auto again = makeMultipotentiostatCells(3);
    for (int k = 0; k < 50; ++k)
        again[4]->advance(0.01, -0.3, 0);
    const Sample a = hold(*again[5], -0.2, 0.5, 0.01, 0);
    cells[5]->reset();
    const Sample b = hold(*cells[5], -0.2, 0.5, 0.01, 0);
    EXPECT_EQ(a.disk, b.disk);
    auto other = makeMultipotentiostatCells(4);
    cells[0]->reset();
    EXPECT_NE(hold(*other[0], -0.2, 0.1, 0.01, 0).disk, hold(*cells[0], -0.2, 0.1, 0.01, 0).disk);
}

TEST(CellInputs, HostileArgumentsKeepTheCurrentsFinite)
{
    for (const QString &model : cellModelNames()) {
        auto cell = makeCellModel(model, defaultCellParameters(model));
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const struct {
            double dt, e, rpm;
        } calls[] = {{0.01, 0.3, 0}, {0, 5.0, 0},         {-1, 0.1, 100},    {0.01, nan, 0},
                     {nan, 0.2, 0},  {0.01, 0.2, inf},    {0.01, -3.0, 1e5}, {3600, 0.1, 1600},
                     {1e-9, 4.0, 0}, {0.01, -4.0, -2500}, {0.01, inf, 0},    {0.001, 0.5, 0}};
        for (const auto &c : calls) {
            const CellCurrents out = cell->advance(c.dt, c.e, c.rpm);
            ASSERT_TRUE(std::isfinite(out.disk) && std::isfinite(out.ring))
                << model.toStdString() << " dt " << c.dt << " e " << c.e << " rpm " << c.rpm;
        }
    }
    EXPECT_EQ(makeCellModel(QStringLiteral("Dummy"), CellParameters{}), nullptr);
}

TEST(CellInputs, ZeroIntervalReturnsTheLastCurrents)
{
    RedoxCoupleCell cell(idealCouple());
    const CellCurrents a = cell.advance(0.01, 0.1, 0);
    const CellCurrents b = cell.advance(0, 0.1, 0);
    EXPECT_EQ(a.disk, b.disk);
    EXPECT_EQ(cell.time(), 0.01);
}

TEST(CellInputs, LongIntervalMatchesManyShortOnes)
{
    // One 2 s call at a fixed potential is split internally and lands where 200 calls land.
    RedoxCoupleCell a(idealCouple()), b(idealCouple());
    hold(a, 0.0, 0.05, 0.01);
    hold(b, 0.0, 0.05, 0.01);
    const double one = a.advance(2.0, 0.0, 0).disk;
    const double many = hold(b, 0.0, 2.0, 0.01).disk;
    EXPECT_NEAR(one / many, 1.0, 0.01);
}

} // namespace
