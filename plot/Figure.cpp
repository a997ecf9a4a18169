#include "Figure.h"

#include "Graph.h"
#include "Palette.h"
#include "canvas/PlotGeometry.h"
#include "core/NumberFormat.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

namespace tervo {

namespace {

constexpr double kFontPixels = 12;

QColor opaque(QRgb c)
{
    return QColor::fromRgb(c | 0xff000000);
}

QString tickText(double v, const std::string &pattern)
{
    return pattern.empty() ? formatGeneral(v) : formatPattern(v, pattern);
}

struct Ticks {
    std::vector<double> values;
    std::vector<QString> labels;
};

Ticks ticksFor(double a, double b, double pixels, bool decades, const std::string &format)
{
    Ticks t;
    const double lo = std::min(a, b), hi = std::max(a, b);
    const double step =
        decades ? kurvex::decadeStep(a, b, pixels) : kurvex::viewTickStep(lo, hi, pixels, 70);
    if (!(step > 0))
        return t;
    const double first = std::ceil(lo / step - 1e-9) * step;
    const int n = kurvex::tickCount(first, hi, step, 1000);
    const std::string pattern =
        format.empty() ? format
                       : tickLabelPattern(format, step, std::max(std::fabs(lo), std::fabs(hi)));
    for (int i = 0; i < n; ++i) {
        const double v = kurvex::snapTickToZero(first + i * step, step);
        t.values.push_back(v);
        t.labels.push_back(decades ? kurvex::decadeText(v) : tickText(v, pattern));
    }
    return t;
}

} // namespace

Figure figureOf(const Graph &graph)
{
    Figure f;
    f.scene = graph.scene();
    // A graph drawn without a legend (a live measurement) names its curve by its caption.
    if (f.scene.legend().empty() && !graph.title().isEmpty()) {
        for (const kurvex::SceneItem &i : f.scene.items()) {
            if (i.kind == kurvex::SceneItem::Line || i.kind == kurvex::SceneItem::Point ||
                i.kind == kurvex::SceneItem::Circle) {
                f.scene.addLegend(graph.title(), i.color);
                break;
            }
        }
    }
    f.view = graph.shownView();
    f.logY = graph.viewState().logY();
    const QSize s = graph.surfaceSize();
    f.size = QSizeF(s.width(), s.height());
    return f;
}

void renderFigure(const Figure &figure, QPainter &p)
{
    const double W = figure.size.width(), H = figure.size.height();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(QRectF(0, 0, W, H), Qt::white);
    QFont font = p.font();
    font.setPixelSize(static_cast<int>(kFontPixels));
    p.setFont(font);
    const QFontMetricsF fm(font, p.device());
    const auto &axes = figure.scene.axes();
    const kurvex::WorldRect &v = figure.view;
    const bool decades = figure.logY;
    QString xTitle = axes ? axes->xTitle : QString();
    QString yTitle = axes ? axes->yTitle : QString();
    if (decades && !yTitle.isEmpty())
        yTitle = QStringLiteral("|%1|").arg(yTitle);

    // The plot area leaves room for the labels and titles outside it.
    const double lineHeight = fm.height();
    Ticks yt = ticksFor(v.y1, v.y2, H * 0.7, decades, axes ? axes->yFormat : std::string());
    double yLabelWidth = 0;
    for (const QString &l : yt.labels)
        yLabelWidth = std::max(yLabelWidth, fm.horizontalAdvance(l));
    const double left = 8 + (yTitle.isEmpty() ? 0 : lineHeight + 6) + yLabelWidth + 6;
    const double bottom = 8 + (xTitle.isEmpty() ? 0 : lineHeight + 4) + lineHeight + 6;
    const QRectF area(left, 12, std::max(10.0, W - left - 16), std::max(10.0, H - 12 - bottom));
    Ticks xt = ticksFor(v.x1, v.x2, area.width(), false, axes ? axes->xFormat : std::string());

    auto mapX = [&](double x) { return area.left() + (x - v.x1) / (v.x2 - v.x1) * area.width(); };
    auto mapY = [&](double y) { return area.top() + (y - v.y1) / (v.y2 - v.y1) * area.height(); };
    auto dataY = [&](double y) { return decades ? kurvex::decadeY(y) : y; };

    // Grid and tick labels.
    p.setPen(QPen(QColor(0xc0, 0xc0, 0xc0), 0.5));
    kurvex::LabelPlacer placer;
    for (std::size_t i = 0; i < xt.values.size(); ++i) {
        const double c = mapX(xt.values[i]);
        p.drawLine(QPointF(c, area.top()), QPointF(c, area.bottom()));
    }
    for (std::size_t i = 0; i < yt.values.size(); ++i) {
        const double r = mapY(yt.values[i]);
        p.drawLine(QPointF(area.left(), r), QPointF(area.right(), r));
    }
    p.setPen(Qt::black);
    for (std::size_t i = 0; i < xt.values.size(); ++i) {
        const double w = fm.horizontalAdvance(xt.labels[i]);
        const QRectF r = kurvex::keepInside(
            QRectF(mapX(xt.values[i]) - w / 2, area.bottom() + 4, w, lineHeight), W, H);
        if (placer.place(r))
            p.drawText(r, Qt::AlignCenter, xt.labels[i]);
    }
    for (std::size_t i = 0; i < yt.values.size(); ++i) {
        const double w = fm.horizontalAdvance(yt.labels[i]);
        const QRectF r = kurvex::keepInside(
            QRectF(area.left() - 6 - w, mapY(yt.values[i]) - lineHeight / 2, w, lineHeight), W, H);
        if (placer.place(r))
            p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, yt.labels[i]);
    }
    if (!xTitle.isEmpty())
        p.drawText(QRectF(area.left(), H - 8 - lineHeight, area.width(), lineHeight),
                   Qt::AlignCenter, xTitle);
    if (!yTitle.isEmpty()) {
        p.save();
        p.translate(8, area.center().y());
        p.rotate(-90);
        p.drawText(QRectF(-area.height() / 2, 0, area.height(), lineHeight), Qt::AlignCenter,
                   yTitle);
        p.restore();
    }

