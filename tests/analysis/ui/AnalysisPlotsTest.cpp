// The analyses' plots as a reader sees them: what their axes say, the colours of their markers and
// where the %H2O markers land.
#include "../../canvas/QtApp.h"
#include "analysis/Cottrell.h"
#include "analysis/Coulomb.h"
#include "analysis/KouteckyLevich.h"
#include "analysis/O2Reduction.h"
#include "analysis/PeakAnalysis.h"
#include "analysis/Tafel.h"
#include "canvas/KurvexControl.h"
#include "plot/Graph.h"
#include "plot/Palette.h"
#include "support/TestDoubles.h"
#include "tracks/TrackFile.h"

#include <QWidget>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

struct Fixture {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    Settings settings;
    AnalysisPoints points;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    std::unique_ptr<kurvex::KurvexControl> canvas;

    Fixture()
    {
        ensureQtApp();
        for (int t = 0; t < kTrackSlots; ++t)
            store->ClearTrack(t);
        ApplyDefaultSettings(settings);
        canvas.reset(kurvex::createControl(QString::fromLatin1(kurvex::kProgId)));
        canvas->widget()->resize(400, 300);
    }
    TrackHeader &track(int t, int mode, const std::vector<std::array<double, 3>> &p, double rpm = 0)
    {
        TrackHeader &h = (*store)[t];
        h.Mode = mode;
        h.RPM = rpm;
        h.pnum = static_cast<int>(p.size());
        h.Vxmin = h.Vymin = 1e300;
        h.Vxmax = h.Vymax = -1e300;
        for (int i = 0; i < h.pnum; ++i) {
            for (int c = 0; c < 3; ++c)
                store->data(c, t, i) = p[std::size_t(i)][std::size_t(c)];
            h.Vxmin = std::min(h.Vxmin, p[std::size_t(i)][0]);
            h.Vxmax = std::max(h.Vxmax, p[std::size_t(i)][0]);
            h.Vymin = std::min(h.Vymin, p[std::size_t(i)][1]);
            h.Vymax = std::max(h.Vymax, p[std::size_t(i)][1]);
        }
        return h;
    }
    void rde(int t, double rpm, double current)
    {
        std::vector<std::array<double, 3>> p;
        for (int i = 0; i <= 40; ++i)
            p.push_back({0.2 - 0.01 * i, current * (1 + 0.01 * i), 0});
        track(t, ModeRDE, p, rpm);
        store->kl.KLUseFlag[std::size_t(t)] = 1;
        store->kl.KLNStart[std::size_t(t)] = 0;
        store->kl.KLNEnd[std::size_t(t)] = 40;
    }
};

std::vector<QRgb> circleColours(const kurvex::PlotScene &scene)
{
    std::vector<QRgb> c;
    for (const kurvex::SceneItem &i : scene.items())
        if (i.kind == kurvex::SceneItem::Circle)
            c.push_back(i.fore & 0xffffff);
    return c;
}

} // namespace

// Both methods title their axes by what they plot.
TEST(AnalysisPlots, KouteckyLevichAndLevichPlotsSayWhatTheirAxesAre)
{
    struct Case {
        int method;
        const char *x, *y;
    };
    const Case cases[] = {
        {KouteckyLevichAnalysis::KouteckyLevich, "f^-1/2 (Hz^-1/2)", "j^-1 (cm2 A^-1)"},
        {KouteckyLevichAnalysis::Levich, "f^1/2 (Hz^1/2)", "j (A cm-2)"}};
    for (const Case &c : cases) {
        Fixture f;
        f.rde(0, 400, -2e-3);
        f.rde(1, 1600, -4e-3);
        f.settings.KLVuse = -0.1;
        f.settings.KLVrange = 0.02;
        f.settings.KLMethod = c.method;
        Graph graph(f.clipboard);
        KouteckyLevichAnalysis kl(*f.store, f.settings, f.points, f.prompts);
        ASSERT_TRUE(kl.Calculate(&graph));
        ASSERT_TRUE(graph.scene().axes());
        EXPECT_EQ(graph.scene().axes()->xTitle, QString::fromUtf8(c.x));
        EXPECT_EQ(graph.scene().axes()->yTitle, QString::fromUtf8(c.y));
    }
}

// The averaged points are red inside the window and blue outside, not the canvas's black.
TEST(AnalysisPlots, KouteckyLevichPreviewMarksPointsInTheirColours)
{
    Fixture f;
    f.rde(0, 400, -2e-3);
    f.store->kl.KLNStart[0] = 5;
    f.store->kl.KLNEnd[0] = 15; // 0.15 .. 0.05 V
    f.settings.KLVuse = 0.1;
    f.settings.KLVrange = 0.015;
    KouteckyLevichAnalysis kl(*f.store, f.settings, f.points, f.prompts);
    kl.computeWindow();
    kl.drawPreview(*f.canvas);
    const std::vector<QRgb> colours = circleColours(f.canvas->scene());
    ASSERT_EQ(colours.size(), 11u);
    const QRgb red = paletteColor(kLightRed) & 0xffffff, blue = paletteColor(kLightBlue) & 0xffffff;
    EXPECT_EQ(std::count(colours.begin(), colours.end(), red), 3); // 0.11, 0.10, 0.09 V
    EXPECT_EQ(std::count(colours.begin(), colours.end(), blue), 8);
}

