#include "canvas/RasterSurface.h"
#include "QtApp.h"

#include <gtest/gtest.h>

using namespace kurvex;

namespace {

QRgb at(RasterSurface &s, int x, int y)
{
    return s.image().pixel(x, y) & 0xffffff;
}

int countColor(const QImage &img, QRgb c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xffffff) == (c & 0xffffff);
    return n;
}

} // namespace

TEST(RasterSurface, ExclusiveOrDrawingTwiceRestoresTheImage)
{
    RasterSurface s;
    s.resize(120, 80);
    s.fillBox(10, 10, 60, 40, 0x3366cc);
    s.line(0, 0, 119, 79, 0xff0000);
    const QImage before = s.image().copy();

    s.setDrawMode(XorPen);
    s.setForeColor(0x00ff00);
    s.setFillStyle(FillSolid);
    s.setFillColor(0x123456);
    s.circle(50, 35, 20);
    s.line(5, 70, 110, 5, 0xabcdef);
    s.pset(3, 3, 0xffffff);
    EXPECT_NE(s.image(), before);
    s.circle(50, 35, 20);
    s.line(5, 70, 110, 5, 0xabcdef);
    s.pset(3, 3, 0xffffff);
    EXPECT_EQ(s.image(), before);
}

TEST(RasterSurface, CircleUsesTheForegroundColourAndTheFillStyle)
{
    RasterSurface s;
    s.resize(100, 100);
    s.setForeColor(0x0000ff);
    s.circle(50, 50, 10);
    EXPECT_EQ(at(s, 60, 50), 0x0000ffu);
    EXPECT_EQ(at(s, 50, 50), 0xffffffu); // transparent inside by default
    s.setFillStyle(FillSolid);
    s.setFillColor(0x00ff00);
    s.circle(50, 50, 10);
    EXPECT_EQ(at(s, 50, 50), 0x00ff00u);
    EXPECT_EQ(at(s, 40, 50), 0x0000ffu);
}

