#include "plot/Graph.h"
#include "plot/Palette.h"
#include "support/TestDoubles.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace tervo;

// Measurement logic drives the graph from plain tests with no GUI application: axes and curves
// are drawn, only the text is left out.
TEST(HeadlessGraph, DrawsAxesAndLinesWithoutAGuiApplication)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    MemoryClipboard clipboard;
    Graph g(clipboard);
    g.SetSize(0, 0, 200 * 15, 100 * 15);
    ASSERT_TRUE(g.View(-1, 1, 1, -1));
    g.Axis(0.5, 0.5, 0, QStringLiteral("/V"));
    g.CurPrn(10, 10, 12, QStringLiteral("text"));
    g.VLine(-1, -1, 1, 1, paletteColor(kLightRed));
    const QImage &img = g.image();
    EXPECT_EQ(img.pixel(static_cast<int>(g.VtoWX(0.5)), 5) & 0xffffff,
              paletteColor(kLightGrey) & 0xffffff);
    EXPECT_EQ(img.pixel(150, 25) & 0xffffff, 0xff0000u);
}
