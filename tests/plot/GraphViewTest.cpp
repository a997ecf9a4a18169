#include "../canvas/QtApp.h"
#include "plot/Figure.h"
#include "plot/Graph.h"
#include "plot/LivePlot.h"
#include "plot/TrackFigure.h"
#include "plot/frmGraph.h"
#include "support/TestDoubles.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

QRgb at(Graph &g, int x, int y)
{
    return g.image().pixel(x, y) & 0xffffff;
}

// A graph of 200 x 100 pixels showing x 0..10 and y 1..-1.
struct ViewFixture : ::testing::Test {
    MemoryClipboard clipboard;
    Graph graph{clipboard};
    void SetUp() override
    {
        graph.SetSize(0, 0, 200 * 15, 100 * 15);
        ASSERT_TRUE(graph.View(0, 1, 10, -1));
    }
};

} // namespace

// The operator's zoom draws what the graph holds again in the new view; the program's
// operations and mapping stay as they were, and home brings the program's view back.
TEST_F(ViewFixture, ZoomDrawsTheHeldContentAgainAndHomeReturns)
{
    graph.VFill(4, 0.2, 6, -0.2, 0xff0000); // pixels 80..120 x 40..60
    EXPECT_EQ(at(graph, 100, 50), 0xff0000u);
    EXPECT_EQ(at(graph, 70, 50), 0xffffffu);
    ASSERT_TRUE(graph.viewState().zoomRect(QRectF(50, 25, 100, 50), 200, 100)); // x 2.5..7.5
    graph.showView();
    EXPECT_EQ(at(graph, 70, 50), 0xff0000u); // x = 4.25 now
    EXPECT_EQ(at(graph, 20, 50), 0xffffffu);
    EXPECT_EQ(graph.VtoWX(5), 100); // the program's mapping is unchanged
    // What the program draws while zoomed lands in the operator's view.
    graph.VFill(2.5, 0.5, 2.6, 0.4, 0x00ff00);
    EXPECT_EQ(at(graph, 1, 1), 0x00ff00u);
    ASSERT_TRUE(graph.viewState().home());
    graph.showView();
    EXPECT_EQ(at(graph, 70, 50), 0xffffffu);
    EXPECT_EQ(at(graph, 100, 50), 0xff0000u);
}

// A live plot follows its growing range until the operator zooms; home follows again.
TEST_F(ViewFixture, LivePlotFollowsUnlessZoomed)
{
    LivePlot plot(&graph);
    plot.reset({0, -1, 1, 1});
    const kurvex::WorldRect first = graph.shownView();
    auto add = [&](double x) { plot.add(x, 0, 0xff0000, [&] { plot.setView(); }); };
    add(5);
    EXPECT_NE(graph.shownView(), first);
    ASSERT_TRUE(graph.viewState().wheel(100, 50, 1, kurvex::ZoomAxes::Both, 200, 100));
    graph.showView();
    const kurvex::WorldRect zoomed = graph.shownView();
    add(50);
    EXPECT_EQ(graph.shownView(), zoomed);
    EXPECT_FALSE(graph.viewState().following());
    graph.viewState().home();
    graph.showView();
    EXPECT_GT(graph.shownView().x2, 50);
}

// The read-out gives the point under the pointer in axis units and the nearest point of the
// curve with its index.
TEST_F(ViewFixture, ReadoutNamesThePointUnderThePointerAndTheNearestDataPoint)
{
    graph.Axis(2, 0.5, 0, QStringLiteral("/V"));
    for (int i = 0; i < 9; ++i)
        graph.VLine(i, 0.2, i + 1, 0.2, 0x0000ff);        // points 0..9 at x = 0..9
    const QString text = graph.readout(QPointF(139, 40)); // x 6.95, y 0.2
    EXPECT_TRUE(text.startsWith(QStringLiteral("x: 6.95   y: 0.2"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("point 7 [0]"))) << text.toStdString();
    EXPECT_TRUE(graph.readout(QPointF(300, 40)).isEmpty());
}

// On the decade scale |y| is drawn at log10 |y| and the decades follow the data.
TEST_F(ViewFixture, DecadeScaleDrawsAbsoluteCurrentsByTheirDecade)
{
    graph.Axis(2, 0.5, 0, QStringLiteral("/V"));
    graph.VFill(4, -1e-6, 6, -1e-6, 0xff0000);
    graph.VFill(4, 1e-3, 6, 1e-3, 0x00ff00);
    graph.viewState().setLogY(true);
    graph.showView();
    const kurvex::WorldRect v = graph.shownView();
    EXPECT_GE(v.y1, -3);
    EXPECT_LE(v.y2, -6);
    const kurvex::WorldMapping m =
        *kurvex::WorldMapping::fromView(v.x1, v.y1, v.x2, v.y2, 200, 100);
    EXPECT_EQ(at(graph, 100, static_cast<int>(m.pixelY(-6))), 0xff0000u);
    EXPECT_EQ(at(graph, 100, static_cast<int>(m.pixelY(-3))), 0x00ff00u);
}

TEST(frmGraph, OffersFigureSavingLogScaleAndAStatusLine)
{
    ensureQtApp();
    MemoryClipboard clipboard;
    GraphWindows windows(clipboard);
    QStringList entries;
    for (QAction *a : windows.window(0).menu()->actions())
        entries << a->text();
    EXPECT_TRUE(entries.contains(QStringLiteral("Save Figure\u2026")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Log Scale |y|")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Home")));
}

