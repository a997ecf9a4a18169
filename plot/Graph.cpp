#include "Graph.h"

#include "Palette.h"
#include "core/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {

constexpr QRgb kBlack = 0xff000000;

QString formatLabel(double v, const std::string &pattern)
{
    return pattern.empty() ? formatGeneral(v) : formatPattern(v, pattern);
}

std::int16_t clamp16(int v)
{
    return static_cast<std::int16_t>(std::clamp(v, -32768, 32767));
}

bool withinGuard(double v)
{
    return v >= -Graph::kLineGuard && v <= Graph::kLineGuard;
}

} // namespace

DecadeLabel decadeLabel(double y, double axisColumn, double row, int baseTextWidth)
{
    DecadeLabel l;
    const int n = static_cast<int>(formatPattern(y, "#.#e+#").size());
    l.baseTop = row;
    if (y == 0) {
        l.base = QStringLiteral("1");
        l.baseLeft = axisColumn - 4.0 * n;
        return l;
    }
    l.base = QStringLiteral("10");
    l.exponent = formatPattern(y, "#");
    l.baseLeft = axisColumn - 4.0 * n - 2.0 * l.exponent.size();
    l.exponentLeft = l.baseLeft + baseTextWidth;
    l.exponentTop = row - 8;
    return l;
}

Graph::Graph(Clipboard &clipboard, QObject *parent) : QObject(parent), m_clipboard(clipboard)
{
    resizeSurfaceToWindow(1.0);
}

void Graph::resizeSurfaceToWindow(qreal devicePixelRatio)
{
    m_surface.resize(std::max(1, m_width / kTwipsPerPixel),
                     std::max(1, (m_height - kCaptionRoom) / kTwipsPerPixel), devicePixelRatio);
}

void Graph::SetSize(int pTop, int pLeft, int pWidth, int pHeight)
{
    m_top = pTop;
    m_left = pLeft;
    m_width = std::max(pWidth, 0);
    m_height = std::max(pHeight, 0) + kCaptionRoom;
    m_autoRedraw = true;
    resizeSurfaceToWindow(m_surface.devicePixelRatio());
    emit geometryChanged();
    changed();
}

void Graph::SetPosition(int top, int left)
{
    m_top = top;
    m_left = left;
    emit geometryChanged();
}

void Graph::SetTitle(const QString &text)
{
    m_title = text;
    emit titleChanged();
}

void Graph::SetXFormat(const QString &pattern)
{
    m_xFormat = pattern.toStdString();
}

void Graph::SetYFormat(const QString &pattern)
{
    m_yFormat = pattern.toStdString();
}

void Graph::SetAutoRedraw(bool flag)
{
    m_autoRedraw = flag;
}

void Graph::CurPrn(double x, double y, double fontSize, const QString &text)
{
    m_surface.setFontSize(fontSize);
    m_surface.text(x, y, text);
    changed();
}

bool Graph::View(double x1, double y1, double x2, double y2)
{
    const auto m =
        kurvex::WorldMapping::fromView(x1, y1, x2, y2, m_surface.width(), m_surface.height());
    if (!m)
        return false;
    m_mapping = *m;
    return true;
}

double Graph::clampPixel(double c) const
{
    return std::floor(std::clamp(c, -kPixelClamp, kPixelClamp));
}

// The clamped position before rounding: the surface places it to its own device pixels.
double Graph::surfaceX(double x) const
{
    return std::clamp(m_mapping.mapX(x), -kPixelClamp, kPixelClamp);
}
double Graph::surfaceY(double y) const
{
    return std::clamp(m_mapping.mapY(y), -kPixelClamp, kPixelClamp);
}

double Graph::VtoWX(double x) const
{
    return clampPixel(m_mapping.mapX(x));
}

double Graph::VtoWY(double y) const
{
    return clampPixel(m_mapping.mapY(y));
}

