#include "KurvexCTRL.h"

#include "core/NumberFormat.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace kurvex {

namespace {

constexpr QRgb kBlack = 0x000000;
constexpr QRgb kGridGrey = 0xc0c0c0; // light grey of the 16-colour palette

QString formatLabel(double v, const std::string &pattern)
{
    if (pattern.empty())
        return tervo::formatGeneral(v);
    return tervo::formatPattern(v, pattern);
}

ZoomAxes zoomAxesFor(Qt::KeyboardModifiers m)
{
    if (m & Qt::ShiftModifier)
        return ZoomAxes::XOnly;
    if (m & Qt::ControlModifier)
        return ZoomAxes::YOnly;
    return ZoomAxes::Both;
}

QString readoutNumber(double v)
{
    return QString::number(v, 'g', 5);
}

} // namespace

KurvexCTRL::KurvexCTRL(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    followSize();
}

void KurvexCTRL::followSize()
{
    const QSize s = size();
    m_surface.resize(s.width(), s.height(), devicePixelRatioF());
}

void KurvexCTRL::changed()
{
    // On a decade scale the decades follow the data, found once drawing has paused.
    if (m_view.logY() && !m_view.zoomed())
        m_stale = true;
    if (!m_updatePending) {
        m_updatePending = true;
        update();
    }
}

void KurvexCTRL::paintEvent(QPaintEvent *event)
{
    m_updatePending = false;
    followSize();
    rerenderIfStale();
    QPainter p(this);
    const QImage &img = m_surface.image();
    p.drawImage(event->rect(), img,
                QRectF(event->rect().topLeft() * img.devicePixelRatio(),
                       event->rect().size() * img.devicePixelRatio()));
    if (m_drag == Drag::Zoom) {
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(QRectF(m_dragStart, m_dragNow).normalized());
    }
    if (!m_readout.isEmpty()) {
        const QFontMetrics fm(font());
        const QRect r(2, height() - fm.height() - 4, fm.horizontalAdvance(m_readout) + 8,
                      fm.height() + 2);
        p.fillRect(r, QColor(255, 255, 225, 230));
        p.setPen(Qt::black);
        p.drawText(r.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, m_readout);
    }
}

void KurvexCTRL::resizeEvent(QResizeEvent *)
{
    followSize();
    // The operator's view is the canvas's own to keep; the program's view is the host's.
    if (!direct())
        rerender();
    changed();
}

void KurvexCTRL::CopyToClipboard()
{
    const QImage img = image();
    if (m_clipboardSink) {
        m_clipboardSink(img);
        return;
    }
    if (QClipboard *cb = QGuiApplication::clipboard()) {
        cb->clear();
        cb->setImage(img);
    }
}

void KurvexCTRL::setClipboardSink(std::function<void(const QImage &)> sink)
{
    m_clipboardSink = std::move(sink);
}

void KurvexCTRL::setFigureSaver(std::function<void()> save)
{
    m_figureSaver = std::move(save);
}

void KurvexCTRL::SetSize(int, int, int, int)
{
    m_autoRedraw = true;
    followSize();
    changed();
}

bool KurvexCTRL::View(double x1, double y1, double x2, double y2)
{
    followSize();
    const auto m = WorldMapping::fromView(x1, y1, x2, y2, m_surface.width(), m_surface.height());
    if (!m)
        return false;
    m_mapping = *m;
    m_view.setProgramView({x1, y1, x2, y2});
    updateDrawMapping();
    return true;
}

void KurvexCTRL::updateDrawMapping()
{
    if (direct()) {
        m_draw = m_mapping;
        return;
    }
    const WorldRect r = m_view.shown();
    if (const auto m =
            WorldMapping::fromView(r.x1, r.y1, r.x2, r.y2, m_surface.width(), m_surface.height()))
        m_draw = *m;
}

void KurvexCTRL::Cls()
{
    followSize();
    m_scene.clear();
    m_surface.clear();
    changed();
}

void KurvexCTRL::XAxisFormat(const QString &pattern)
{
    m_xFormat = pattern.toStdString();
}

void KurvexCTRL::YAxisFormat(const QString &pattern)
{
    m_yFormat = pattern.toStdString();
}

void KurvexCTRL::Axis(double xt, double yt, const QString &xlabel, const QString &ylabel)
{
    followSize();
    m_scene.clear();
    m_scene.setAxes({xt, yt, 0, xlabel, ylabel, m_xFormat, m_yFormat});
    if (direct()) {
        m_surface.clear();
        drawAxes(m_mapping, xt, yt, xlabel, ylabel);
        changed();
        return;
    }
    rerender();
}