TEST(RasterSurface, DenseScreensGetDevicePixelsAndLogicalCoordinates)
{
    RasterSurface s;
    s.resize(100, 50, 2.0);
    EXPECT_EQ(s.width(), 100);
    EXPECT_EQ(s.image().size(), QSize(200, 100));
    s.pset(10, 10, 0xff0000);
    const QImage &img = s.image();
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
            EXPECT_EQ(img.pixel(20 + dx, 20 + dy) & 0xffffff, 0xff0000u);
    EXPECT_EQ(countColor(img, 0xff0000), 4);
    // A one-pixel line is one logical pixel thick: two device rows, its end point left out.
    s.line(30, 20, 40, 20, 0x00ff00);
    const QImage &lined = s.image();
    EXPECT_EQ(countColor(lined, 0x00ff00), 10 * 2 * 2);
    EXPECT_EQ(lined.pixel(60, 41) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(lined.pixel(79, 40) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(lined.pixel(80, 40) & 0xffffff, 0xffffffu);
}

TEST(RasterSurface, ThinLinesCoverEveryStepBetweenTheirEnds)
{
    for (qreal dpr : {1.0, 1.5}) {
        RasterSurface s;
        s.resize(50, 50, dpr);
        s.line(2, 3, 40, 17, 0x0000ff);  // shallow
        s.line(45, 2, 35, 48, 0xff0000); // steep, right to left
        const QImage &img = s.image();
        // Whether any device pixel of the logical column (or row) has the colour.
        auto inColumn = [&](int x, QRgb c) {
            const int dx = static_cast<int>(x * dpr);
            for (int y = 0; y < img.height(); ++y)
                if ((img.pixel(dx, y) & 0xffffff) == c)
                    return true;
            return false;
        };
        auto inRow = [&](int y, QRgb c) {
            const int dy = static_cast<int>(y * dpr);
            for (int x = 0; x < img.width(); ++x)
                if ((img.pixel(x, dy) & 0xffffff) == c)
                    return true;
            return false;
        };
        auto on = [&](int x, int y, QRgb c) {
            return (img.pixel(static_cast<int>(x * dpr), static_cast<int>(y * dpr)) & 0xffffff) ==
                   c;
        };
        EXPECT_TRUE(on(2, 3, 0x0000ff)) << dpr;
        for (int x = 2; x < 40; ++x)
            EXPECT_TRUE(inColumn(x, 0x0000ff)) << "column " << x << " dpr " << dpr;
        for (int y = 2; y < 48; ++y)
            EXPECT_TRUE(inRow(y, 0xff0000)) << "row " << y << " dpr " << dpr;
    }
}

TEST(RasterSurface, ResizingKeepsTheImageAndIgnoresEmptySizes)
{
    RasterSurface s;
    s.resize(50, 40);
    s.pset(45, 35, 0x00ff00);
    s.resize(80, 0);
    EXPECT_EQ(s.width(), 80);
    EXPECT_EQ(s.height(), 40);
    EXPECT_EQ(at(s, 45, 35), 0x00ff00u);
    EXPECT_EQ(at(s, 79, 39), 0xffffffu);
}

TEST(RasterSurface, WildCoordinatesAreClippedOrDropped)
{
    RasterSurface s;
    s.resize(100, 60);
    s.line(-1e15, 30, 1e15, 30, 0xff0000);
    EXPECT_EQ(at(s, 50, 30), 0xff0000u);
    EXPECT_EQ(at(s, 0, 30), 0xff0000u);
    const QImage before = s.image().copy();
    s.line(std::numeric_limits<double>::quiet_NaN(), 0, 10, 10, 0);
    s.circle(1e12, 10, 5);
    s.circle(10, 10, 1e300);
    s.pset(-1, 5, 0);
    s.pset(1e18, 5, 0);
    s.text(1e300, 0, QStringLiteral("x"));
    EXPECT_EQ(s.image(), before);
    // A huge box still fills the surface.
    s.fillBox(-1e12, -1e12, 1e12, 1e12, 0x0000ff);
    EXPECT_EQ(countColor(s.image(), 0x0000ff), 100 * 60);
}

TEST(RasterSurface, BoxAndFillIncludeBothCorners)
{
    RasterSurface s;
    s.resize(40, 40);
    s.fillBox(12, 12, 10, 10, 0xff0000);
    EXPECT_EQ(countColor(s.image(), 0xff0000), 9);
    s.clear();
    s.box(10, 10, 20, 15, 0x00ff00);
    EXPECT_EQ(at(s, 10, 10), 0x00ff00u);
    EXPECT_EQ(at(s, 20, 15), 0x00ff00u);
    EXPECT_EQ(at(s, 15, 12), 0xffffffu);
}

TEST(RasterSurface, NopModeDrawsNothing)
{
    RasterSurface s;
    s.resize(30, 30);
    const QImage before = s.image().copy();
    s.setDrawMode(Nop);
    s.line(0, 0, 29, 29, 0);
    s.fillBox(0, 0, 29, 29, 0);
    EXPECT_EQ(s.image(), before);
    s.setDrawMode(999); // unknown modes copy
    EXPECT_EQ(s.drawMode(), CopyPen);
}

TEST(RasterSurface, RepeatedLinesAreRedrawnAfterOtherDrawingAndCancelUnderXor)
{
    RasterSurface s;
    s.resize(60, 60);
    s.line(5, 30, 55, 30, 0xff0000);
    s.fillBox(0, 0, 59, 59, 0x00ff00);
    s.line(5, 30, 55, 30, 0xff0000);
    EXPECT_EQ(at(s, 30, 30), 0xff0000u);
    const QImage before = s.image().copy();
    s.setDrawMode(XorPen);
    s.line(5, 10, 55, 50, 0x0000ff);
    s.line(5, 10, 55, 50, 0x0000ff);
    EXPECT_EQ(s.image(), before);
}
