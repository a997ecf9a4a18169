// The analyses on small hand-made tracks: builders, fits, solving, reports and refusals.
#include "analysis/Cottrell.h"
#include "analysis/Coulomb.h"
#include "analysis/KouteckyLevich.h"
#include "analysis/O2Reduction.h"
#include "analysis/Tafel.h"
#include "support/TestDoubles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

struct Fixture {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    Settings settings;
    AnalysisPoints points;
    ScriptedPrompts prompts;

    Fixture()
    {
        for (int t = 0; t < kTrackSlots; ++t)
            store->ClearTrack(t);
        ApplyDefaultSettings(settings);
    }
    // A track of the mode with points (x, y[, ring]).
    void track(int t, int mode, const std::vector<std::array<double, 3>> &p, double rpm = 0)
    {
        TrackHeader &h = (*store)[t];
        h.Mode = mode;
        h.RPM = rpm;
        h.pnum = static_cast<int>(p.size());
        h.Title = QStringLiteral("track %1").arg(t);
        for (int i = 0; i < h.pnum; ++i)
            for (int c = 0; c < 3; ++c)
                store->data(c, t, i) = p[std::size_t(i)][std::size_t(c)];
    }
    // An RDE track of constant current over potentials 0.2 .. -0.2 V in 10 mV steps.
    void rde(int t, double rpm, double current)
    {
        std::vector<std::array<double, 3>> p;
        for (int i = 0; i <= 40; ++i)
            p.push_back({0.2 - 0.01 * i, current, 0});
        track(t, ModeRDE, p, rpm);
        store->kl.KLUseFlag[std::size_t(t)] = 1;
        store->kl.KLNEnd[std::size_t(t)] = 40;
    }
};

double rowValue(const QString &report, const QString &label)
{
    const qsizetype at = report.indexOf(label + QLatin1Char('\t'));
    return at < 0 ? std::nan("")
                  : report.mid(at + label.size() + 1).section(QLatin1Char('\r'), 0, 0).toDouble();
}

} // namespace

TEST(LeastSquares, LineAndSlopeThroughOrigin)
{
    const std::vector<double> x{1, 2, 3}, y{3, 5, 7};
    const auto line = LeastSquaresLine(x, y, 3);
    ASSERT_TRUE(line);
    EXPECT_DOUBLE_EQ(line->slope, 2);
    EXPECT_DOUBLE_EQ(line->intercept, 1);
    EXPECT_NEAR(*LeastSquaresSlopeThroughOrigin(x, y, 3), 34.0 / 14, 1e-12);
    // Undefined fits: one x value, a single point, all-zero x.
    EXPECT_FALSE(LeastSquaresLine({2, 2}, {1, 3}, 2));
    EXPECT_FALSE(LeastSquaresLine(x, y, 1));
    EXPECT_FALSE(LeastSquaresSlopeThroughOrigin({0, 0}, {1, 2}, 2));
}

TEST(KouteckyLevich, InitializeParametersKeepsRangesWithinTheTracks)
{
    Fixture f;
    f.rde(0, 400, -1e-3);
    f.store->kl.KLNEnd[0] = 500;
    f.store->kl.KLNStart[0] = -3;
    f.store->kl.KLUseFlag[5] = 1;
    f.store->kl.KLNEnd[5] = 9;
    KouteckyLevichAnalysis kl(*f.store, f.settings, f.points, f.prompts);
    kl.InitializeParameters();
    EXPECT_EQ(f.store->kl.KLNEnd[0], 40);
    EXPECT_EQ(f.store->kl.KLNStart[0], 0);
    EXPECT_EQ(f.store->kl.KLUseFlag[5], 0);
    EXPECT_EQ(f.store->kl.KLNEnd[5], 0);
}

