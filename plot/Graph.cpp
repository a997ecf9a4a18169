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

void Graph::changed()
{
    // On a decade scale the decades follow the data, found once drawing has paused.
    if (m_view.logY() && !m_view.zoomed())
        m_stale = true;
    emit imageChanged();
}

const QImage &Graph::image()
{
    if (m_stale)
        rerender();
    return m_surface.image();
}

void Graph::CurPrn(double x, double y, double fontSize, const QString &text)
{
    m_scene.addText(x, y, fontSize, text, m_surface.foreColor());
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
    m_view.setProgramView({x1, y1, x2, y2});
    updateDrawMapping();
    return true;
}

void Graph::updateDrawMapping()
{
    if (direct()) {
        m_draw = m_mapping;
        return;
    }
    const kurvex::WorldRect r = m_view.shown();
    if (const auto m = kurvex::WorldMapping::fromView(r.x1, r.y1, r.x2, r.y2, m_surface.width(),
                                                      m_surface.height()))
        m_draw = *m;
}

kurvex::WorldRect Graph::shownView() const
{
    return direct() ? m_view.programView() : m_view.shown();
}

double Graph::clampPixel(double c) const
{
    return std::floor(std::clamp(c, -kPixelClamp, kPixelClamp));
}

// The clamped position before rounding: the surface places it to its own device pixels.
double Graph::surfaceX(double x) const
{
    return std::clamp(m_draw.mapX(x), -kPixelClamp, kPixelClamp);
}
double Graph::surfaceY(double y) const
{
    return std::clamp(m_draw.mapY(drawY(y)), -kPixelClamp, kPixelClamp);
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
    m_scene.clear();
    m_scene.setAxes({xStep, yStep, islog, xlabel, m_nextYTitle, m_xFormat, m_yFormat});
    m_nextYTitle.clear();
    if (direct()) {
        m_surface.clear();
        drawAxes(m_mapping, xStep, yStep, islog, xlabel, m_scene.axes()->yTitle);
        changed();
        return;
    }
    rerender();
}

void Graph::drawAxes(const kurvex::WorldMapping &m, double xStep, double yStep, int islog,
                     const QString &xlabel, const QString &ytitle)
{
    const double w = m_surface.width(), h = m_surface.height();
    double dx = xStep, dy = yStep;
    const double xs = kurvex::firstTick(m.x1, dx);
    const double ys = kurvex::firstTick(m.y1, dy);
    m_surface.setFontSize(kGraphLabelFontSize);
    m_surface.setForeColor(kBlack);
    const QRgb grey = paletteColor(kLightGrey);
    const double axisRow = std::floor(std::clamp(m.mapY(0), -kPixelClamp, kPixelClamp));
    const double axisColumn = std::floor(std::clamp(m.mapX(0), -kPixelClamp, kPixelClamp));
    const bool decades = m_view.logY();
    const double textHeight = m_surface.textHeight();
    kurvex::LabelPlacer placer;

    // Titles first, so that no label covers them. The x title sits 24 pixels below the x axis,
    // or below the window's lower edge when the axis is outside; it is centred and kept on the
    // surface so it can always be read.
    const double referenceRow = m.y1 * m.y2 >= 0 ? std::floor(m.mapY(m.y2)) : axisRow;
    const int titleWidth = m_surface.textWidth(xlabel);
    const QRectF xTitle(
        kurvex::clampInside((w - titleWidth) / 2, titleWidth, static_cast<int>(w)),
        kurvex::clampInside(referenceRow + 24, static_cast<int>(textHeight), static_cast<int>(h)),
        titleWidth, textHeight);
    if (!xlabel.isEmpty() && placer.place(xTitle))
        m_surface.text(xTitle.left(), xTitle.top(), xlabel);
    const QString yTitle =
        decades && !ytitle.isEmpty() ? QStringLiteral("|%1|").arg(ytitle) : ytitle;
    if (!yTitle.isEmpty()) {
        const int yTitleWidth = m_surface.textWidth(yTitle);
        const QPoint at = kurvex::yTitlePosition(axisColumn, yTitleWidth, static_cast<int>(w));
        if (placer.place(QRectF(at, QSizeF(yTitleWidth, textHeight))))
            m_surface.text(at.x(), at.y(), yTitle);
    }

    if (dx > 0 && xs > m.x2)
        dx = -dx;
    const int nx = kurvex::tickCount(xs, m.x2, dx, kurvex::kMaxTicks);
    const std::string xPattern =
        tickLabelPattern(m_xFormat, dx, std::max(std::fabs(xs), std::fabs(m.x2)));
    for (int i = 0; i < nx; ++i) {
        const double x = kurvex::snapTickToZero(xs + i * dx, dx);
        const double column = std::floor(m.mapX(x));
        m_surface.line(column, 0, column, h, grey);
        if (column < 0 || column > w) // a tick off the surface has no label
            continue;
        const QString label = formatLabel(x, xPattern);
        const double width = m_surface.textWidth(label);
        const QRectF r =
            kurvex::keepInside(QRectF(column - width / 2, axisRow + 2, width, textHeight), w, h);
        if (placer.place(r))
            m_surface.text(r.left(), r.top(), label);
    }

    if (dy > 0 && ys > m.y2)
        dy = -dy;
    const int ny = kurvex::tickCount(ys, m.y2, dy, kurvex::kMaxTicks);
    const int baseWidth = m_surface.textWidth(QStringLiteral("10"));
    const std::string yPattern =
        tickLabelPattern(m_yFormat, dy, std::max(std::fabs(ys), std::fabs(m.y2)));
    for (int i = 0; i < ny; ++i) {
        const double y = kurvex::snapTickToZero(ys + i * dy, dy);
        const double row = std::floor(m.mapY(y));
        m_surface.line(0, row, w, row, grey);
        if (row < 0 || row > h)
            continue;
        if (islog == 1 && !decades) {
            const DecadeLabel l = decadeLabel(y, axisColumn, row, baseWidth);
            m_surface.text(l.baseLeft, l.baseTop, l.base);
            m_surface.text(l.exponentLeft, l.exponentTop, l.exponent);
            continue;
        }
        const QString label = decades ? kurvex::decadeText(y) : formatLabel(y, yPattern);
        const double width = m_surface.textWidth(label);
        const double left =
            std::min(kurvex::rightAlignedLabelLeft(axisColumn, static_cast<int>(label.size()), 6),
                     axisColumn - width - 2);
        const QRectF r = kurvex::keepInside(QRectF(left, row, width, textHeight), w, h);
        if (placer.place(r))
            m_surface.text(r.left(), r.top(), label);
    }

    m_surface.line(0, axisRow, w, axisRow, kBlack);
    m_surface.line(axisColumn, 0, axisColumn, h, kBlack);
}