void KurvexCTRL::drawAxes(const WorldMapping &m, double xt, double yt, const QString &xlabel,
                          const QString &ylabel)
{
    const double w = m_surface.width(), h = m_surface.height();
    double dx = xt, dy = yt;
    const double xs = firstTick(m.x1, dx);
    const double ys = firstTick(m.y1, dy);
    m_surface.setFontSize(10);
    m_surface.setForeColor(kBlack);
    const double axisRow = m.pixelY(0);
    const double axisColumn = m.pixelX(0);
    const bool decades = m_view.logY();
    const double textHeight = m_surface.textHeight();
    LabelPlacer placer;

    // Titles first: a label never covers them.
    const QRectF xTitle = keepInside(
        QRectF(w / 2 - 8.0 * xlabel.size(), axisRow + 24, m_surface.textWidth(xlabel), textHeight),
        w, h);
    if (!xlabel.isEmpty() && placer.place(xTitle))
        m_surface.text(xTitle.left(), xTitle.top(), xlabel);
    const QString yTitleText =
        decades && !ylabel.isEmpty() ? QStringLiteral("|%1|").arg(ylabel) : ylabel;
    const QPoint titleAt =
        yTitlePosition(axisColumn, m_surface.textWidth(yTitleText), m_surface.width());
    if (!yTitleText.isEmpty() &&
        placer.place(QRectF(titleAt, QSizeF(m_surface.textWidth(yTitleText), textHeight))))
        m_surface.text(titleAt.x(), titleAt.y(), yTitleText);

    const int nx = tickCount(xs, m.x2, dx, kMaxTicks);
    const std::string xPattern =
        tervo::tickLabelPattern(m_xFormat, dx, std::max(std::fabs(xs), std::fabs(m.x2)));
    for (int i = 0; i < nx; ++i) {
        const double x = snapTickToZero(xs + i * dx, dx);
        const double column = m.pixelX(x);
        m_surface.line(column, 0, column, h, kGridGrey);
        if (column < 0 || column > w) // a tick off the surface has no label
            continue;
        const QString label = formatLabel(x, xPattern);
        const double width = m_surface.textWidth(label);
        const QRectF r =
            keepInside(QRectF(column - width / 2, axisRow + 2, width, textHeight), w, h);
        if (placer.place(r))
            m_surface.text(r.left(), r.top(), label);
    }

    if (dy > 0 && ys > m.y2)
        dy = -dy;
    const int ny = tickCount(ys, m.y2, dy, kMaxTicks);
    const std::string yPattern =
        tervo::tickLabelPattern(m_yFormat, dy, std::max(std::fabs(ys), std::fabs(m.y2)));
    for (int i = 0; i < ny; ++i) {
        const double y = snapTickToZero(ys + i * dy, dy);
        const double row = m.pixelY(y);
        m_surface.line(0, row, w, row, kGridGrey);
        if (row < 0 || row > h)
            continue;
        const QString label = decades ? decadeText(y) : formatLabel(y, yPattern);
        const double width = m_surface.textWidth(label);
        const QRectF r =
            keepInside(QRectF(rightAlignedLabelLeft(axisColumn, static_cast<int>(label.size()), 8),
                              row, width, textHeight),
                       w, h);
        if (placer.place(r))
            m_surface.text(r.left(), r.top(), label);
    }

    m_surface.line(0, axisRow, w, axisRow, kBlack);
    m_surface.line(axisColumn, 0, axisColumn, h, kBlack);
}

SceneItem KurvexCTRL::penItem(SceneItem::Kind kind, QRgb color, double x1, double y1, double x2,
                              double y2) const
{
    SceneItem i;
    i.kind = kind;
    i.color = color;
    i.x1 = x1;
    i.y1 = y1;
    i.x2 = x2;
    i.y2 = y2;
    i.fore = m_surface.foreColor();
    i.fill = m_surface.fillColor();
    i.mode = static_cast<std::int16_t>(m_surface.drawMode());
    i.width = static_cast<std::int16_t>(m_surface.drawWidth());
    i.fillStyle = static_cast<std::int16_t>(m_surface.fillStyle());
    return i;
}