TEST(KouteckyLevich, PointsInTrackOrderFromTracksInsideTheWindow)
{
    Fixture f;
    f.rde(0, 400, -2e-3);
    f.rde(1, 1600, -4e-3);
    f.rde(2, 0, -1e-3); // no rate: no point
    f.rde(3, 900, -1e-3);
    f.store->kl.KLUseFlag[3] = 0; // not used
    f.settings.KLVuse = -0.1;
    f.settings.KLVrange = 0.02;
    f.settings.KLElectrodeArea = 0.2;
    KouteckyLevichAnalysis kl(*f.store, f.settings, f.points, f.prompts);
    ASSERT_TRUE(kl.Calculate(nullptr));
    ASSERT_EQ(f.points.k, 2);
    EXPECT_NEAR(f.points.X[0], 0.3873, 1e-4);
    EXPECT_NEAR(f.points.X[1], 0.1936, 1e-4);
    EXPECT_DOUBLE_EQ(f.points.Y[0], 0.2 / 2e-3);
    // The default range is negative: no point lies inside until the range is edited.
    f.settings.KLVrange = -0.02;
    kl.computeWindow();
    EXPECT_FALSE(kl.Calculate(nullptr));
    EXPECT_EQ(f.prompts.messages.last(),
              QStringLiteral("Please check at least one 'Use' Check Box"));
    kl.setRange(-0.02);
    EXPECT_DOUBLE_EQ(f.settings.KLVrange, 0.02);
}

TEST(KouteckyLevich, WindowBoundsAreExcludedAndBaseLinesSubtracted)
{
    Fixture f;
    // Points at exactly -0.125 and -0.375 are on the bounds; the mean is of the three inside.
    std::vector<std::array<double, 3>> p;
    for (int i = 0; i <= 4; ++i)
        p.push_back({-0.125 - 0.0625 * i, i == 0 || i == 4 ? -100.0 : -1e-3 * i, 0});
    f.track(0, ModeRDE, p, 60);
    f.store->kl.KLUseFlag[0] = 1;
    f.store->kl.KLNEnd[0] = 4;
    f.settings.KLVuse = -0.25;
    f.settings.KLVrange = 0.125;
    f.settings.KLElectrodeArea = 1;
    f.settings.KLMethod = KouteckyLevichAnalysis::Levich;
    KouteckyLevichAnalysis kl(*f.store, f.settings, f.points, f.prompts);
    ASSERT_TRUE(kl.Calculate(nullptr));
    EXPECT_NEAR(f.points.Y[0], 2e-3, 1e-15);
    kl.selectTrack(0);
    kl.setBaseMode(KouteckyLevichAnalysis::SubtractValue);
    kl.setSubtractValue(-0.5e-3);
    ASSERT_TRUE(kl.Calculate(nullptr));
    EXPECT_NEAR(f.points.Y[0], 1.5e-3, 1e-15);
    // A base track without points in the window subtracts nothing.
    f.track(7, ModeRDE, {{0.5, -1, 0}, {0.6, -1, 0}});
    kl.setBaseMode(KouteckyLevichAnalysis::BaseTrack);
    kl.stepBaseTrack(7);
    int end = 1;
    kl.setBaseEnd(end);
    ASSERT_TRUE(kl.Calculate(nullptr));
    EXPECT_NEAR(f.points.Y[0], 2e-3, 1e-15);
}

