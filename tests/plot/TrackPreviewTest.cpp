#include "plot/TrackPreview.h"
#include "../canvas/QtApp.h"
#include "core/Colors.h"
#include "plot/Palette.h"
#include "plot/PlotRanges.h"
#include "tracks/Tables.h"

#include <QColor>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <set>

using namespace tervo;

namespace {

// Records what the preview asks of a canvas.
class RecordingCanvas : public kurvex::KurvexControl {
public:
    struct Line {
        double x1, y1, x2, y2;
        QRgb color;
    };
    QStringList calls;
    QString xFormat, yFormat, xTitle, yTitle;
    double xStep = 0, yStep = 0;
    std::vector<Line> lines;
    std::vector<Line> dots;
    bool refuseView = false;
    std::vector<double> view;

    QWidget *widget() override { return nullptr; }
    void CopyToClipboard() override {}
    void setClipboardSink(std::function<void(const QImage &)>) override {}
    void SetSize(int, int, int, int) override {}
    bool View(double x1, double y1, double x2, double y2) override
    {
        calls << QStringLiteral("View");
        view = {x1, y1, x2, y2};
        return !refuseView;
    }
    void Cls() override { calls << QStringLiteral("Cls"); }
    void XAxisFormat(const QString &p) override { xFormat = p; }
    void YAxisFormat(const QString &p) override { yFormat = p; }
    void Axis(double xt, double yt, const QString &xl, const QString &yl) override
    {
        calls << QStringLiteral("Axis");
        xStep = xt;
        yStep = yt;
        xTitle = xl;
        yTitle = yl;
    }
    float VtoWX(double) const override { return 0; }
    float VtoWY(double) const override { return 0; }
    void SetForeColor(QRgb) override {}
    void SetDrawWidth(int) override {}
    void SetDrawMode(int) override {}
    void SetFillStyle(int) override {}
    void SetFillColor(QRgb) override {}
    void VLine(double x1, double y1, double x2, double y2, QRgb c) override
    {
        lines.push_back({x1, y1, x2, y2, c});
    }
    void VPset(double x, double y, QRgb c) override { dots.push_back({x, y, x, y, c}); }
    void VCircle(double, double, double, QRgb) override {}
    void VBox(double, double, double, double, QRgb) override {}
    void VFill(double, double, double, double, QRgb) override {}
    QImage image() override { return {}; }
    kurvex::ViewState &viewState() override { return m_view; }
    void showView() override {}
    const kurvex::PlotScene &scene() const override { return m_scene; }
    void AddLegend(const QString &title, QRgb color) override { legend.push_back({title, color}); }
    void setFigureSaver(std::function<void()>) override {}
    std::vector<kurvex::PlotScene::LegendEntry> legend;

private:
    kurvex::ViewState m_view;
    kurvex::PlotScene m_scene;
};

// Three full cycles 0 -> 0.8 -> -0.2 -> 0 V with a current that follows the potential.
void fillThreeCycles(TrackStore &s, int track)
{
    TrackHeader &h = s[track];
    h.Mode = ModeCV;
    h.V1st = 0;
    h.V2nd = 0.8;
    h.V3rd = -0.2;
    int n = 0;
    auto add = [&](double v) {
        s.data(0, track, n) = v;
        s.data(1, track, n) = 1e-5 * v + (n % 200 < 80 ? 1e-6 : -1e-6);
        ++n;
    };
    for (int c = 0; c < 3; ++c) {
        for (int k = 0; k < 80; ++k)
            add(0.01 * k);
        for (int k = 0; k < 100; ++k)
            add(0.8 - 0.01 * k);
        for (int k = 0; k < 20; ++k)
            add(-0.2 + 0.01 * k);
    }
    add(0);
    h.pnum = n;
    h.Vxmin = -0.2;
    h.Vxmax = 0.8;
    h.Vymin = -3e-6;
    h.Vymax = 9e-6;
}

std::vector<QRgb> distinctInOrder(const std::vector<RecordingCanvas::Line> &lines)
{
    std::vector<QRgb> out;
    for (const auto &l : lines)
        if (out.empty() || out.back() != l.color)
            out.push_back(l.color);
    return out;
}

} // namespace