TEST(AnalysisPlots, CottrellPlotShowsInverseRootTimeWithRedMarkers)
{
    Fixture f;
    std::vector<std::array<double, 3>> p;
    for (int i = 1; i <= 20; ++i)
        p.push_back({0.1 * i, 3e-5 / std::sqrt(0.1 * i), 0});
    f.track(2, ModePS, p);
    CottrellAnalysis cottrell(*f.store, f.points, f.prompts);
    cottrell.selectTrack(2);
    cottrell.drawPlot(*f.canvas);
    ASSERT_TRUE(f.canvas->scene().axes());
    EXPECT_EQ(f.canvas->scene().axes()->xTitle, QStringLiteral("1/\u221At (s^-1/2)"));
    const std::vector<QRgb> colours = circleColours(f.canvas->scene());
    ASSERT_EQ(colours.size(), 20u);
    EXPECT_EQ(colours.front(), paletteColor(kLightRed) & 0xffffff);
}

// The potential axis with its labels and the markers near 100 % lie inside the canvas.
TEST(AnalysisPlots, H2OPlotKeepsItsAxisAndFullYieldInside)
{
    Fixture f;
    std::vector<std::array<double, 3>> p;
    for (int i = 0; i <= 400; ++i) {
        const double e = i <= 200 ? 1.0 - 0.005 * i : 0.005 * (i - 200);
        p.push_back({e, -1e-3, 1e-9});
    }
    TrackHeader &h = f.track(0, ModeRDE, p);
    h.V1st = 1.0;
    h.V2nd = 0.0;
    h.V3rd = 1.0;
    f.store->CollectionEfficiency = 0.4;
    f.settings.O2Vrange = 0.01;
    f.settings.O2VStep = 0.25;
    O2ReductionAnalysis o2(*f.store, f.settings, f.prompts);
    ASSERT_TRUE(o2.Analyse());
    o2.draw(*f.canvas);
    const kurvex::WorldRect v = f.canvas->viewState().programView();
    EXPECT_GT(v.y1, 100); // the top: markers at 100 % are drawn whole
    EXPECT_LT(v.y2, 0);   // the potential axis at 0 % has room for its labels
    EXPECT_LT(v.x1, h.Vxmin);
    EXPECT_GT(v.x2, h.Vxmax);
    const std::vector<QRgb> colours = circleColours(f.canvas->scene());
    ASSERT_FALSE(colours.empty());
    EXPECT_EQ(colours.front(), paletteColor(kLightBlue) & 0xffffff);
}

// The sweep is drawn with the base line of each peak in light green and the peaks as light red
// circles where they were read.
TEST(AnalysisPlots, PeakPlotMarksBaseLinesAndPeaks)
{
    Fixture f;
    ASSERT_TRUE(
        loadTrackFile(*f.store, QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-redox-couple.tvd"))
            .ok());
    PeakAnalysis peaks(*f.store, f.prompts);
    peaks.selectTrack(0);
    int one = 1;
    peaks.selectSweep(one);
    peaks.drawPlot(*f.canvas);
    EXPECT_TRUE(circleColours(f.canvas->scene()).empty()); // nothing read yet
    ASSERT_TRUE(peaks.Calculate());
    peaks.drawPlot(*f.canvas);
    const std::vector<QRgb> circles = circleColours(f.canvas->scene());
    ASSERT_EQ(circles.size(), 2u);
    for (QRgb c : circles)
        EXPECT_EQ(c, paletteColor(kLightRed) & 0xffffff);
    int green = 0;
    for (const kurvex::SceneItem &i : f.canvas->scene().items())
        if (i.kind == kurvex::SceneItem::Line &&
            (i.color & 0xffffff) == (paletteColor(kLightGreen) & 0xffffff))
            ++green;
    EXPECT_EQ(green, 2);
}

// The marked stretch of a Tafel or Coulomb preview is light red, not the canvas's black.
TEST(AnalysisPlots, RangePreviewsMarkTheChosenStretchInLightRed)
{
    Fixture f;
    f.rde(0, 400, -2e-3);
    TafelAnalysis tafel(*f.store, f.settings, f.prompts);
    CoulombAnalysis coulomb(*f.store, f.points, f.prompts);
    const std::function<void()> draws[] = {[&] {
                                               tafel.selectTrack(0);
                                               int first = 5, last = 15;
                                               tafel.setFirst(first);
                                               tafel.setLast(last);
                                               tafel.drawPreview(*f.canvas);
                                           },
                                           [&] {
                                               coulomb.selectTrack(0);
                                               int first = 5, last = 15;
                                               coulomb.setFirst(first);
                                               coulomb.setLast(last);
                                               coulomb.drawPreview(*f.canvas);
                                           }};
    for (const auto &draw : draws) {
        draw();
        const std::vector<QRgb> colours = circleColours(f.canvas->scene());
        ASSERT_EQ(colours.size(), 11u);
        for (QRgb c : colours)
            EXPECT_EQ(c, paletteColor(kLightRed) & 0xffffff);
    }
}
