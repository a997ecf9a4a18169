#include "plot/Graph.h"
#include "../canvas/QtApp.h"
#include "plot/Palette.h"
#include "plot/frmGraph.h"
#include "support/TestDoubles.h"

#include <QToolButton>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

int countColor(const QImage &img, QRgb c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xffffff) == (c & 0xffffff);
    return n;
}

// A graph of 200 x 100 pixels.
struct GraphFixture : ::testing::Test {
    MemoryClipboard clipboard;
    Graph graph{clipboard};
    void SetUp() override { graph.SetSize(0, 0, 200 * 15, 100 * 15); }
};

} // namespace

TEST_F(GraphFixture, ClampsWildPixelCoordinates)
{
    ASSERT_TRUE(graph.View(0, 1, 10, -1)); // 20 px per unit across
    EXPECT_EQ(graph.VtoWX(5), 100);
    EXPECT_EQ(graph.VtoWY(0), 50);
    EXPECT_EQ(graph.VtoWX(-1.5e8), -2.1e9); // would map to -3e9
    EXPECT_EQ(graph.VtoWX(1.5e8), 2.1e9);
    EXPECT_EQ(graph.VtoWY(1e300), -2.1e9);
    EXPECT_EQ(graph.VtoWX(-0.01), -1); // still rounds down
}

TEST_F(GraphFixture, DropsALineWithAnEndBeyondTheGuardInsteadOfClippingIt)
{
    ASSERT_TRUE(graph.View(0, 100, 200, 0)); // 1 px per unit, y upwards
    const QImage blank = graph.image().copy();
    graph.VLine(10, 50, 32767 + 10, 50, 0xff0000); // ends at pixel 32777
    EXPECT_EQ(graph.image(), blank);
    graph.VLine(10, 50, 10, -32800, 0xff0000);
    EXPECT_EQ(graph.image(), blank);
    graph.VLine(10, 50, 32767, 50, 0xff0000); // just inside: drawn, the visible part shows
    EXPECT_EQ(graph.image().pixel(150, 50) & 0xffffff, 0xff0000u);
}

TEST_F(GraphFixture, EmptyViewIsRefusedAndTheMappingStays)
{
    ASSERT_TRUE(graph.View(0, 1, 10, -1));
    EXPECT_FALSE(graph.View(2, 1, 2, 0));
    EXPECT_EQ(graph.VtoWX(10), 200);
}

TEST_F(GraphFixture, SizeAndPositionRoundTripInScreenUnits)
{
    graph.SetSize(1000, 1200, 5000, 4000);
    EXPECT_EQ(graph.getSize().width, 5000);
    EXPECT_EQ(graph.getSize().height, 4000);
    EXPECT_EQ(graph.height(), 4026);
    EXPECT_EQ(graph.getPosition().top, 1000);
    EXPECT_EQ(graph.getPosition().left, 1200);
    EXPECT_EQ(graph.surfaceSize(), QSize(5000 / graph.getPictureX(), 4000 / 15));
    EXPECT_TRUE(graph.autoRedraw());
    graph.SetPosition(40000, -50000); // beyond 16 bits: reported at the limits, not wrapped
    EXPECT_EQ(graph.getPosition().top, 32767);
    EXPECT_EQ(graph.getPosition().left, -32768);
    // A window that only confirms its size leaves the units as set; a real resize comes back
    // in the same units.
    graph.windowResized(5000 / 15, 4000 / 15, 1.0);
    EXPECT_EQ(graph.getSize().width, 5000);
    EXPECT_EQ(graph.getSize().height, 4000);
    graph.windowResized(300, 200, 1.0);
    EXPECT_EQ(graph.getSize().width, 4500);
    EXPECT_EQ(graph.getSize().height, 3000);
}

TEST_F(GraphFixture, AxisDrawsGridStepsAndAxesThroughTheOrigin)
{
    ASSERT_TRUE(graph.View(-2, 1, 8, -1));
    graph.Axis(2, 0.5, 0, QStringLiteral("/V"));
    const QImage &img = graph.image();
    const QRgb grey = paletteColor(kLightGrey) & 0xffffff;
    EXPECT_EQ(img.pixel(static_cast<int>(graph.VtoWX(6)), 5) & 0xffffff, grey);
    EXPECT_EQ(img.pixel(190, static_cast<int>(graph.VtoWY(-0.5))) & 0xffffff, grey);
    EXPECT_EQ(img.pixel(190, static_cast<int>(graph.VtoWY(0))) & 0xffffff, 0u);
    EXPECT_EQ(img.pixel(static_cast<int>(graph.VtoWX(0)), 5) & 0xffffff, 0u);
}