TEST(DrawTrackPreview, ColoursEachCycleOfAVoltammogramWithRisingHue)
{
    auto s = std::make_unique<TrackStore>();
    fillThreeCycles(*s, 2);
    RecordingCanvas lines;
    DrawTrackPreview(lines, *s, 2, PreviewLines);
    ASSERT_EQ(lines.lines.size(), 600u);
    const std::vector<QRgb> colors = distinctInOrder(lines.lines);
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_LT(QColor(colors[0]).hslHue(), QColor(colors[1]).hslHue());
    EXPECT_LT(QColor(colors[1]).hslHue(), QColor(colors[2]).hslHue());
    // The colour changes on the segment after each boundary point.
    EXPECT_EQ(lines.lines[200].color, colors[0]);
    EXPECT_EQ(lines.lines[201].color, colors[1]);
    EXPECT_EQ(lines.lines.back().color, colors[2]);
    EXPECT_EQ(colors[0], hlsToRgb(100, 16, 16)); // hue 64 + 144 / 4

    RecordingCanvas dots;
    DrawTrackPreview(dots, *s, 2, PreviewDots);
    ASSERT_EQ(dots.dots.size(), 601u);
    const std::vector<QRgb> dotColors = distinctInOrder(dots.dots);
    ASSERT_EQ(dotColors.size(), 3u);
    EXPECT_EQ(dotColors[0], colors[0]);
    EXPECT_EQ(dotColors[1], hlsToRgb(146, 16, 16)); // 64 + 164 * 2 / 4
    EXPECT_LT(QColor(dotColors[1]).hslHue(), QColor(dotColors[2]).hslHue());
}

TEST(DrawTrackPreview, SetsFormatsViewAndAxesFromTheWidenedRange)
{
    auto s = std::make_unique<TrackStore>();
    TrackHeader &h = (*s)[5];
    h.Mode = ModePS;
    h.pnum = 3;
    h.Vxmin = 0;
    h.Vxmax = 10;
    h.Vymin = -1e-6;
    h.Vymax = 1e-6;
    RecordingCanvas c;
    DrawTrackPreview(c, *s, 5, PreviewLines);
    EXPECT_EQ(c.xFormat, QStringLiteral("###0.0"));
    EXPECT_EQ(c.yFormat, QStringLiteral("0.0e+0"));
    // y grows upwards: the widened upper y is passed as y1.
    ASSERT_EQ(c.view.size(), 4u);
    EXPECT_DOUBLE_EQ(c.view[0], -1);
    EXPECT_DOUBLE_EQ(c.view[1], 1.2e-6);
    EXPECT_DOUBLE_EQ(c.view[2], 11);
    EXPECT_DOUBLE_EQ(c.view[3], -1.2e-6);
    EXPECT_EQ(c.xTitle, QStringLiteral("Time (s)"));
    EXPECT_EQ(c.yTitle, QStringLiteral("Current /A"));
    EXPECT_DOUBLE_EQ(c.xStep, NiceStep(-1, 11));
    EXPECT_DOUBLE_EQ(c.yStep, NiceStep(-1.2e-6, 1.2e-6));
    ASSERT_EQ(c.lines.size(), 2u);
    EXPECT_EQ(c.lines[0].color, paletteColor(kLightBlue));

    h.Mode = ModeRPMvsJ;
    DrawTrackPreview(c, *s, 5, PreviewLines);
    EXPECT_EQ(c.xFormat, QStringLiteral("###0"));
    h.Mode = ModeSSVAll; // keeps the format it had
    DrawTrackPreview(c, *s, 5, PreviewLines);
    EXPECT_EQ(c.xFormat, QStringLiteral("###0"));
}

TEST(DrawTrackPreview, DrawsDiskAndRingOfRingDiskTracks)
{
    auto s = std::make_unique<TrackStore>();
    for (int mode : {ModeRDE, ModeSSV}) {
        TrackHeader &h = (*s)[1];
        h.Mode = mode;
        h.pnum = 4;
        h.Vxmax = 1;
        h.Vymax = 1;
        for (int i = 0; i < 4; ++i) {
            s->data(0, 1, i) = 0.25 * i;
            s->data(1, 1, i) = 0.5;
            s->data(2, 1, i) = -0.5;
        }
        RecordingCanvas c;
        DrawTrackPreview(c, *s, 1, PreviewLines);
        ASSERT_EQ(c.lines.size(), 6u);
        int blue = 0, red = 0;
        for (const auto &l : c.lines) {
            if (l.color == paletteColor(kLightBlue) && l.y1 == 0.5)
                ++blue;
            if (l.color == paletteColor(kLightRed) && l.y1 == -0.5)
                ++red;
        }
        EXPECT_EQ(blue, 3) << mode;
        EXPECT_EQ(red, 3) << mode;
        // A figure's legend names both curves by the track's title.
        ASSERT_EQ(c.legend.size(), 2u) << mode;
        EXPECT_EQ(c.legend[0].title, QStringLiteral("Track 1"));
        EXPECT_EQ(c.legend[1].color, paletteColor(kLightRed));
    }
}