void KurvexCTRL::drawItem(const SceneItem &i)
{
    const WorldMapping &m = m_draw;
    switch (i.kind) {
    case SceneItem::Line:
        m_surface.line(m.mapX(i.x1), m.mapY(drawY(i.y1)), m.mapX(i.x2), m.mapY(drawY(i.y2)),
                       i.color);
        break;
    case SceneItem::Point:
        m_surface.pset(m.mapX(i.x1), m.mapY(drawY(i.y1)), i.color);
        break;
    case SceneItem::Circle:
        m_surface.circle(m.mapX(i.x1), m.mapY(drawY(i.y1)), i.x2);
        break;
    case SceneItem::Box:
        m_surface.box(m.mapX(i.x1), m.mapY(drawY(i.y1)), m.mapX(i.x2), m.mapY(drawY(i.y2)),
                      i.color);
        break;
    case SceneItem::Fill:
        m_surface.fillBox(m.mapX(i.x1), m.mapY(drawY(i.y1)), m.mapX(i.x2), m.mapY(drawY(i.y2)),
                          i.color);
        break;
    case SceneItem::Text:
        break;
    }
}

void KurvexCTRL::rerender()
{
    m_stale = false;
    followSize();
    if (m_view.logY() && !m_view.zoomed()) {
        if (const auto r = m_scene.absYRange()) {
            const auto d = decadeWindow(r->first, r->second);
            m_view.setLogDecades(d.first, d.second);
        } else {
            const WorldRect p = m_view.programView();
            const double top = std::max(std::fabs(p.y1), std::fabs(p.y2));
            const auto d = decadeWindow(top * 1e-4, top);
            m_view.setLogDecades(d.first, d.second);
        }
    }
    updateDrawMapping();
    m_surface.clear();
    const RasterSurface::PenState pen = m_surface.penState();
    if (const auto &a = m_scene.axes()) {
        if (direct()) {
            drawAxes(m_draw, a->xStep, a->yStep, a->xTitle, a->yTitle);
        } else {
            const WorldRect r = m_view.shown();
            const double w = m_surface.width(), h = m_surface.height();
            const double dx = m_view.zoomed() ? viewTickStep(r.x1, r.x2, w) : a->xStep;
            const double dy =
                m_view.logY() ? decadeStep(r.y1, r.y2, h) : viewTickStep(r.y1, r.y2, h);
            drawAxes(m_draw, dx, dy, a->xTitle, a->yTitle);
        }
    }
    for (const SceneItem &i : m_scene.items()) {
        m_surface.setForeColor(i.fore);
        m_surface.setFillColor(i.fill);
        m_surface.setDrawMode(i.mode);
        m_surface.setDrawWidth(i.width);
        m_surface.setFillStyle(i.fillStyle);
        drawItem(i);
    }
    m_surface.setPenState(pen);
    changed();
    m_stale = false;
}

void KurvexCTRL::rerenderIfStale()
{
    if (m_stale)
        rerender();
}

void KurvexCTRL::showView()
{
    rerender();
}

float KurvexCTRL::VtoWX(double x) const
{
    return static_cast<float>(m_mapping.pixelX(x));
}

float KurvexCTRL::VtoWY(double y) const
{
    return static_cast<float>(m_mapping.pixelY(y));
}

void KurvexCTRL::SetForeColor(QRgb c)
{
    m_surface.setForeColor(c);
}
void KurvexCTRL::SetDrawWidth(int w)
{
    m_surface.setDrawWidth(static_cast<std::int16_t>(w));
}
void KurvexCTRL::SetDrawMode(int m)
{
    m_surface.setDrawMode(static_cast<std::int16_t>(m));
}
void KurvexCTRL::SetFillStyle(int s)
{
    m_surface.setFillStyle(static_cast<std::int16_t>(s));
}
void KurvexCTRL::SetFillColor(QRgb c)
{
    m_surface.setFillColor(c);
}

void KurvexCTRL::VLine(double x1, double y1, double x2, double y2, QRgb color)
{
    const SceneItem i = penItem(SceneItem::Line, color, x1, y1, x2, y2);
    m_scene.add(i);
    if (direct())
        m_surface.line(m_mapping.mapX(x1), m_mapping.mapY(y1), m_mapping.mapX(x2),
                       m_mapping.mapY(y2), color);
    else
        drawItem(i);
    changed();
}

void KurvexCTRL::VPset(double x, double y, QRgb color)
{
    addItem(penItem(SceneItem::Point, color, x, y));
}

void KurvexCTRL::VCircle(double x, double y, double r, QRgb color)
{
    addItem(penItem(SceneItem::Circle, color, x, y, r));
}

void KurvexCTRL::VBox(double x1, double y1, double x2, double y2, QRgb color)
{
    addItem(penItem(SceneItem::Box, color, x1, y1, x2, y2));
}