    // The curves, clipped to the plot area; joined lines of one colour become one path.
    p.save();
    p.setClipRect(area);
    const double m = 4;
    QPainterPath path;
    QRgb pathColor = 0;
    QPointF pathEnd(NAN, NAN);
    auto flushPath = [&] {
        if (!path.isEmpty()) {
            p.setPen(QPen(opaque(pathColor), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
        }
        path = QPainterPath();
    };
    for (const kurvex::SceneItem &i : figure.scene.items()) {
        using kurvex::SceneItem;
        if (i.kind != SceneItem::Line)
            flushPath();
        switch (i.kind) {
        case SceneItem::Line: {
            double x1 = mapX(i.x1), y1 = mapY(dataY(i.y1)), x2 = mapX(i.x2), y2 = mapY(dataY(i.y2));
            if (!kurvex::clipSegment(x1, y1, x2, y2, area.left() - m, area.top() - m,
                                     area.right() + m, area.bottom() + m))
                break;
            if ((i.color | 0xff000000) != (pathColor | 0xff000000)) {
                flushPath();
                pathColor = i.color;
            }
            const QPointF a(x1, y1), b(x2, y2);
            if (path.isEmpty() || a != pathEnd)
                path.moveTo(a);
            path.lineTo(b);
            pathEnd = b;
            break;
        }
        case SceneItem::Point: {
            const QPointF a(mapX(i.x1), mapY(dataY(i.y1)));
            if (std::isfinite(a.x()) && std::isfinite(a.y()) && area.contains(a))
                p.fillRect(QRectF(a.x() - 0.75, a.y() - 0.75, 1.5, 1.5), opaque(i.color));
            break;
        }
        case SceneItem::Circle: {
            const QPointF a(mapX(i.x1), mapY(dataY(i.y1)));
            if (!std::isfinite(a.x()) || !std::isfinite(a.y()) ||
                !area.adjusted(-m, -m, m, m).contains(a))
                break;
            p.setPen(QPen(opaque(i.fore), 1.0));
            p.setBrush(i.fillStyle == kurvex::FillSolid ? QBrush(opaque(i.fill)) : QBrush());
            p.drawEllipse(a, i.x2, i.x2);
            break;
        }
        case SceneItem::Box:
        case SceneItem::Fill: {
            const QRectF r = QRectF(QPointF(mapX(i.x1), mapY(dataY(i.y1))),
                                    QPointF(mapX(i.x2), mapY(dataY(i.y2))))
                                 .normalized()
                                 .intersected(area.adjusted(-m, -m, m, m));
            if (r.isEmpty())
                break;
            if (i.kind == SceneItem::Fill) {
                p.fillRect(r, opaque(i.color));
            } else {
                p.setPen(QPen(opaque(i.color), 1.0));
                p.setBrush(Qt::NoBrush);
                p.drawRect(r);
            }
            break;
        }
        case SceneItem::Text:
            break;
        }
    }
    flushPath();
    p.restore();

    // The axes through the origin where it is in view, and the frame.
    p.setPen(QPen(Qt::black, 0.8));
    if (!decades && v.y1 * v.y2 < 0)
        p.drawLine(QPointF(area.left(), mapY(0)), QPointF(area.right(), mapY(0)));
    if (v.x1 * v.x2 < 0)
        p.drawLine(QPointF(mapX(0), area.top()), QPointF(mapX(0), area.bottom()));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);

    // The legend, inside the top-right corner.
    const auto &legend = figure.scene.legend();
    if (!legend.empty()) {
        double w = 0;
        for (const auto &e : legend)
            w = std::max(w, fm.horizontalAdvance(e.title));
        const double rowH = lineHeight + 2;
        const QRectF box(area.right() - w - 40, area.top() + 6, w + 34,
                         rowH * static_cast<double>(legend.size()) + 6);
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.5));
        p.setBrush(QColor(255, 255, 255, 235));
        p.drawRect(box);
        for (std::size_t k = 0; k < legend.size(); ++k) {
            const double y = box.top() + 3 + rowH * static_cast<double>(k);
            p.setPen(QPen(opaque(legend[k].color), 2.0));
            p.drawLine(QPointF(box.left() + 5, y + rowH / 2),
                       QPointF(box.left() + 23, y + rowH / 2));
            p.setPen(Qt::black);
            p.drawText(QRectF(box.left() + 28, y, w + 4, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                       legend[k].title);
        }
    }
    p.restore();
}

