// The scan-rate study on voltammograms computed straight from the simulated couple.
#include "analysis/ScanRateStudy.h"
#include "../processing/ProcessingFixtures.h"
#include "support/TestDoubles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

struct Study {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    ScriptedPrompts prompts;
    sim::CellParameters p = sim::defaultCellParameters(sim::kRedoxCoupleModel);

    // Tracks 0, 1, 2 at 20, 80 and 320 mV/s from 0.6 V to v2 and back, 1 mV apart, without
    // noise or ohmic drop.
    explicit Study(double k0 = 1, double v2 = -0.2)
    {
        p.noise = 0;
        p.resistance = 0;
        p.rateConstant = k0;
        int t = 0;
        for (double rate : {20.0, 80.0, 320.0}) {
            recordSimulatedCV(*store, t, p, rate, 1 / rate, nullptr, 0.6, v2);
            TrackHeader &h = (*store)[t++];
            h.ne = p.electrons;
            h.Conc = p.concentration * 1e-6;
            h.Area = p.area;
        }
    }
};

} // namespace

// Nicholson's table (n dEp in mV against psi), read through Lavagnini's fit.
TEST(ScanRateStudy, NicholsonPsiFollowsHisTable)
{
    const struct {
        double separation, psi;
    } table[] = {{65, 5},    {68, 3},    {72, 2},     {84, 1},
                 {92, 0.75}, {105, 0.5}, {121, 0.35}, {141, 0.25}};
    for (const auto &row : table)
        EXPECT_NEAR(nicholsonPsi(row.separation) / row.psi, 1, 0.1) << row.separation;
    EXPECT_TRUE(std::isnan(nicholsonPsi(59))); // reversible: no k0 to read
    EXPECT_TRUE(std::isnan(nicholsonPsi(250)));
}

// Solving for D, then for C and the area with that D, gives the couple back each time.
TEST(ScanRateStudy, SolvesEachQuantity)
{
    Study s;
    ScanRateStudy study(*s.store, s.prompts);
    study.tracks = {0, 1, 2};
    study.takeHeaderValues();
    ASSERT_TRUE(study.Calculate()) << s.prompts.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_NEAR(study.diffusion / s.p.diffusion, 1, 0.02);
    EXPECT_EQ(study.points().size(), 3u);
    const double d = study.diffusion;
    for (int solve : {ScanRateStudy::Concentration, ScanRateStudy::Area}) {
        study.solve = solve;
        study.concentration = solve == ScanRateStudy::Concentration ? 1 : s.p.concentration * 1e-6;
        study.area = solve == ScanRateStudy::Area ? 1 : s.p.area;
        ASSERT_TRUE(study.Calculate());
        EXPECT_DOUBLE_EQ(study.diffusion, d);
        EXPECT_NEAR(study.concentration / (s.p.concentration * 1e-6), 1, 1e-9) << solve;
        EXPECT_NEAR(study.area / s.p.area, 1, 1e-9) << solve;
        const QString star = solve == ScanRateStudy::Area ? QStringLiteral("\r\n*Area /cm2\t")
                                                          : QStringLiteral("\r\n*C /molcm-3\t");
        EXPECT_TRUE(study.report().contains(star)) << solve;
    }
}

// An irreversible couple: alpha from Ep - Ep/2 and D from the irreversible Randles-Sevcik.
TEST(ScanRateStudy, IrreversibleCoupleGivesAlphaAndD)
{
    Study s(1e-5, -0.6);
    ScanRateStudy study(*s.store, s.prompts);
    study.tracks = {0, 1, 2};
    study.takeHeaderValues();
    study.irreversible = true;
    ASSERT_TRUE(study.Calculate()) << s.prompts.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_NEAR(study.alpha(), s.p.transferCoefficient, 0.03);
    EXPECT_NEAR(study.diffusion / s.p.diffusion, 1, 0.05);
    EXPECT_TRUE(study.report().contains(QStringLiteral("\r\nalpha\t")));
}

TEST(ScanRateStudy, RefusesWithAMessage)
{
    Study s;
    const struct {
        const char *what;
        std::vector<int> tracks;
        double diffusion;
        int solve;
        const char *message;
    } cases[] = {
        {"one rate", {1, 1}, 1e-5, ScanRateStudy::Diffusion, "The study needs tracks at two"},
        {"vacant", {0, 5}, 1e-5, ScanRateStudy::Diffusion, "Track 5 is not a cyclic"},
        {"no D", {0, 1}, 0, ScanRateStudy::Concentration, "ne and the known ones"},
    };
    for (const auto &c : cases) {
        ScriptedPrompts prompts;
        ScanRateStudy study(*s.store, prompts);
        study.tracks = c.tracks;
        study.diffusion = c.diffusion;
        study.solve = c.solve;
        EXPECT_FALSE(study.Calculate()) << c.what;
        EXPECT_TRUE(study.report().isEmpty()) << c.what;
        ASSERT_EQ(prompts.messages.size(), 1) << c.what;
        EXPECT_TRUE(prompts.messages[0].startsWith(QLatin1String(c.message)))
            << prompts.messages[0].toStdString();
    }
}