TEST_F(GraphFixture, AReversedXWindowStepsItsGridBackwards)
{
    ASSERT_TRUE(graph.View(10, 1, 0, -1)); // x runs right to left
    graph.Axis(2, 0.5, 0, QString());
    const QImage &img = graph.image();
    for (double x : {10.0, 8.0, 4.0})
        EXPECT_EQ(img.pixel(std::min(199, static_cast<int>(graph.VtoWX(x))), 5) & 0xffffff,
                  paletteColor(kLightGrey) & 0xffffff)
            << x;
}

TEST_F(GraphFixture, AxisWithAnUnusableStepDrawsNoGrid)
{
    ASSERT_TRUE(graph.View(-1, 1, 1, -1));
    graph.Axis(0, 1e-13, 1, QString());
    EXPECT_EQ(countColor(graph.image(), paletteColor(kLightGrey)), 0);
}

TEST(DecadeLabel, PrintsOneForZeroAndTenWithARaisedExponentOtherwise)
{
    const DecadeLabel one = decadeLabel(0, 100, 40, 14);
    EXPECT_EQ(one.base, QStringLiteral("1"));
    EXPECT_TRUE(one.exponent.isEmpty());
    EXPECT_LT(one.baseLeft, 100);
    const DecadeLabel minus3 = decadeLabel(-3, 100, 40, 14);
    EXPECT_EQ(minus3.base, QStringLiteral("10"));
    EXPECT_EQ(minus3.exponent, QStringLiteral("-3"));
    EXPECT_EQ(minus3.exponentTop, 32);
    EXPECT_EQ(minus3.exponentLeft, minus3.baseLeft + 14);
    EXPECT_LT(minus3.baseLeft, one.baseLeft); // the longer label starts further left
}

TEST_F(GraphFixture, CircleIsFilledWithItsColour)
{
    ASSERT_TRUE(graph.View(0, 0, 200, 100));
    graph.VCircle(50, 50, 6, paletteColor(kLightBlue));
    EXPECT_EQ(graph.image().pixel(50, 50) & 0xffffff, 0x0000ffu);
    EXPECT_EQ(graph.image().pixel(56, 50) & 0xffffff, 0x0000ffu);
}

TEST_F(GraphFixture, CopyPutsTheImageOnTheClipboard)
{
    ASSERT_TRUE(graph.View(0, 0, 200, 100));
    graph.VFill(10, 10, 30, 30, 0x00ff00);
    clipboard.content = QStringLiteral("old text");
    graph.CopyToClipboard();
    EXPECT_TRUE(clipboard.content.isEmpty());
    EXPECT_EQ(clipboard.image, graph.image());
}

TEST(frmGraph, FollowsTheGraphAndCopiesWithItsButton)
{
    ensureQtApp();
    MemoryClipboard clipboard;
    GraphWindows windows(clipboard);
    Graph &g = windows.graph(0);
    EXPECT_EQ(g.getPosition().top, 0);
    EXPECT_EQ(g.getPosition().left, 1000);
    g.SetTitle(QStringLiteral("Cyclic Voltammogram"));
    EXPECT_EQ(windows.window(0).windowTitle(), QStringLiteral("Cyclic Voltammogram"));
    g.SetSize(1500, 3000, 4500, 3000);
    EXPECT_EQ(windows.window(0).size(), QSize(300, 200));
    ASSERT_TRUE(g.View(0, 0, 300, 200));
    g.VFill(0, 0, 50, 50, 0xff0000);
    auto *button = windows.window(0).findChild<QToolButton *>();
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(clipboard.image.pixel(20, 20) & 0xffffff, 0xff0000u);
    g.Show();
    EXPECT_TRUE(windows.window(0).isVisible());
    const QImage shown = windows.window(0).grab().toImage();
    EXPECT_EQ(shown.pixel(20, 20) & 0xffffff, 0xff0000u);
    EXPECT_EQ(shown.pixel(200, 100) & 0xffffff, 0xffffffu);
    g.Hide();
    EXPECT_FALSE(windows.window(0).isVisible());
    EXPECT_FALSE(windows.graph(1).isVisible());
}