TEST(KouteckyLevich, SweepTrackBuildersAndRefusals)
{
    Fixture f;
    f.track(0, ModeRPMvsJ, {{0, -1e-3, 0}, {600, 0, 0}, {900, -2e-3, 0}, {1600, -3e-3, 0}});
    f.store->kl.KLNEnd[0] = 3;
    f.settings.KLElectrodeArea = 1;
    KouteckyLevichAnalysis kl(*f.store, f.settings, f.points, f.prompts);
    kl.selectTrack(0);
    ASSERT_TRUE(kl.Calculate(nullptr));
    EXPECT_EQ(f.points.k, 2); // rate 0 and current 0 skipped
    f.settings.KLMethod = KouteckyLevichAnalysis::Levich;
    ASSERT_TRUE(kl.Calculate(nullptr));
    EXPECT_EQ(f.points.k, 4);
    EXPECT_TRUE(kl.report().contains(QStringLiteral("Title:\ttrack 0\r\n")));

    const Settings before = f.settings;
    f.store->data(0, 0, 1) = -600;
    EXPECT_FALSE(kl.Calculate(nullptr));
    EXPECT_EQ(f.prompts.messages.last(),
              QStringLiteral("The sweep track holds a negative rotation rate."));
    // One rate only: no line, no setting changed.
    f.settings.KLMethod = KouteckyLevichAnalysis::KouteckyLevich;
    f.settings.KLVariable = KouteckyLevichAnalysis::Concentration;
    f.track(0, ModeRPMvsJ, {{900, -1e-3, 0}, {900, -1.1e-3, 0}});
    f.store->kl.KLNEnd[0] = 1;
    EXPECT_FALSE(kl.Calculate(nullptr));
    EXPECT_EQ(f.prompts.messages.last(), QString::fromLatin1(kNoLineMessage));
    EXPECT_EQ(f.settings.KLConc, before.KLConc);
    f.track(0, ModeRPMvsJ, {{0, 0, 0}});
    f.store->kl.KLNEnd[0] = 0;
    EXPECT_FALSE(kl.Calculate(nullptr));
    EXPECT_EQ(f.prompts.messages.last(), QStringLiteral("No valid Data"));
}

TEST(KouteckyLevich, InfinitePointIsRefused)
{
    Fixture f;
    f.rde(0, 400, -1e-3);
    f.rde(1, 900, -2e-3);
    f.settings.KLVrange = 0.02;
    f.store->kl.KLBaseMode[1] = KouteckyLevichAnalysis::SubtractValue;
    f.store->kl.KLSubVal[1] = -2e-3;
    KouteckyLevichAnalysis kl(*f.store, f.settings, f.points, f.prompts);
    f.settings.KLVariable = KouteckyLevichAnalysis::Diffusion;
    const double d = f.settings.KLDm;
    EXPECT_FALSE(kl.Calculate(nullptr));
    EXPECT_TRUE(f.prompts.messages.last().contains(QStringLiteral("infinite")));
    EXPECT_EQ(f.settings.KLDm, d);
}

// Points made from the Levich equation with known n, nu, D, C give each back when solved for.
TEST(KouteckyLevich, SolvesForEachQuantityAndStoresAllButN)
{
    const double n = 4, nu = 0.01, d = 1.9e-5, c = 1.2e-6, area = 0.2, jk = 0.01;
    const double b =
        kLevichConstant * kFaradayConstant * n * std::pow(d, 2.0 / 3) * std::pow(nu, -1.0 / 6) * c;
    for (int method : {0, 1}) {
        for (int variable = 0; variable < 4; ++variable) {
            Fixture f;
            int t = 0;
            for (double rpm : {400.0, 900.0, 1600.0, 2500.0}) {
                const double jl = b * std::sqrt(rpm / 60);
                const double j = method == 0 ? 1 / (1 / jk + 1 / jl) : jl;
                f.rde(t++, rpm, -j * area);
            }
            Settings &s = f.settings;
            s.KLMethod = static_cast<std::int16_t>(method);
            s.KLVariable = static_cast<std::int16_t>(variable);
            s.KLVrange = 0.02;
            s.KLElectrodeArea = area;
            s.KLne = variable == 0 ? 1 : n;
            s.KLViscosity = variable == 1 ? 1 : nu;
            s.KLDm = variable == 2 ? 1 : d;
            s.KLConc = variable == 3 ? 1 : c;
            KouteckyLevichAnalysis kl(*f.store, s, f.points, f.prompts);
            ASSERT_TRUE(kl.Calculate(nullptr));
            const QString r = kl.report();
            SCOPED_TRACE(r.toStdString());
            const QString labels[] = {QStringLiteral("*n"), QStringLiteral("*\u03bd /cm2s-1"),
                                      QStringLiteral("*Dm /cm2s-1"),
                                      QStringLiteral("*Conc /molcm-3")};
            EXPECT_EQ(r.count(QLatin1Char('*')), 1);
            EXPECT_TRUE(r.contains(labels[variable] + QLatin1Char('\t')));
            switch (variable) {
            case 0:
                EXPECT_NEAR(rowValue(r, labels[0]), n, 0.005);
                EXPECT_EQ(s.KLne, 1); // reported only
                break;
            case 1:
                EXPECT_NEAR(s.KLViscosity / nu, 1, 1e-9);
                break;
            case 2:
                EXPECT_NEAR(s.KLDm / d, 1, 1e-9);
                break;
            default:
                EXPECT_NEAR(s.KLConc / c, 1, 1e-9);
            }
            if (method == 0) {
                EXPECT_NEAR(rowValue(r, QStringLiteral("jk /Acm-2")) / jk, 1, 1e-3);
            }
        }
    }
}

