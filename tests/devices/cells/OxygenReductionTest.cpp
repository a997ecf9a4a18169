// Oxygen reduction at a ring-disk electrode: ring against peroxide, %H2O, limiting currents.
#include "CellTestSupport.h"
#include "devices/sim/cells/OxygenReductionCell.h"

#include <gtest/gtest.h>

using namespace tervo::sim;
using namespace tervo::sim::testing;

namespace {

CellParameters cleanOxygen()
{
    CellParameters p = defaultCellParameters(kOxygenReductionModel);
    p.noise = 0;
    p.resistance = 0;
    p.doubleLayer = 0;
    return p;
}

// The program's %H2O from the disk and ring currents.
double waterPercent(double disk, double ring, double n)
{
    const double d = std::abs(disk), rn = std::abs(ring) / n;
    return 100 * (d - rn) / (rn + d);
}

TEST(OxygenReduction, RingCollectsNTimesThePeroxideCurrent)
{
    const CellParameters p = cleanOxygen();
    OxygenReductionCell cell(p);
    const auto s = sweep(cell, {1.05, 0.05}, 0.01, 0.02, 1600);
    int checked = 0;
    for (const Sample &x : s) {
        if (x.e > 0.9)
            continue;
        // The ring oxidises what it collects: anodic while the disk reduces.
        ASSERT_GT(x.ring, 0);
        ASSERT_LT(x.disk, 0);
        const double share = cell.peroxideShareAt(x.e);
        // Ring/disk ratio from the share: R = N * 2 s r F A, D = -(4 - 2 s) r F A.
        const double expected = p.collectionEfficiency * 2 * share / (4 - 2 * share);
        ASSERT_NEAR(x.ring / -x.disk / expected, 1.0, 1e-9) << x.e;
        ++checked;
    }
    EXPECT_GT(checked, 1000);
    EXPECT_NEAR(cell.cleanCurrents().ring / -cell.peroxideCurrent(), p.collectionEfficiency, 1e-12);
}

TEST(OxygenReduction, WaterPercentFormulaRecoversTheModel)
{
    const CellParameters p = cleanOxygen();
    OxygenReductionCell cell(p);
    const auto s = sweep(cell, {1.05, 0.05}, 0.01, 0.02, 900);
    for (double e : {0.1, 0.3, 0.5, 0.7, 0.85}) {
        const auto it = std::min_element(s.begin(), s.end(), [e](const Sample &a, const Sample &b) {
            return std::abs(a.e - e) < std::abs(b.e - e);
        });
        const double fromCurrents = waterPercent(it->disk, it->ring, p.collectionEfficiency);
        EXPECT_NEAR(fromCurrents, cell.waterPercentAt(it->e), 1e-6) << e;
    }
    // Platinum: a few percent of peroxide in the kinetic region, gaining slowly at low
    // potentials and staying under 10 % down to 0.1 V.
    EXPECT_GT(cell.waterPercentAt(0.8), 96);
    EXPECT_LT(cell.waterPercentAt(0.8), 99);
    EXPECT_GT(cell.waterPercentAt(0.1), 90);
    EXPECT_LT(cell.waterPercentAt(0.1), cell.waterPercentAt(0.5));
}

TEST(OxygenReduction, PlateauIsLevichWithTheMixedElectronCount)
{
    const CellParameters p = cleanOxygen();
    for (double rpm : {400.0, 1600.0}) {
        OxygenReductionCell cell(p);
        const auto s = sweep(cell, {1.05, 0.3}, 0.005, 0.02, rpm);
        const Sample &last = s.back();
        const double electrons = 4 - 2 * cell.peroxideShareAt(last.e);
        const double levich = 0.620 * electrons * kFaraday * p.area *
                              std::pow(p.diffusion, 2.0 / 3) * std::sqrt(rpm * 2 * M_PI / 60) *
                              std::pow(p.viscosity, -1.0 / 6) * p.concentration * 1e-6;
        EXPECT_NEAR(-last.disk / levich, 1.0, 0.01) << rpm;
    }
}

TEST(OxygenReduction, NoPeroxidePathGivesNoRingCurrent)
{
    CellParameters p = cleanOxygen();
    p.peroxideRateConstant = 0;
    OxygenReductionCell cell(p);
    const auto s = sweep(cell, {1.0, 0.2}, 0.05, 0.01, 1600);
    EXPECT_EQ(s.back().ring, 0);
    EXPECT_LT(s.back().disk, 0);
    EXPECT_EQ(cell.waterPercentAt(0.2), 100);
}

TEST(OxygenReduction, StationaryDiskShowsAPeak)
{
    const CellParameters p = cleanOxygen();
    OxygenReductionCell cell(p);
    const auto s = sweep(cell, {1.05, 0.05}, 0.05, 0.01, 0);
    const auto [ep, ip] = peak(s, 0, s.size(), false);
    EXPECT_GT(ep, 0.1);
    EXPECT_GT(s.back().disk, 0.9 * ip); // decays behind the peak
}

} // namespace
