#pragma once

#include <QRect>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

// Pure geometry of the plot canvas and the graph window: world-to-pixel mapping, tick positions
// and label placement. Nothing here touches a display.
namespace kurvex {

// The world window and its mapping to pixels: pixel = s * world + o.
struct WorldMapping {
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
    double sx = 1, sy = 1, ox = 0, oy = 0;

    // The mapping of (x1, y1) to the top-left pixel and (x2, y2) to (width, height); nothing when
    // the window is empty or not finite, so a caller can keep its previous mapping.
    static std::optional<WorldMapping> fromView(double x1, double y1, double x2, double y2,
                                                double width, double height);

    // Unrounded pixel coordinates.
    double mapX(double x) const { return sx * x + ox; }
    double mapY(double y) const { return sy * y + oy; }
    // The largest integer not above the mapped value.
    double pixelX(double x) const;
    double pixelY(double y) const;
};

// First tick of an axis: Int(start / step) * step.
double firstTick(double start, double step);

// Ticks of a counted loop from first to last by step (inclusive, in the direction of step):
// value i is first + i * step. Zero when the step is zero or not finite, when the loop would run
// away from last, or when more than maxTicks values would result (a hopelessly fine grid is
// dropped rather than drawn line by line).
int tickCount(double first, double last, double step, int maxTicks);
inline constexpr int kMaxTicks = 10000;

// A tick value that is only rounding noise of a zero crossing reads as exactly 0.
double snapTickToZero(double value, double step);

// Clips the segment to the rectangle (inclusive bounds); false when nothing of it lies inside.
bool clipSegment(double &x1, double &y1, double &x2, double &y2, double left, double top,
                 double right, double bottom);

// Left edge of a label of n characters centred on a column, at the given pixels per character.
inline double centredLabelLeft(double column, int n, int pixelsPerChar = 4)
{
    return column - pixelsPerChar * n;
}

// Left edge of a label right-aligned against the y axis column; a y axis at the left edge keeps
// its labels on the surface instead of cutting them off.
inline double rightAlignedLabelLeft(double axisColumn, int n, int pixelsPerChar)
{
    const double left = axisColumn - pixelsPerChar * n;
    return left < 0 ? 0 : left;
}

// Where the y-axis title goes: beside the top of the y axis, kept inside the surface.
QPoint yTitlePosition(double axisColumn, int titleWidth, int surfaceWidth);

// A left/top coordinate clamped so that an item of the given extent stays inside [0, limit).
int clampInside(double position, int extent, int limit);

// A rectangle moved as little as possible to lie inside a width x height surface (its left and
// top edges win when it is larger than the surface).
QRectF keepInside(const QRectF &r, double width, double height);

// Tick labels placed one after another: a label that would overlap one already placed is left
// out, so labels never collide, however fine the grid or long the numbers.
class LabelPlacer {
public:
    bool place(const QRectF &r);

private:
    std::vector<QRectF> m_placed;
};

// The tick step of a view the operator chose: 1, 2 or 5 times a power of ten that gives about one
// tick per pixelsPerTick pixels along an axis of the given pixel length.
double viewTickStep(double a, double b, double pixels, double pixelsPerTick = 90);

} // namespace kurvex
