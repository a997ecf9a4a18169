#include "RasterSurface.h"

#include "PlotGeometry.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace kurvex {

namespace {

// Beyond this the rasterizer's fixed-point arithmetic is no longer trustworthy.
constexpr double kSafeCoordinate = 30000.0;

QPainter::CompositionMode compositionFor(int mode)
{
    switch (mode) {
    case Blackness:
        return QPainter::RasterOp_ClearDestination;
    case NotMergePen:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case MaskNotPen:
        return QPainter::RasterOp_NotSourceAndDestination;
    case NotCopyPen:
        return QPainter::RasterOp_NotSource;
    case MaskPenNot:
        return QPainter::RasterOp_SourceAndNotDestination;
    case Invert:
        return QPainter::RasterOp_NotDestination;
    case XorPen:
        return QPainter::RasterOp_SourceXorDestination;
    case NotMaskPen:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case MaskPen:
        return QPainter::RasterOp_SourceAndDestination;
    case NotXorPen:
        return QPainter::RasterOp_NotSourceXorDestination;
    case MergeNotPen:
        return QPainter::RasterOp_NotSourceOrDestination;
    case MergePenNot:
        return QPainter::RasterOp_SourceOrNotDestination;
    case MergePen:
        return QPainter::RasterOp_SourceOrDestination;
    case Whiteness:
        return QPainter::RasterOp_SetDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

Qt::BrushStyle brushFor(int style)
{
    switch (style) {
    case FillSolid:
        return Qt::SolidPattern;
    case FillHorizontalLine:
        return Qt::HorPattern;
    case FillVerticalLine:
        return Qt::VerPattern;
    case FillUpwardDiagonal:
        return Qt::BDiagPattern;
    case FillDownwardDiagonal:
        return Qt::FDiagPattern;
    case FillCross:
        return Qt::CrossPattern;
    case FillDiagonalCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::NoBrush;
    }
}

bool finite(double a, double b)
{
    return std::isfinite(a) && std::isfinite(b);
}

} // namespace

RasterSurface::RasterSurface()
{
    m_font.setPointSizeF(10);
    resize(1, 1, 1.0);
}

RasterSurface::~RasterSurface()
{
    flush();
}

void RasterSurface::resize(int width, int height, qreal devicePixelRatio)
{
    const int w = width > 0 ? width : m_width;
    const int h = height > 0 ? height : m_height;
    const qreal dpr =
        devicePixelRatio > 0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0;
    if (!m_image.isNull() && w == m_width && h == m_height && dpr == m_dpr)
        return;
    flush();
    m_lastLine.valid = false;
    QImage next(static_cast<int>(std::ceil(w * dpr)), static_cast<int>(std::ceil(h * dpr)),
                QImage::Format_RGB32);
    next.setDevicePixelRatio(dpr);
    next.fill(kSurfaceBackground);
    if (!m_image.isNull()) {
        QPainter p(&next);
        p.drawImage(QPointF(0, 0), m_image);
    }
    m_image = std::move(next);
    m_width = w;
    m_height = h;
    m_dpr = dpr;
}

void RasterSurface::clear()
{
    m_lastLine.valid = false;
    flush();
    m_image.fill(kSurfaceBackground);
}

void RasterSurface::setFontSize(double points)
{
    if (!(points > 0) || points > 500)
        return;
    m_font.setPointSizeF(points);
    if (m_painter)
        m_painter->setFont(m_font);
}

QPainter &RasterSurface::painter()
{
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painter->setFont(m_font);
        m_painter->setBrush(Qt::NoBrush);
        m_penWidth = -1;
        m_painterMode = -1;
    }
    return *m_painter;
}

void RasterSurface::flush()
{
    m_painter.reset();
}

void RasterSurface::applyMode(QPainter &p)
{
    if (m_painterMode != m_drawMode) {
        p.setCompositionMode(compositionFor(m_drawMode));
        m_painterMode = m_drawMode;
    }
}

void RasterSurface::usePen(QRgb color)
{
    QPainter &p = painter();
    applyMode(p);
    color |= 0xff000000;
    if (m_penWidth != m_drawWidth || m_penColor != color) {
        QPen pen{QColor::fromRgb(color)};
        pen.setWidth(m_drawWidth);
        // One-pixel lines leave out their end point, so a joined curve sets each pixel once;
        // wide pens get round ends.
        pen.setCapStyle(m_drawWidth > 1 ? Qt::RoundCap : Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        m_penWidth = m_drawWidth;
        m_penColor = color;
    }
}

void RasterSurface::line(double x1, double y1, double x2, double y2, QRgb color)
{
    if (m_drawMode == Nop)
        return;
    if (!finite(x1, y1) || !finite(x2, y2))
        return;
    if (std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)}) > kSafeCoordinate) {
        const double m = m_drawWidth + 2;
        if (!clipSegment(x1, y1, x2, y2, -m, -m, m_width + m, m_height + m))
            return;
    }
    const bool idempotent = m_drawMode == CopyPen || m_drawMode == NotCopyPen ||
                            m_drawMode == MergePen || m_drawMode == MaskPen ||
                            m_drawMode == MaskNotPen || m_drawMode == MergeNotPen ||
                            m_drawMode == Blackness || m_drawMode == Whiteness;
    if (idempotent && m_lastLine.valid && m_lastLine.x1 == x1 && m_lastLine.y1 == y1 &&
        m_lastLine.x2 == x2 && m_lastLine.y2 == y2 && m_lastLine.color == color &&
        m_lastLine.width == m_drawWidth && m_lastLine.mode == m_drawMode)
        return;
    m_lastLine = {x1, y1, x2, y2, color, m_drawWidth, m_drawMode, true};
    usePen(color);
    if (x1 == x2 && y1 == y2) {
        // A line of no length still marks its pixel, as a one-point curve should show.
        painter().fillRect(QRectF(x1, y1, 1, 1), QColor::fromRgb(color));
        return;
    }
    painter().drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void RasterSurface::pset(double x, double y, QRgb color)
{
    m_lastLine.valid = false;
    if (m_drawMode == Nop || !finite(x, y))
        return;
    x = std::floor(x);
    y = std::floor(y);
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    QPainter &p = painter();
    applyMode(p);
    p.fillRect(QRectF(x, y, 1, 1), QColor::fromRgb(color | 0xff000000));
}