TEST(KouteckyLevich, ReportLayoutAndImproperParameters)
{
    Fixture f;
    f.store->CurrentFileTitle = QStringLiteral("run.tvd");
    f.rde(0, 400, -1e-3);
    f.rde(1, 1600, -1.5e-3);
    f.settings.KLVrange = 0.02;
    KouteckyLevichAnalysis kl(*f.store, f.settings, f.points, f.prompts);
    ASSERT_TRUE(kl.Calculate(nullptr));
    EXPECT_TRUE(kl.report().startsWith(QStringLiteral(
        "File\trun.tvd\r\nArea /cm2\t0.2827\r\n\u03bd /cm2s-1\t0.01\r\nDm /cm2s-1\t2.00e-05\r\n"
        "Conc /molcm-3\t1.50e-06\r\nPotential/V\t-0.100\r\n*n\t")))
        << kl.report().toStdString();
    EXPECT_TRUE(
        kl.report().contains(QStringLiteral("1/sqr(Hz)\tj-1 /cm2A-1 \r\n0.3873\t2.8274e+2\r\n")));
    f.settings.KLDm = 0;
    ASSERT_TRUE(kl.Calculate(nullptr));
    EXPECT_EQ(kl.report(), QStringLiteral("Parameters are not proper!"));
}

TEST(Cottrell, ExactTransientGivesDappAndRefusals)
{
    Fixture f;
    const double k = 3e-5, n = 1, a = 0.2, c = 1e-6;
    std::vector<std::array<double, 3>> p{{0, 1, 0}, {0.5, 0, 0}};
    for (int i = 1; i <= 20; ++i)
        p.push_back({0.1 * i, k / std::sqrt(0.1 * i), 0});
    f.track(2, ModePS, p);
    TrackHeader &h = (*f.store)[2];
    h.ne = n;
    h.Area = a;
    h.Conc = c;
    CottrellAnalysis cottrell(*f.store, f.points, f.prompts);
    cottrell.selectTrack(2);
    ASSERT_TRUE(cottrell.Calculate(nullptr));
    EXPECT_EQ(f.points.k, 20); // t = 0 and i = 0 left out
    EXPECT_NEAR(cottrell.dapp() / (M_PI * std::pow(k / (n * 96485 * a * c), 2)), 1, 1e-9);
    EXPECT_TRUE(cottrell.report().startsWith(
        QStringLiteral("title:\ttrack 2\r\ntime:\t\r\nne \t1\r\nArea /cm2\t0.2\r\nC "
                       "/molcm-3\t1.0e-6\r\nDapp /cm2s-1\t")))
        << cottrell.report().toStdString();
    h.ne = 0;
    EXPECT_FALSE(cottrell.Calculate(nullptr));
    EXPECT_EQ(f.prompts.messages.last(), QString::fromLatin1(kCottrellParameters));
    f.track(3, ModeCV, p);
    cottrell.selectTrack(3);
    EXPECT_FALSE(cottrell.Calculate(nullptr));
    EXPECT_EQ(f.prompts.messages.size(), 1);
}

TEST(Cottrell, HeaderEditsGoToTheSelectedTrackUnsaved)
{
    Fixture f;
    f.track(2, ModePS, {{0.1, 1e-6, 0}, {0.2, 1e-6, 0}});
    f.store->markSaved();
    CottrellAnalysis cottrell(*f.store, f.points, f.prompts);
    cottrell.selectTrack(2);
    EXPECT_EQ(cottrell.setConc(2e-6), 2e-6);
    EXPECT_EQ((*f.store)[2].Conc, 2e-6);
    EXPECT_TRUE(f.store->hasUnsavedChanges());
}

