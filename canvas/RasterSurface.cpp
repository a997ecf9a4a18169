#include "RasterSurface.h"

#include "PlotGeometry.h"

#include <QFontMetrics>
#include <QGuiApplication>
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

// Fonts need a GUI application; without one (logic run from a plain test or tool) text is left
// out and measured at 8 pixels a character.
bool fontsAvailable()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
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
    discardBatch();
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
    drawBatch();
    m_painter.reset();
}

void RasterSurface::discardBatch()
{
    m_batch.lines.clear();
    m_batch.dots.clear();
    m_batch.hasLast = false;
}

void RasterSurface::drawBatch()
{
    if (m_batch.lines.empty() && m_batch.dots.empty()) {
        m_batch.hasLast = false;
        return;
    }
    const int scale = static_cast<int>(m_dpr);
    if (m_batch.mode == CopyPen && m_batch.width == 1 && scale == m_dpr && scale <= 4) {
        copyBatchDirect(scale);
        discardBatch();
        return;
    }
    const int mode = m_drawMode, width = m_drawWidth;
    m_drawMode = m_batch.mode;
    m_drawWidth = m_batch.width;
    usePen(m_batch.color);
    QPainter &p = painter();
    if (!m_batch.lines.empty())
        p.drawLines(m_batch.lines.data(), static_cast<int>(m_batch.lines.size()));
    // A line of no length still marks its pixel, as a one-point curve should show.
    const QColor c = QColor::fromRgb(m_batch.color | 0xff000000);
    for (const QPointF &d : m_batch.dots)
        p.fillRect(QRectF(d.x(), d.y(), 1, 1), c);
    m_drawMode = mode;
    m_drawWidth = width;
    discardBatch();
}

// Thin opaque lines are the bulk of every curve; they are set straight into the image in device
// pixels, one logical pixel thick, leaving out the end point as the painter's flat-capped lines
// do.
void RasterSurface::copyBatchDirect(int scale)
{
    m_painter.reset();
    const QRgb c = m_batch.color | 0xff000000;
    const long w = static_cast<long>(m_image.width()), h = static_cast<long>(m_image.height());
    uchar *bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    auto set = [&](long x, long y) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            reinterpret_cast<QRgb *>(bits + y * stride)[x] = c;
    };
    auto device = [&](double v) { return static_cast<long>(std::floor(v * scale)); };
    for (const QLineF &l : m_batch.lines) {
        long x = device(l.x1()), y = device(l.y1());
        const long x2 = device(l.x2()), y2 = device(l.y2());
        const long dx = std::labs(x2 - x), dy = -std::labs(y2 - y);
        const long sx = x < x2 ? 1 : -1, sy = y < y2 ? 1 : -1;
        // The line's thickness runs across its main direction.
        const bool xMajor = dx >= -dy;
        long err = dx + dy;
        while (x != x2 || y != y2) {
            for (int k = 0; k < scale; ++k)
                xMajor ? set(x, y + k) : set(x + k, y);
            const long e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }
    for (const QPointF &d : m_batch.dots) {
        const long x = device(d.x()), y = device(d.y());
        for (int j = 0; j < scale; ++j)
            for (int k = 0; k < scale; ++k)
                set(x + k, y + j);
    }
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
    x1 = snap(x1);
    y1 = snap(y1);
    x2 = snap(x2);
    y2 = snap(y2);
    const bool idempotent = m_drawMode == CopyPen || m_drawMode == NotCopyPen ||
                            m_drawMode == MergePen || m_drawMode == MaskPen ||
                            m_drawMode == MaskNotPen || m_drawMode == MergeNotPen ||
                            m_drawMode == Blackness || m_drawMode == Whiteness;
    const QLineF l(x1, y1, x2, y2);
    if (!idempotent) {
        drawBatch();
        usePen(color);
        if (x1 == x2 && y1 == y2)
            painter().fillRect(QRectF(x1, y1, 1, 1), QColor::fromRgb(color | 0xff000000));
        else
            painter().drawLine(l);
        return;
    }
    color |= 0xff000000;
    LineBatch &b = m_batch;
    if (b.color != color || b.width != m_drawWidth || b.mode != m_drawMode) {
        drawBatch();
        b.color = color;
        b.width = m_drawWidth;
        b.mode = m_drawMode;
    }
    if (b.hasLast && b.last == l)
        return;
    b.last = l;
    b.hasLast = true;
    if (x1 == x2 && y1 == y2)
        b.dots.emplace_back(x1, y1);
    else
        b.lines.push_back(l);
    if (b.lines.size() + b.dots.size() >= 4096)
        drawBatch();
}

void RasterSurface::pset(double x, double y, QRgb color)
{
    drawBatch();
    if (m_drawMode == Nop || !finite(x, y))
        return;
    x = snap(x);
    y = snap(y);
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    QPainter &p = painter();
    applyMode(p);
    p.fillRect(QRectF(x, y, 1, 1), QColor::fromRgb(color | 0xff000000));
}

void RasterSurface::circle(double cx, double cy, double radius)
{
    drawBatch();
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
    p.drawEllipse(QPointF(snap(cx), snap(cy)), radius, radius);
    if (style != Qt::NoBrush)
        p.setBrush(Qt::NoBrush);
}

void RasterSurface::box(double x1, double y1, double x2, double y2, QRgb color)
{
    drawBatch();
    if (m_drawMode == Nop || !finite(x1, y1) || !finite(x2, y2))
        return;
    const double m = m_drawWidth + 2;
    if (std::max(x1, x2) < -m || std::max(y1, y2) < -m || std::min(x1, x2) > m_width + m ||
        std::min(y1, y2) > m_height + m)
        return;
    auto clampX = [&](double v) { return snap(std::clamp(v, -m, m_width + m)); };
    auto clampY = [&](double v) { return snap(std::clamp(v, -m, m_height + m)); };
    usePen(color);
    painter().drawRect(
        QRectF(QPointF(clampX(x1), clampY(y1)), QPointF(clampX(x2), clampY(y2))).normalized());
}

void RasterSurface::fillBox(double x1, double y1, double x2, double y2, QRgb color)
{
    drawBatch();
    if (m_drawMode == Nop || !finite(x1, y1) || !finite(x2, y2))
        return;
    const double l = std::max(snap(std::min(x1, x2)), -1.0);
    const double t = std::max(snap(std::min(y1, y2)), -1.0);
    const double r = std::min(snap(std::max(x1, x2)), static_cast<double>(m_width));
    const double b = std::min(snap(std::max(y1, y2)), static_cast<double>(m_height));
    if (r < l || b < t)
        return;
    QPainter &p = painter();
    applyMode(p);
    // Both corners are inside the filled area.
    p.fillRect(QRectF(l, t, r - l + 1, b - t + 1), QColor::fromRgb(color | 0xff000000));
}

void RasterSurface::text(double left, double top, const QString &s)
{
    drawBatch();
    if (s.isEmpty() || !finite(left, top) || !fontsAvailable())
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
    if (!fontsAvailable())
        return 8 * static_cast<int>(s.size());
    return QFontMetrics(m_font, &m_image).horizontalAdvance(s);
}

int RasterSurface::textHeight() const
{
    if (!fontsAvailable())
        return 16;
    return QFontMetrics(m_font, &m_image).height();
}

const QImage &RasterSurface::image()
{
    flush();
    return m_image;
}

} // namespace kurvex
