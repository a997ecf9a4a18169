#include "QtApp.h"
#include "canvas/KurvexControl.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace kurvex;

namespace {

constexpr QRgb kGrey = 0xc0c0c0;
constexpr QRgb kWhite = 0xffffff;

std::unique_ptr<KurvexControl> makeCanvas(int w, int h)
{
    ensureQtApp();
    std::unique_ptr<KurvexControl> c(createControl(QString::fromLatin1(kProgId)));
    if (c)
        c->widget()->resize(w, h);
    return c;
}

QRgb at(KurvexControl &c, int x, int y)
{
    return c.image().pixel(x, y) & 0xffffff;
}

} // namespace

TEST(KurvexFactory, CreatesTheControlByItsIdentifierOnly)
{
    ensureQtApp();
    QWidget host;
    KurvexControl *c = createControl(QStringLiteral("KurvexControl.KurvexCTRL"), &host);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->widget()->parentWidget(), &host);
    EXPECT_EQ(createControl(QStringLiteral("KurvexControl.Other"), &host), nullptr);
    EXPECT_EQ(createControl(QString(), &host), nullptr);
}

TEST(KurvexCTRL, SurfaceFollowsTheControlsSizeAndKeepsItsImage)
{
    auto c = makeCanvas(200, 100);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->image().size(), QSize(200, 100));
    ASSERT_TRUE(c->View(0, 0, 200, 100));
    c->VPset(150, 80, 0xff0000);
    c->widget()->resize(300, 150);
    EXPECT_EQ(c->image().size(), QSize(300, 150));
    EXPECT_EQ(at(*c, 150, 80), 0xff0000u);
}

TEST(KurvexCTRL, MapsWorldCoordinatesToPixels)
{
    auto c = makeCanvas(200, 100);
    ASSERT_TRUE(c->View(0, 1, 10, -1));
    EXPECT_EQ(c->VtoWX(0), 0.f);
    EXPECT_EQ(c->VtoWY(1), 0.f);
    EXPECT_EQ(c->VtoWX(10), 200.f);
    EXPECT_EQ(c->VtoWY(-1), 100.f);
    EXPECT_EQ(c->VtoWX(5), 100.f);
    EXPECT_EQ(c->VtoWY(0), 50.f);
    EXPECT_EQ(c->VtoWX(-0.025), -1.f); // -0.5 pixel
}

TEST(KurvexCTRL, AnEmptyViewIsRefusedAndTheOldMappingStays)
{
    auto c = makeCanvas(200, 100);
    ASSERT_TRUE(c->View(0, 1, 10, -1));
    EXPECT_FALSE(c->View(3, 1, 3, -1));
    EXPECT_FALSE(c->View(0, 2, 10, 2));
    EXPECT_EQ(c->VtoWX(5), 100.f);
    EXPECT_EQ(c->VtoWY(-1), 100.f);
}

TEST(KurvexCTRL, AxisStepsDownAWindowGivenTopDown)
{
    auto c = makeCanvas(200, 100);
    ASSERT_TRUE(c->View(0, 1, 10, -1));
    c->Axis(5, 0.5, QString(), QString());
    // Rows of y = 0.5, -0.5 and -1 exist only if the loop stepped downwards from y = 1.
    for (double y : {0.5, -0.5}) {
        const int row = static_cast<int>(c->VtoWY(y));
        EXPECT_EQ(at(*c, 150, row), kGrey) << "y " << y;
    }
    EXPECT_EQ(at(*c, 150, 50), 0u);     // the x axis
    EXPECT_EQ(at(*c, 150, 40), kWhite); // between grid rows
    // Vertical grid at x = 5 (column 100) above the labels.
    EXPECT_EQ(at(*c, 100, 10), kGrey);
}

TEST(KurvexCTRL, AxisWithAnUnusableStepDrawsOnlyTheAxes)
{
    auto c = makeCanvas(200, 100);
    ASSERT_TRUE(c->View(-1, 1, 1, -1));
    c->Axis(1e-12, 0, QString(), QString());
    const QImage img = c->image();
    int grey = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            grey += (img.pixel(x, y) & 0xffffff) == kGrey;
    EXPECT_EQ(grey, 0);
    EXPECT_EQ(at(*c, 100, 10), 0u);
    EXPECT_EQ(at(*c, 10, 50), 0u);
}

TEST(KurvexCTRL, ExclusiveOrCircleDrawnTwiceLeavesTheImageUnchanged)
{
    auto c = makeCanvas(160, 120);
    ASSERT_TRUE(c->View(-1, 1, 1, -1));
    c->Axis(0.5, 0.5, QStringLiteral("x"), QStringLiteral("y"));
    c->VLine(-1, -1, 1, 1, 0xff0000);
    const QImage before = c->image();
    c->SetDrawMode(kDrawXorPen);
    c->SetForeColor(0x00ff00);
    c->VCircle(0.1, 0.1, 25, 0);
    EXPECT_NE(c->image(), before);
    c->VCircle(0.1, 0.1, 25, 0);
    EXPECT_EQ(c->image(), before);
}

TEST(KurvexCTRL, CircleIgnoresItsColourArgument)
{
    auto c = makeCanvas(100, 100);
    ASSERT_TRUE(c->View(0, 0, 100, 100));
    c->SetForeColor(0x0000ff);
    c->VCircle(50, 50, 10, 0xff0000);
    EXPECT_EQ(at(*c, 60, 50), 0x0000ffu);
    const QImage img = c->image();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_NE(img.pixel(x, y) & 0xffffff, 0xff0000u);
}

TEST(KurvexCTRL, LinesBoxesAndFillsLandOnTheirMappedPixels)
{
    auto c = makeCanvas(100, 100);
    ASSERT_TRUE(c->View(0, 10, 10, 0)); // 10 px per unit, y upwards
    c->VLine(1, 5, 9, 5, 0xff0000);
    EXPECT_EQ(at(*c, 50, 50), 0xff0000u);
    c->VBox(2, 8, 4, 6, 0x00ff00);
    EXPECT_EQ(at(*c, 20, 20), 0x00ff00u);
    EXPECT_EQ(at(*c, 30, 30), 0xffffffu);
    c->VFill(6, 8, 8, 6, 0x0000ff);
    EXPECT_EQ(at(*c, 70, 30), 0x0000ffu);
    c->Cls();
    EXPECT_EQ(at(*c, 70, 30), 0xffffffu);
}

TEST(KurvexCTRL, CopyToClipboardHandsOverTheSurfacesImage)
{
    auto c = makeCanvas(80, 60);
    ASSERT_TRUE(c->View(0, 0, 80, 60));
    c->VFill(10, 10, 20, 20, 0x00ff00);
    QImage copied;
    int calls = 0;
    c->setClipboardSink([&](const QImage &img) {
        copied = img;
        ++calls;
    });
    c->CopyToClipboard();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(copied, c->image());
    EXPECT_EQ(copied.pixel(15, 15) & 0xffffff, 0x00ff00u);
}

TEST(KurvexCTRL, PaintsItsSurfaceOnTheScreen)
{
    auto c = makeCanvas(120, 90);
    ASSERT_TRUE(c->View(0, 0, 120, 90));
    c->SetSize(0, 0, 0, 0);
    c->VFill(30, 20, 60, 50, 0x00ff00);
    c->widget()->show();
    const QImage shown = c->widget()->grab().toImage();
    EXPECT_EQ(shown.pixel(40, 30) & 0xffffff, 0x00ff00u);
    EXPECT_EQ(shown.pixel(100, 80) & 0xffffff, 0xffffffu);
}