void Graph::lineOnSurface(const kurvex::WorldMapping &m, double x1, double y1, double x2, double y2,
                          QRgb color)
{
    auto px = [&](double x) { return std::clamp(m.mapX(x), -kPixelClamp, kPixelClamp); };
    auto py = [&](double y) { return std::clamp(m.mapY(y), -kPixelClamp, kPixelClamp); };
    const double a = px(x1), b = py(y1), c = px(x2), d = py(y2);
    // A line with any end this far off is dropped, not clipped.
    if (!withinGuard(std::floor(a)) || !withinGuard(std::floor(b)) || !withinGuard(std::floor(c)) ||
        !withinGuard(std::floor(d)))
        return;
    m_surface.line(a, b, c, d, color);
}

void Graph::drawItem(const kurvex::SceneItem &i)
{
    using kurvex::SceneItem;
    switch (i.kind) {
    case SceneItem::Line:
        lineOnSurface(m_draw, i.x1, drawY(i.y1), i.x2, drawY(i.y2), i.color);
        break;
    case SceneItem::Point:
        m_surface.pset(surfaceX(i.x1), surfaceY(i.y1), i.color);
        break;
    case SceneItem::Circle:
        m_surface.setForeColor(i.color);
        m_surface.setFillColor(i.color);
        m_surface.setFillStyle(kurvex::FillSolid);
        m_surface.circle(surfaceX(i.x1), surfaceY(i.y1), i.x2);
        break;
    case SceneItem::Box:
        m_surface.box(surfaceX(i.x1), surfaceY(i.y1), surfaceX(i.x2), surfaceY(i.y2), i.color);
        break;
    case SceneItem::Fill:
        m_surface.fillBox(surfaceX(i.x1), surfaceY(i.y1), surfaceX(i.x2), surfaceY(i.y2), i.color);
        break;
    case SceneItem::Text:
        m_surface.setForeColor(i.fore);
        m_surface.setFontSize(i.x2);
        m_surface.text(i.x1, i.y1, m_scene.text(i));
        break;
    }
}