void KurvexCTRL::VFill(double x1, double y1, double x2, double y2, QRgb color)
{
    addItem(penItem(SceneItem::Fill, color, x1, y1, x2, y2));
}

void KurvexCTRL::addItem(const SceneItem &item)
{
    m_scene.add(item);
    drawItem(item);
    changed();
}

QImage KurvexCTRL::image()
{
    followSize();
    rerenderIfStale();
    return m_surface.image();
}

void KurvexCTRL::AddLegend(const QString &title, QRgb color)
{
    m_scene.addLegend(title, color);
}

void KurvexCTRL::updateReadout(const QPointF &at)
{
    const double w = m_surface.width(), h = m_surface.height();
    if (!m_scene.axes() || !rect().contains(at.toPoint())) {
        m_readout.clear();
        return;
    }
    const WorldRect r = direct() ? m_view.programView() : m_view.shown();
    const QPointF p = worldAt(r, at.x(), at.y(), w, h);
    const bool decades = m_view.logY();
    m_readout =
        QStringLiteral("x: %1   %2: %3")
            .arg(readoutNumber(p.x()), decades ? QStringLiteral("|y|") : QStringLiteral("y"),
                 readoutNumber(decades ? std::pow(10.0, p.y()) : p.y()));
    const WorldMapping &m = m_draw;
    const auto hit = m_scene.nearest(
        [&](double x, double y) { return QPointF(m.mapX(x), m.mapY(drawY(y))); }, at, 12);
    if (hit)
        m_readout += QStringLiteral("   point %1 [%2]: %3, %4")
                         .arg(hit->index)
                         .arg(hit->series)
                         .arg(readoutNumber(hit->x), readoutNumber(hit->y));
}

void KurvexCTRL::wheelEvent(QWheelEvent *event)
{
    const QPoint d = event->angleDelta();
    const double notches = (d.y() != 0 ? d.y() : d.x()) / 120.0;
    if (m_view.wheel(event->position().x(), event->position().y(), notches,
                     zoomAxesFor(event->modifiers()), m_surface.width(), m_surface.height()))
        rerender();
    event->accept();
}

void KurvexCTRL::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && m_spaceHeld)) {
        m_drag = Drag::Pan;
    } else if (event->button() == Qt::LeftButton) {
        m_drag = Drag::Zoom;
    } else {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragStart = m_dragNow = event->position();
}

void KurvexCTRL::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    if (m_drag == Drag::Pan) {
        if (m_view.pan(at.x() - m_dragNow.x(), at.y() - m_dragNow.y(), m_surface.width(),
                       m_surface.height()))
            rerender();
    }
    m_dragNow = at;
    updateReadout(at);
    update();
}

void KurvexCTRL::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_drag == Drag::Zoom && m_view.zoomRect(QRectF(m_dragStart, event->position()),
                                                m_surface.width(), m_surface.height()))
        rerender();
    m_drag = Drag::None;
    update();
}

void KurvexCTRL::mouseDoubleClickEvent(QMouseEvent *)
{
    m_drag = Drag::None;
    if (m_view.home())
        rerender();
}

void KurvexCTRL::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Home) {
        if (m_view.home())
            rerender();
        return;
    }
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_spaceHeld = true;
        return;
    }
    QWidget::keyPressEvent(event);
}

void KurvexCTRL::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_spaceHeld = false;
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void KurvexCTRL::leaveEvent(QEvent *)
{
    m_readout.clear();
    update();
}

void KurvexCTRL::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *home = menu.addAction(QStringLiteral("Home"));
    home->setEnabled(m_view.zoomed());
    QAction *log = menu.addAction(QStringLiteral("Log Scale |y|"));
    log->setCheckable(true);
    log->setChecked(m_view.logY());
    QAction *copy = menu.addAction(QStringLiteral("Copy"));
    QAction *save = m_figureSaver ? menu.addAction(QStringLiteral("Save Figure\u2026")) : nullptr;
    QAction *chosen = menu.exec(event->globalPos());
    if (chosen == home && m_view.home()) {
        rerender();
    } else if (chosen == log) {
        m_view.setLogY(!m_view.logY());
        rerender();
    } else if (chosen == copy) {
        CopyToClipboard();
    } else if (chosen && chosen == save) {
        m_figureSaver();
    }
}

KurvexControl *createControl(const QString &progId, QWidget *parent)
{
    if (progId.compare(QLatin1String(kProgId), Qt::CaseInsensitive) != 0)
        return nullptr;
    return new KurvexCTRL(parent);
}

} // namespace kurvex