TEST(Coulomb, TrapezoidChargesAndBaseLines)
{
    Fixture f;
    f.track(0, ModePS, {});
    std::vector<std::array<double, 3>> ps;
    for (int i = 0; i <= 10; ++i)
        ps.push_back({double(i), 1e-6, 0});
    f.track(0, ModePS, ps);
    CoulombAnalysis coulomb(*f.store, f.points, f.prompts);
    coulomb.selectTrack(0);
    ASSERT_TRUE(coulomb.Calculate(nullptr));
    EXPECT_TRUE(
        coulomb.report().contains(QStringLiteral("Coulomb:\t1.000e-5\r\nt /s\ti /A\tCoulomb\r\n")));

    // A CV sweep over 0.5 V at 50 mV/s lasts 10 s; the current is a straight line in E.
    std::vector<std::array<double, 3>> cv;
    for (int i = 0; i <= 50; ++i)
        cv.push_back({0.5 - 0.01 * i, 1e-6 + 2e-6 * i / 50, 0});
    f.track(1, ModeCV, cv);
    (*f.store)[1].Scanrate = 50;
    coulomb.selectTrack(1);
    ASSERT_TRUE(coulomb.Calculate(nullptr));
    EXPECT_NEAR(coulomb.charge(), 2e-6 * 10, 1e-15);
    coulomb.baseLine = CoulombAnalysis::Linear; // the line through the ends is the current
    ASSERT_TRUE(coulomb.Calculate(nullptr));
    EXPECT_NEAR(coulomb.charge(), 0, 1e-18);
    coulomb.baseLine = CoulombAnalysis::Value;
    coulomb.baseValue = 1e-6;
    ASSERT_TRUE(coulomb.Calculate(nullptr));
    EXPECT_NEAR(coulomb.charge(), 1e-6 * 10, 1e-15);
    EXPECT_TRUE(coulomb.report().contains(QStringLiteral("\r\n\r\nBaseValue\t.000001\r\n")) ||
                coulomb.report().contains(QStringLiteral("\r\n\r\nBaseValue\t1E-06\r\n")))
        << coulomb.report().toStdString();
    // Equal potentials at the ends: the linear base line does nothing.
    cv.back()[0] = cv.front()[0];
    f.track(1, ModeCV, cv);
    coulomb.baseLine = CoulombAnalysis::Linear;
    int last = 50;
    coulomb.setLast(last);
    ASSERT_TRUE(coulomb.Calculate(nullptr));
    EXPECT_GT(coulomb.charge(), 0);
    // The last point is held within the track.
    last = 99;
    coulomb.setLast(last);
    EXPECT_EQ(last, 50);
}

// Simpson is exact for a quadratic, also on unequal steps; a vacant or sweep-less track is refused
// instead of reporting old charges.
TEST(Coulomb, SimpsonIsExactForQuadraticsAndNothingStaleIsShown)
{
    std::vector<double> t{0, 0.1, 0.3, 0.4, 0.8, 1.0, 1.5}, f, dt{0};
    for (std::size_t i = 0; i < t.size(); ++i) {
        f.push_back(3 * t[i] * t[i] - t[i]);
        if (i > 0)
            dt.push_back(t[i] - t[i - 1]);
    }
    const auto q = runningIntegral(f, dt, CoulombAnalysis::Simpson);
    for (std::size_t i = 2; i < t.size(); i += 2)
        EXPECT_NEAR(q[i], std::pow(t[i], 3) - t[i] * t[i] / 2, 1e-12) << i;

    Fixture fx;
    fx.track(0, ModeRPMvsJ, {{400, 1, 0}, {900, 2, 0}});
    CoulombAnalysis coulomb(*fx.store, fx.points, fx.prompts);
    coulomb.selectTrack(0);
    coulomb.method = CoulombAnalysis::Simpson;
    EXPECT_FALSE(coulomb.Calculate(nullptr));
    EXPECT_TRUE(coulomb.report().isEmpty());
    EXPECT_EQ(fx.prompts.messages.size(), 1);
}