void Graph::Axis(double xStep, double yStep, int islog, const QString &xlabel)
{
    m_surface.clear();
    const double w = m_surface.width(), h = m_surface.height();
    const kurvex::WorldMapping &m = m_mapping;
    double dx = xStep, dy = yStep;
    const double xs = kurvex::firstTick(m.x1, dx);
    const double ys = kurvex::firstTick(m.y1, dy);
    m_surface.setFontSize(kGraphLabelFontSize);
    m_surface.setForeColor(kBlack);
    const QRgb grey = paletteColor(kLightGrey);
    const double axisRow = VtoWY(0);
    const double axisColumn = VtoWX(0);

    if (dx > 0 && xs > m.x2)
        dx = -dx;
    const int nx = kurvex::tickCount(xs, m.x2, dx, kurvex::kMaxTicks);
    for (int i = 0; i < nx; ++i) {
        const double x = kurvex::snapTickToZero(xs + i * dx, dx);
        const double column = VtoWX(x);
        m_surface.line(column, 0, column, h, grey);
        const int n = static_cast<int>(formatGeneralSigned(x).size());
        m_surface.text(kurvex::centredLabelLeft(column, n), axisRow + 2, formatLabel(x, m_xFormat));
    }

    if (dy > 0 && ys > m.y2)
        dy = -dy;
    const int ny = kurvex::tickCount(ys, m.y2, dy, kurvex::kMaxTicks);
    const int baseWidth = m_surface.textWidth(QStringLiteral("10"));
    for (int i = 0; i < ny; ++i) {
        const double y = kurvex::snapTickToZero(ys + i * dy, dy);
        const double row = VtoWY(y);
        m_surface.line(0, row, w, row, grey);
        if (islog == 1) {
            const DecadeLabel l = decadeLabel(y, axisColumn, row, baseWidth);
            m_surface.text(l.baseLeft, l.baseTop, l.base);
            m_surface.text(l.exponentLeft, l.exponentTop, l.exponent);
        } else {
            const QString label = formatLabel(y, m_yFormat);
            m_surface.text(
                kurvex::rightAlignedLabelLeft(axisColumn, static_cast<int>(label.size()), 6), row,
                label);
        }
    }

    m_surface.line(0, axisRow, w, axisRow, kBlack);
    m_surface.line(axisColumn, 0, axisColumn, h, kBlack);

    // The title sits 24 pixels below the x axis, or below the window's lower edge when the axis is
    // outside; it is centred and kept on the surface so it can always be read.
    const double referenceRow = m.y1 * m.y2 >= 0 ? VtoWY(m.y2) : axisRow;
    const int titleWidth = m_surface.textWidth(xlabel);
    const int titleHeight = m_surface.textHeight();
    m_surface.text(kurvex::clampInside((w - titleWidth) / 2, titleWidth, static_cast<int>(w)),
                   kurvex::clampInside(referenceRow + 24, titleHeight, static_cast<int>(h)),
                   xlabel);
    changed();
}

void Graph::VLine(double x1, double y1, double x2, double y2, QRgb color)
{
    // A line with any end this far off is dropped, not clipped.
    if (!withinGuard(VtoWX(x1)) || !withinGuard(VtoWY(y1)) || !withinGuard(VtoWX(x2)) ||
        !withinGuard(VtoWY(y2)))
        return;
    m_surface.line(surfaceX(x1), surfaceY(y1), surfaceX(x2), surfaceY(y2), color);
    changed();
}

void Graph::VPset(double x, double y, QRgb color)
{
    m_surface.pset(surfaceX(x), surfaceY(y), color);
    changed();
}

void Graph::VCircle(double x, double y, double r, QRgb color)
{
    m_surface.setForeColor(color);
    m_surface.setFillColor(color);
    m_surface.setFillStyle(kurvex::FillSolid);
    m_surface.circle(surfaceX(x), surfaceY(y), r);
    changed();
}

void Graph::VBox(double x1, double y1, double x2, double y2, QRgb color)
{
    m_surface.box(surfaceX(x1), surfaceY(y1), surfaceX(x2), surfaceY(y2), color);
    changed();
}

void Graph::VFill(double x1, double y1, double x2, double y2, QRgb color)
{
    m_surface.fillBox(surfaceX(x1), surfaceY(y1), surfaceX(x2), surfaceY(y2), color);
    changed();
}

Graph::Position Graph::getPosition() const
{
    return {clamp16(m_top), clamp16(m_left)};
}

Graph::Size Graph::getSize() const
{
    return {clamp16(m_width), clamp16(m_height - kCaptionRoom)};
}

void Graph::CopyToClipboard()
{
    m_clipboard.clear();
    m_clipboard.setImage(m_surface.image());
}

void Graph::Cls()
{
    m_surface.clear();
    changed();
}

void Graph::Show()
{
    if (!m_visible) {
        m_visible = true;
        emit visibilityRequested(true);
    }
}

void Graph::Hide()
{
    if (m_visible) {
        m_visible = false;
        emit visibilityRequested(false);
    }
}

void Graph::windowMoved(int topPixels, int leftPixels)
{
    m_top = topPixels * kTwipsPerPixel;
    m_left = leftPixels * kTwipsPerPixel;
}

void Graph::windowResized(int widthPixels, int heightPixels, qreal devicePixelRatio)
{
    if (widthPixels <= 0 || heightPixels <= 0)
        return;
    // A size the window merely confirms keeps the units it was set in.
    if (widthPixels != m_width / kTwipsPerPixel)
        m_width = widthPixels * kTwipsPerPixel;
    if (heightPixels != (m_height - kCaptionRoom) / kTwipsPerPixel)
        m_height = heightPixels * kTwipsPerPixel + kCaptionRoom;
    resizeSurfaceToWindow(devicePixelRatio);
    changed();
}

void Graph::windowVisibilityChanged(bool visible)
{
    m_visible = visible;
}

} // namespace tervo
