#include "PlotGeometry.h"

#include <algorithm>
#include <cmath>

namespace kurvex {

std::optional<WorldMapping> WorldMapping::fromView(double x1, double y1, double x2, double y2,
                                                   double width, double height)
{
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return std::nullopt;
    if (x1 == x2 || y1 == y2)
        return std::nullopt;
    WorldMapping m;
    m.x1 = x1;
    m.y1 = y1;
    m.x2 = x2;
    m.y2 = y2;
    m.sx = width / (x2 - x1);
    m.sy = height / (y2 - y1);
    if (!std::isfinite(m.sx) || !std::isfinite(m.sy))
        return std::nullopt;
    m.ox = -x1 * m.sx;
    m.oy = -y1 * m.sy;
    return m;
}

double floorInt(double v)
{
    return std::floor(v);
}

double WorldMapping::pixelX(double x) const
{
    return std::floor(mapX(x));
}
double WorldMapping::pixelY(double y) const
{
    return std::floor(mapY(y));
}

double firstTick(double start, double step)
{
    return std::floor(start / step) * step;
}

int tickCount(double first, double last, double step, int maxTicks)
{
    if (!std::isfinite(first) || !std::isfinite(last) || !std::isfinite(step) || step == 0)
        return 0;
    const double span = (last - first) / step;
    if (!std::isfinite(span) || span < 0)
        return 0;
    if (span >= maxTicks)
        return 0;
    int n = static_cast<int>(std::floor(span)) + 1;
    // The product first + i*step can land a hair beyond last where the quotient said it would not.
    while (n > 0 && (step > 0 ? first + (n - 1) * step > last : first + (n - 1) * step < last))
        --n;
    return n;
}

double snapTickToZero(double value, double step)
{
    if (std::fabs(value) < 1e-15 || std::fabs(value) < std::fabs(step) * 1e-9)
        return 0.0;
    return value;
}

bool clipSegment(double &x1, double &y1, double &x2, double &y2, double left, double top,
                 double right, double bottom)
{
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return false;
    // Liang-Barsky.
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - left, right - x1, y1 - top, bottom - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
    }
    const double ax = x1, ay = y1;
    if (t1 < 1) {
        x2 = ax + t1 * dx;
        y2 = ay + t1 * dy;
    }
    if (t0 > 0) {
        x1 = ax + t0 * dx;
        y1 = ay + t0 * dy;
    }
    return true;
}

QPoint yTitlePosition(double axisColumn, int titleWidth, int surfaceWidth)
{
    return QPoint(clampInside(axisColumn + 4, titleWidth, surfaceWidth), 2);
}

int clampInside(double position, int extent, int limit)
{
    if (!std::isfinite(position))
        return 0;
    const double hi = std::max(0, limit - extent - 2);
    return static_cast<int>(std::clamp(position, std::min(2.0, hi), hi));
}

QRectF keepInside(const QRectF &r, double width, double height)
{
    QRectF k = r;
    if (k.right() > width)
        k.moveRight(width);
    if (k.bottom() > height)
        k.moveBottom(height);
    if (k.left() < 0)
        k.moveLeft(0);
    if (k.top() < 0)
        k.moveTop(0);
    return k;
}

bool LabelPlacer::place(const QRectF &r)
{
    for (const QRectF &p : m_placed)
        if (p.intersects(r))
            return false;
    m_placed.push_back(r);
    return true;
}

double viewTickStep(double a, double b, double pixels, double pixelsPerTick)
{
    const double span = std::fabs(b - a);
    const double ticks = std::max(1.0, pixels / pixelsPerTick);
    const double raw = span / ticks;
    if (!(raw > 0) || !std::isfinite(raw))
        return 0;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    const double r = raw / p;
    return (r <= 1 ? 1 : r <= 2 ? 2 : r <= 5 ? 5 : 10) * p;
}

} // namespace kurvex