TEST(DrawTrackPreview, DrawsEveryMultiChannelAgainstTheTimeOfTrackZero)
{
    auto s = std::make_unique<TrackStore>();
    for (int c = 0; c < 21; ++c) {
        (*s)[c].Mode = ModeMulti;
        (*s)[c].pnum = 3;
        (*s)[c].Vxmax = 2;
        (*s)[c].Vymax = 20;
        for (int i = 0; i < 3; ++i) {
            s->data(2, 0, i) = i;       // time, from track 0
            s->data(2, c, i) = 100 + i; // not used as x
            s->data(1, c, i) = c;
        }
    }
    RecordingCanvas rc;
    DrawTrackPreview(rc, *s, 13, PreviewLines);
    ASSERT_EQ(rc.lines.size(), 22u);
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(rc.lines[2 * c].color, TrackLightColors()[c]);
        EXPECT_EQ(rc.lines[2 * c].y1, c);
        EXPECT_EQ(rc.lines[2 * c + 1].x2, 2);
    }
    EXPECT_EQ(rc.lines[20].color, TrackColors()[3]); // track 13 counts modulo 10
    EXPECT_EQ(rc.lines[20].y1, 13);
}

TEST(DrawTrackPreview, VacantOrUnmappableTracksLeaveAClearedCanvas)
{
    auto s = std::make_unique<TrackStore>();
    RecordingCanvas vacant;
    DrawTrackPreview(vacant, *s, 0, PreviewLines);
    EXPECT_EQ(vacant.calls, QStringList{QStringLiteral("Cls")});

    (*s)[0].Mode = ModeCV;
    (*s)[0].pnum = 10;
    RecordingCanvas refused;
    refused.refuseView = true; // Vxmin = Vxmax = 0
    DrawTrackPreview(refused, *s, 0, PreviewLines);
    EXPECT_EQ(refused.calls.last(), QStringLiteral("Cls"));
    EXPECT_FALSE(refused.calls.contains(QStringLiteral("Axis")));
    EXPECT_TRUE(refused.lines.empty());

    RecordingCanvas outOfRange;
    DrawTrackPreview(outOfRange, *s, 40, PreviewLines);
    EXPECT_EQ(outOfRange.calls, QStringList{QStringLiteral("Cls")});
}

TEST(DrawTrackPreview, AnUnknownDrawSettingDrawsOnlyTheAxes)
{
    auto s = std::make_unique<TrackStore>();
    fillThreeCycles(*s, 0);
    RecordingCanvas c;
    DrawTrackPreview(c, *s, 0, 2);
    EXPECT_TRUE(c.calls.contains(QStringLiteral("Axis")));
    EXPECT_TRUE(c.lines.empty());
    EXPECT_TRUE(c.dots.empty());
}

TEST(DrawTrackPreview, RendersTheCurveAndTheGridOnTheCanvas)
{
    ensureQtApp();
    auto s = std::make_unique<TrackStore>();
    fillThreeCycles(*s, 0);
    std::unique_ptr<kurvex::KurvexControl> canvas(
        kurvex::createControl(QString::fromLatin1(kurvex::kProgId)));
    ASSERT_TRUE(canvas);
    canvas->widget()->resize(500, 350);
    DrawTrackPreview(*canvas, *s, 0, PreviewLines);
    const QImage img = canvas->image();
    auto at = [&](double x, double y) {
        return img.pixel(static_cast<int>(canvas->VtoWX(x)), static_cast<int>(canvas->VtoWY(y))) &
               0xffffff;
    };
    // The last cycle is drawn last: its colour sits on its points.
    const QRgb third = cycleColor(3, 4, kLineHueSpread) & 0xffffff;
    const int p = 2 * 200 + 40; // rising sweep of cycle 3 at 0.4 V
    EXPECT_EQ(at(s->data(0, 0, p), s->data(1, 0, p)), third);
    // Grid column at x = 0.4 (a multiple of the x step), read where no curve or label is.
    const double step = NiceStep(-0.3, 0.9);
    ASSERT_DOUBLE_EQ(step, 0.2);
    const int column = static_cast<int>(canvas->VtoWX(0.4));
    EXPECT_EQ(img.pixel(column, 3) & 0xffffff, paletteColor(kLightGrey) & 0xffffff);
    // The x axis is black across the canvas.
    EXPECT_EQ(img.pixel(img.width() - 3, static_cast<int>(canvas->VtoWY(0))) & 0xffffff, 0u);
}