void Graph::rerender()
{
    m_stale = false;
    if (m_view.logY() && !m_view.zoomed()) {
        std::pair<double, double> d;
        if (const auto r = m_scene.absYRange()) {
            d = kurvex::decadeWindow(r->first, r->second);
        } else {
            const kurvex::WorldRect p = m_view.programView();
            const double top = std::max(std::fabs(p.y1), std::fabs(p.y2));
            d = kurvex::decadeWindow(top * 1e-4, top);
        }
        m_view.setLogDecades(d.first, d.second);
    }
    updateDrawMapping();
    m_surface.clear();
    const kurvex::RasterSurface::PenState pen = m_surface.penState();
    if (const auto &a = m_scene.axes()) {
        double dx = a->xStep, dy = a->yStep;
        if (!direct()) {
            const kurvex::WorldRect r = m_view.shown();
            const double w = m_surface.width(), h = m_surface.height();
            if (m_view.zoomed())
                dx = kurvex::viewTickStep(r.x1, r.x2, w);
            if (m_view.logY())
                dy = kurvex::decadeStep(r.y1, r.y2, h);
            else if (a->labelMode == 1)
                dy = std::max(1.0, std::round(kurvex::viewTickStep(r.y1, r.y2, h)));
            else
                dy = kurvex::viewTickStep(r.y1, r.y2, h);
        }
        drawAxes(m_draw, dx, dy, a->labelMode, a->xTitle, a->yTitle);
    }
    for (const kurvex::SceneItem &i : m_scene.items())
        drawItem(i);
    m_surface.setPenState(pen);
    emit imageChanged();
}

void Graph::showView()
{
    rerender();
    emit viewChanged();
}

QString Graph::readout(const QPointF &pixel) const
{
    const double w = m_surface.width(), h = m_surface.height();
    if (!m_scene.axes() || pixel.x() < 0 || pixel.y() < 0 || pixel.x() >= w || pixel.y() >= h)
        return {};
    const QPointF p = kurvex::worldAt(shownView(), pixel.x(), pixel.y(), w, h);
    const bool decades = m_view.logY();
    auto number = [](double v) { return QString::number(v, 'g', 5); };
    QString text = QStringLiteral("x: %1   %2: %3")
                       .arg(number(p.x()), decades ? QStringLiteral("|y|") : QStringLiteral("y"),
                            number(decades ? std::pow(10.0, p.y()) : p.y()));
    const kurvex::WorldMapping &m = m_draw;
    const auto hit = m_scene.nearest(
        [&](double x, double y) { return QPointF(m.mapX(x), m.mapY(drawY(y))); }, pixel, 12);
    if (hit)
        text += QStringLiteral("   point %1 [%2]: %3, %4")
                    .arg(hit->index)
                    .arg(hit->series)
                    .arg(number(hit->x), number(hit->y));
    return text;
}

void Graph::VLine(double x1, double y1, double x2, double y2, QRgb color)
{
    kurvex::SceneItem i;
    i.kind = kurvex::SceneItem::Line;
    i.color = color;
    i.x1 = x1;
    i.y1 = y1;
    i.x2 = x2;
    i.y2 = y2;
    m_scene.add(i);
    if (direct()) {
        // A line with any end this far off is dropped, not clipped.
        if (!withinGuard(VtoWX(x1)) || !withinGuard(VtoWY(y1)) || !withinGuard(VtoWX(x2)) ||
            !withinGuard(VtoWY(y2)))
            return;
        m_surface.line(surfaceX(x1), surfaceY(y1), surfaceX(x2), surfaceY(y2), color);
    } else {
        drawItem(i);
    }
    changed();
}

namespace {

kurvex::SceneItem sceneItem(kurvex::SceneItem::Kind kind, double x1, double y1, double x2,
                            double y2, QRgb color)
{
    kurvex::SceneItem i;
    i.kind = kind;
    i.color = color;
    i.x1 = x1;
    i.y1 = y1;
    i.x2 = x2;
    i.y2 = y2;
    return i;
}

} // namespace

void Graph::VPset(double x, double y, QRgb color)
{
    const auto i = sceneItem(kurvex::SceneItem::Point, x, y, 0, 0, color);
    m_scene.add(i);
    drawItem(i);
    changed();
}

void Graph::VCircle(double x, double y, double r, QRgb color)
{
    auto i = sceneItem(kurvex::SceneItem::Circle, x, y, r, 0, color);
    i.fore = i.fill = color;
    i.fillStyle = kurvex::FillSolid;
    m_scene.add(i);
    drawItem(i);
    changed();
}

void Graph::VBox(double x1, double y1, double x2, double y2, QRgb color)
{
    const auto i = sceneItem(kurvex::SceneItem::Box, x1, y1, x2, y2, color);
    m_scene.add(i);
    drawItem(i);
    changed();
}

void Graph::VFill(double x1, double y1, double x2, double y2, QRgb color)
{
    const auto i = sceneItem(kurvex::SceneItem::Fill, x1, y1, x2, y2, color);
    m_scene.add(i);
    drawItem(i);
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
    m_clipboard.setImage(image());
}

void Graph::Cls()
{
    m_scene.clear();
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
    // The operator's view is the window's own to keep; the program's view is the caller's.
    if (!direct())
        rerender();
    changed();
}

void Graph::windowVisibilityChanged(bool visible)
{
    m_visible = visible;
}

} // namespace tervo