TEST(O2Reduction, EvaluatesBothSegmentsAndRefusesAZeroStep)
{
    Fixture f;
    // 1.0 -> 0.0 -> 1.0 V in 5 mV steps; disk -1 mA, ring 0.1 mA: N 0.4 gives 100 (1 - 0.25)/1.25.
    std::vector<std::array<double, 3>> p;
    for (int i = 0; i <= 400; ++i) {
        const double e = i <= 200 ? 1.0 - 0.005 * i : 0.005 * (i - 200);
        p.push_back({e, -1e-3, 1e-4});
    }
    f.track(0, ModeRDE, p);
    TrackHeader &h = (*f.store)[0];
    h.V1st = 1.0;
    h.V2nd = 0.0;
    h.V3rd = 1.0;
    f.store->CollectionEfficiency = 0.4;
    f.settings.O2Vrange = 0.01;
    O2ReductionAnalysis o2(*f.store, f.settings, f.prompts);
    o2.setStep(-0.25); // a negative entry is used as its absolute value
    ASSERT_TRUE(o2.Analyse());
    ASSERT_EQ(o2.rows().size(), 10u);
    EXPECT_NEAR(o2.rows()[4].Edisk, 0.0025, 1e-12); // 0.005 and 0 inside the turn's window
    EXPECT_NEAR(o2.rows()[5].Edisk, 0.005, 1e-12);
    EXPECT_TRUE(
        o2.report().startsWith(QStringLiteral("Edisk/V\t%H2O\r\n0.998\t60.0\r\n0.75\t60.0\r\n")) ||
        o2.report().startsWith(QStringLiteral("Edisk/V\t%H2O\r\n1\t60.0\r\n0.75\t60.0\r\n")))
        << o2.report().toStdString();
    f.store->CollectionEfficiency = 0;
    ASSERT_TRUE(o2.Analyse());
    EXPECT_TRUE(o2.report().contains(QStringLiteral("\t\u2014\r\n")));
    o2.setStep(0);
    EXPECT_FALSE(o2.Analyse());
    EXPECT_EQ(f.prompts.messages.last(), QString::fromLatin1(kZeroStepMessage));
    h.V2nd = 1.0; // a segment whose start equals its end: one potential
    f.settings.O2VStep = 0.1;
    f.store->CollectionEfficiency = 0.4;
    ASSERT_TRUE(o2.Analyse());
    EXPECT_EQ(o2.rows().size(), 2u); // one per segment
    h.Mode = ModeCV;
    EXPECT_FALSE(o2.Analyse());
    EXPECT_TRUE(o2.rows().empty());
}

TEST(Tafel, AreaAndSlopeOfAnExponentialBranch)
{
    Fixture f;
    std::vector<std::array<double, 3>> p;
    for (int i = 0; i <= 20; ++i) {
        const double e = 0.1 - 0.01 * i;
        p.push_back({e, -1e-6 * std::pow(10.0, -e / 0.12), 0});
    }
    f.track(3, ModeRDE, p);
    TafelAnalysis tafel(*f.store, f.settings, f.prompts);
    double area = -2;
    tafel.setArea(area);
    EXPECT_EQ(area, 1);
    area = 0.196;
    tafel.setArea(area);
    tafel.selectTrack(3);
    ASSERT_TRUE(tafel.Calculate());
    EXPECT_EQ((*f.store)[3].Area, 0.196);
    EXPECT_NEAR(tafel.slope(), -0.12, 1e-9);
    EXPECT_TRUE(tafel.report().contains(QStringLiteral("Tafel slope /mVdec-1\t-120.0\r\n")));
    f.track(4, ModePS, p);
    tafel.selectTrack(4);
    EXPECT_FALSE(tafel.Calculate());
    EXPECT_EQ((*f.store)[4].Area, 0.196);
}
