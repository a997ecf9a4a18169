#include "canvas/PlotView.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kurvex;

namespace {

// A surface of 200 x 100 pixels showing x 0..10 and y 1..-1 (20 pixels a unit across, 50 down).
constexpr double kW = 200, kH = 100;
const WorldRect kProgram{0, 1, 10, -1};

enum class Op { Wheel, ShiftWheel, CtrlWheel, Rect, Pan, Home, NewProgramView, LogOn, LogOff };

struct Move {
    Op op;
    double a = 0, b = 0, c = 0, d = 0;
};

struct Case {
    std::string name;
    std::vector<Move> moves;
    WorldRect shown;
    bool zoomed;
};

void apply(ViewState &v, const Move &m)
{
    switch (m.op) {
    case Op::Wheel:
        v.wheel(m.a, m.b, m.c, ZoomAxes::Both, kW, kH);
        break;
    case Op::ShiftWheel:
        v.wheel(m.a, m.b, m.c, ZoomAxes::XOnly, kW, kH);
        break;
    case Op::CtrlWheel:
        v.wheel(m.a, m.b, m.c, ZoomAxes::YOnly, kW, kH);
        break;
    case Op::Rect:
        v.zoomRect(QRectF(QPointF(m.a, m.b), QPointF(m.c, m.d)), kW, kH);
        break;
    case Op::Pan:
        v.pan(m.a, m.b, kW, kH);
        break;
    case Op::Home:
        v.home();
        break;
    case Op::NewProgramView:
        v.setProgramView({m.a, m.b, m.c, m.d});
        break;
    case Op::LogOn:
        v.setLogDecades(-3, -7);
        v.setLogY(true);
        break;
    case Op::LogOff:
        v.setLogY(false);
        break;
    }
}

} // namespace

TEST(ViewState, OperatorMovesChangeTheViewShown)
{
    const double f = ViewState::kWheelFactor;
    const std::vector<Case> cases = {
        {"nothing done shows the program's view", {}, kProgram, false},
        {"a notch in about the centre",
         {{Op::Wheel, 100, 50, 1}},
         {5 - 5 * f, f, 5 + 5 * f, -f},
         true},
        {"a notch in about the left edge keeps it",
         {{Op::Wheel, 0, 50, 1}},
         {0, f, 10 * f, -f},
         true},
        {"Shift zooms x only", {{Op::ShiftWheel, 100, 50, 1}}, {5 - 5 * f, 1, 5 + 5 * f, -1}, true},
        {"Ctrl zooms y only", {{Op::CtrlWheel, 100, 50, 1}}, {0, f, 10, -f}, true},
        {"a notch in and out again",
         {{Op::Wheel, 100, 50, 1}, {Op::Wheel, 100, 50, -1}},
         kProgram,
         true},
        {"a dragged rectangle", {{Op::Rect, 50, 25, 150, 75}}, {2.5, 0.5, 7.5, -0.5}, true},
        {"a rectangle dragged backwards",
         {{Op::Rect, 150, 75, 50, 25}},
         {2.5, 0.5, 7.5, -0.5},
         true},
        {"a click is no rectangle", {{Op::Rect, 50, 25, 52, 27}}, kProgram, false},
        {"panning follows the pointer", {{Op::Pan, 20, -50}}, {-1, 0, 9, -2}, true},
        {"home returns to the program", {{Op::Rect, 50, 25, 150, 75}, {Op::Home}}, kProgram, false},
        {"a new program view while zoomed is not followed",
         {{Op::Rect, 50, 25, 150, 75}, {Op::NewProgramView, 0, 2, 20, -2}},
         {2.5, 0.5, 7.5, -0.5},
         true},
        {"home then shows the newest program view",
         {{Op::Rect, 50, 25, 150, 75}, {Op::NewProgramView, 0, 2, 20, -2}, {Op::Home}},
         {0, 2, 20, -2},
         false},
        {"a new program view is followed when not zoomed",
         {{Op::NewProgramView, 0, 2, 20, -2}},
         {0, 2, 20, -2},
         false},
        {"decades replace y", {{Op::LogOn}}, {0, -3, 10, -7}, false},
        {"zooming on decades",
         {{Op::LogOn}, {Op::CtrlWheel, 100, 50, 1}},
         {0, -5 + 2 * f, 10, -5 - 2 * f},
         true},
        {"switching the scale drops the operator's view",
         {{Op::LogOn}, {Op::Wheel, 100, 50, 1}, {Op::LogOff}},
         kProgram,
         false},
    };
    for (const Case &c : cases) {
        ViewState v;
        v.setProgramView(kProgram);
        for (const Move &m : c.moves)
            apply(v, m);
        const WorldRect s = v.shown();
        EXPECT_NEAR(s.x1, c.shown.x1, 1e-12) << c.name;
        EXPECT_NEAR(s.y1, c.shown.y1, 1e-12) << c.name;
        EXPECT_NEAR(s.x2, c.shown.x2, 1e-12) << c.name;
        EXPECT_NEAR(s.y2, c.shown.y2, 1e-12) << c.name;
        EXPECT_EQ(v.zoomed(), c.zoomed) << c.name;
        EXPECT_EQ(v.following(), !c.zoomed) << c.name;
    }
}

TEST(ViewState, RefusesAViewTooFineToMap)
{
    ViewState v;
    v.setProgramView(kProgram);
    for (int i = 0; i < 400; ++i)
        v.wheel(100, 50, 1, ZoomAxes::Both, kW, kH);
    const WorldRect s = v.shown();
    EXPECT_TRUE(s.usable());
    EXPECT_GT(s.x2 - s.x1, 0);
}

TEST(DecadeScale, WindowAndLabelsFollowTheData)
{
    const auto d = decadeWindow(2e-9, 3e-4);
    EXPECT_GT(d.first, -3.5);
    EXPECT_LE(d.first, -3 + 0.5);
    EXPECT_GE(d.first, -3);
    EXPECT_LE(d.second, -9);
    EXPECT_GT(d.second, -9.5);
    EXPECT_EQ(decadeText(-6), QStringLiteral("1e-6"));
    EXPECT_EQ(decadeText(0), QStringLiteral("1e0"));
    EXPECT_EQ(decadeStep(0, -6, 300), 1);
    EXPECT_GT(decadeStep(0, -60, 300), 1);
}