namespace {

Figure sampleFigure()
{
    MemoryClipboard clipboard;
    Graph g(clipboard);
    g.SetSize(0, 0, 400 * 15, 300 * 15);
    g.View(-0.2, 1e-4, 1, -1e-4);
    g.SetYTitle(QStringLiteral("Current /A"));
    g.Axis(0.2, 5e-5, 0, QStringLiteral("Potential /V"));
    for (int i = 0; i < 100; ++i)
        g.VLine(i / 100.0, 8e-5 * std::sin(i / 10.0), (i + 1) / 100.0,
                8e-5 * std::sin((i + 1) / 10.0), 0xff0000);
    g.AddLegend(QStringLiteral("ferrocene 50 mV/s"), 0xff0000);
    return figureOf(g);
}

} // namespace

// Each format is what its name says: a PNG at the resolution asked for, an SVG drawing with the
// titles and legend as text, a PDF document; an unknown extension is refused.
TEST(Figure, WritesPngAtItsResolutionSvgAndPdf)
{
    ensureQtApp();
    QTemporaryDir dir;
    const Figure f = sampleFigure();
    QString error;
    const QString png = dir.filePath(QStringLiteral("f.png"));
    ASSERT_TRUE(writeFigure(f, png, 300, &error)) << error.toStdString();
    const QImage img(png);
    EXPECT_EQ(img.width(), static_cast<int>(std::ceil(400 * 300 / 96.0)));
    EXPECT_EQ(img.height(), static_cast<int>(std::ceil(300 * 300 / 96.0)));
    EXPECT_NEAR(img.dotsPerMeterX() * 0.0254, 300, 1);
    int red = 0;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            red += (img.pixel(x, y) & 0xffffff) == 0xff0000;
    EXPECT_GT(red, 50);

    const QString svg = dir.filePath(QStringLiteral("f.svg"));
    ASSERT_TRUE(writeFigure(f, svg, 300, &error)) << error.toStdString();
    const QByteArray s = fileBytes(svg);
    EXPECT_TRUE(s.contains("<svg"));
    EXPECT_TRUE(s.contains("Potential /V"));
    EXPECT_TRUE(s.contains("Current /A"));
    EXPECT_TRUE(s.contains("ferrocene 50 mV/s"));

    const QString pdf = dir.filePath(QStringLiteral("f.pdf"));
    ASSERT_TRUE(writeFigure(f, pdf, 300, &error)) << error.toStdString();
    EXPECT_TRUE(fileBytes(pdf).startsWith("%PDF"));

    EXPECT_FALSE(writeFigure(f, dir.filePath(QStringLiteral("f.bmp")), 300, &error));
    EXPECT_FALSE(error.isEmpty());
}

// The window's Save Figure asks only for the resolution: a large window at a high one is refused
// before gigabytes of pixels are drawn.
TEST(Figure, APngBeyondThePixelBoundIsRefusedBeforeDrawing)
{
    ensureQtApp();
    QTemporaryDir dir;
    Figure f = sampleFigure();
    f.size = QSizeF(1920, 1080);
    const QString png = dir.filePath(QStringLiteral("f.png"));
    QString error;
    EXPECT_FALSE(writeFigure(f, png, 1200, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("24000 x 13500 pixels"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(png));
    EXPECT_TRUE(writeFigure(f, png, 300, &error)) << error.toStdString();
}

TEST(TrackFigure, PlotsTracksWithTheirTitlesAndRefusesAVacantOne)
{
    auto store = std::make_unique<TrackStore>();
    TrackHeader &h = (*store)[2];
    h.Mode = ModePS;
    h.Title = QStringLiteral("step to -0.4 V");
    h.pnum = 3;
    for (int i = 0; i < 3; ++i) {
        store->data(0, 2, i) = i + 1;
        store->data(1, 2, i) = -1e-5 / (i + 1);
    }
    QString error;
    TrackFigureRequest r;
    r.tracks = {2};
    r.logY = true;
    const auto f = trackFigure(*store, r, &error);
    ASSERT_TRUE(f) << error.toStdString();
    ASSERT_EQ(f->scene.legend().size(), 1u);
    EXPECT_EQ(f->scene.legend()[0].title, h.Title);
    EXPECT_EQ(f->scene.axes()->xTitle, QStringLiteral("Time (s)"));
    EXPECT_GE(f->view.y1, -5);
    EXPECT_LE(f->view.y2, std::log10(1e-5 / 3));
    r.tracks = {2, 3};
    EXPECT_FALSE(trackFigure(*store, r, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("track 3")));
}