FigureFormat figureFormatOf(const QString &path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("png"))
        return FigureFormat::Png;
    if (ext == QLatin1String("svg"))
        return FigureFormat::Svg;
    if (ext == QLatin1String("pdf"))
        return FigureFormat::Pdf;
    return FigureFormat::Unknown;
}

namespace {

QSize pngPixels(QSizeF size, int dpi)
{
    const double scale = dpi / 96.0;
    auto side = [scale](double points) {
        return static_cast<int>(std::min(std::ceil(points * scale), 1e9));
    };
    return {side(size.width()), side(size.height())};
}

} // namespace

QString pngSizeProblem(QSizeF size, int dpi)
{
    const QSize px = pngPixels(size, dpi);
    if (static_cast<qint64>(px.width()) * px.height() <= kMaxFigurePixels)
        return {};
    return QStringLiteral("a PNG of %1 x %2 pixels is too large: at most %3 pixels are written; "
                          "choose a smaller size or resolution")
        .arg(px.width())
        .arg(px.height())
        .arg(kMaxFigurePixels);
}

bool writeFigure(const Figure &figure, const QString &path, int dpi, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QSizeF size = figure.size;
    if (!(size.width() >= 1 && size.height() >= 1))
        return fail(QStringLiteral("the figure has no size"));
    if (dpi < 10 || dpi > 2400)
        return fail(QStringLiteral("a resolution of %1 dpi is not usable (10 to 2400)").arg(dpi));
    const double scale = dpi / 96.0;
    switch (figureFormatOf(path)) {
    case FigureFormat::Png: {
        if (const QString problem = pngSizeProblem(size, dpi); !problem.isEmpty())
            return fail(problem);
        const QSize px = pngPixels(size, dpi);
        QImage img(px.width(), px.height(), QImage::Format_RGB32);
        if (img.isNull())
            return fail(QStringLiteral("the image is too large"));
        const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
        img.setDotsPerMeterX(dpm);
        img.setDotsPerMeterY(dpm);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            p.scale(scale, scale);
            renderFigure(figure, p);
        }
        if (!img.save(path, "PNG"))
            return fail(QStringLiteral("%1 cannot be written").arg(path));
        return true;
    }
    case FigureFormat::Svg: {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size.toSize());
        svg.setViewBox(QRectF(QPointF(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(QStringLiteral("TERVO figure"));
        QPainter p;
        if (!p.begin(&svg))
            return fail(QStringLiteral("%1 cannot be written").arg(path));
        renderFigure(figure, p);
        p.end();
        return true;
    }
    case FigureFormat::Pdf: {
        QPdfWriter pdf(path);
        pdf.setResolution(dpi);
        pdf.setPageSize(
            QPageSize(QSizeF(size.width() * 72 / 96, size.height() * 72 / 96), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        if (!p.begin(&pdf))
            return fail(QStringLiteral("%1 cannot be written").arg(path));
        p.scale(scale, scale);
        renderFigure(figure, p);
        p.end();
        return true;
    }
    case FigureFormat::Unknown:
        break;
    }
    return fail(QStringLiteral("%1: the figure is saved as .png, .svg or .pdf").arg(path));
}

} // namespace tervo