void RasterSurface::circle(double cx, double cy, double radius)
{
    m_lastLine.valid = false;
    if (m_drawMode == Nop || !finite(cx, cy) || !std::isfinite(radius))
        return;
    radius = std::fabs(radius);
    if (std::fabs(cx) > kSafeCoordinate || std::fabs(cy) > kSafeCoordinate ||
        radius > kSafeCoordinate)
        return;
    usePen(m_foreColor);
    QPainter &p = painter();
    const Qt::BrushStyle style = brushFor(m_fillStyle);
    if (style != Qt::NoBrush)
        p.setBrush(QBrush(QColor::fromRgb(m_fillColor | 0xff000000), style));
    p.drawEllipse(QPointF(cx, cy), radius, radius);
    if (style != Qt::NoBrush)
        p.setBrush(Qt::NoBrush);
}

void RasterSurface::box(double x1, double y1, double x2, double y2, QRgb color)
{
    m_lastLine.valid = false;
    if (m_drawMode == Nop || !finite(x1, y1) || !finite(x2, y2))
        return;
    const double m = m_drawWidth + 2;
    if (std::max(x1, x2) < -m || std::max(y1, y2) < -m || std::min(x1, x2) > m_width + m ||
        std::min(y1, y2) > m_height + m)
        return;
    auto clampX = [&](double v) { return std::clamp(v, -m, m_width + m); };
    auto clampY = [&](double v) { return std::clamp(v, -m, m_height + m); };
    usePen(color);
    painter().drawRect(
        QRectF(QPointF(clampX(x1), clampY(y1)), QPointF(clampX(x2), clampY(y2))).normalized());
}

void RasterSurface::fillBox(double x1, double y1, double x2, double y2, QRgb color)
{
    m_lastLine.valid = false;
    if (m_drawMode == Nop || !finite(x1, y1) || !finite(x2, y2))
        return;
    const double l = std::max(std::floor(std::min(x1, x2)), -1.0);
    const double t = std::max(std::floor(std::min(y1, y2)), -1.0);
    const double r = std::min(std::floor(std::max(x1, x2)), static_cast<double>(m_width));
    const double b = std::min(std::floor(std::max(y1, y2)), static_cast<double>(m_height));
    if (r < l || b < t)
        return;
    QPainter &p = painter();
    applyMode(p);
    // Both corners are inside the filled area.
    p.fillRect(QRectF(l, t, r - l + 1, b - t + 1), QColor::fromRgb(color | 0xff000000));
}

void RasterSurface::text(double left, double top, const QString &s)
{
    m_lastLine.valid = false;
    if (s.isEmpty() || !finite(left, top))
        return;
    if (std::fabs(left) > kSafeCoordinate || std::fabs(top) > kSafeCoordinate)
        return;
    QPainter &p = painter();
    // Text is never combined with the screen; it is simply printed.
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painterMode = -1;
    p.setPen(QColor::fromRgb(m_foreColor | 0xff000000));
    m_penWidth = -1;
    const QFontMetrics fm(m_font, &m_image);
    p.drawText(QPointF(left, top + fm.ascent()), s);
}

int RasterSurface::textWidth(const QString &s) const
{
    return QFontMetrics(m_font, &m_image).horizontalAdvance(s);
}

int RasterSurface::textHeight() const
{
    return QFontMetrics(m_font, &m_image).height();
}

const QImage &RasterSurface::image()
{
    flush();
    return m_image;
}

} // namespace kurvex
