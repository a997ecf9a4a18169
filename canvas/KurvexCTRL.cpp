#include "KurvexCTRL.h"

#include "core/NumberFormat.h"

#include <QClipboard>
#include <QGuiApplication>
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

} // namespace

KurvexCTRL::KurvexCTRL(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    followSize();
}

void KurvexCTRL::followSize()
{
    const QSize s = size();
    m_surface.resize(s.width(), s.height(), devicePixelRatioF());
}

void KurvexCTRL::changed()
{
    if (!m_updatePending) {
        m_updatePending = true;
        update();
    }
}

void KurvexCTRL::paintEvent(QPaintEvent *event)
{
    m_updatePending = false;
    followSize();
    QPainter p(this);
    const QImage &img = m_surface.image();
    p.drawImage(event->rect(), img,
                QRectF(event->rect().topLeft() * img.devicePixelRatio(),
                       event->rect().size() * img.devicePixelRatio()));
}

void KurvexCTRL::resizeEvent(QResizeEvent *)
{
    followSize();
    changed();
}

void KurvexCTRL::CopyToClipboard()
{
    const QImage img = m_surface.image();
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
    return true;
}

void KurvexCTRL::Cls()
{
    followSize();
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
    m_surface.clear();
    const double w = m_surface.width(), h = m_surface.height();
    const WorldMapping &m = m_mapping;
    double dx = xt, dy = yt;
    const double xs = firstTick(m.x1, dx);
    const double ys = firstTick(m.y1, dy);
    m_surface.setFontSize(10);
    m_surface.setForeColor(kBlack);
    const double axisRow = m.pixelY(0);
    const double axisColumn = m.pixelX(0);

    const int nx = tickCount(xs, m.x2, dx, kMaxTicks);
    for (int i = 0; i < nx; ++i) {
        const double x = snapTickToZero(xs + i * dx, dx);
        const double column = m.pixelX(x);
        m_surface.line(column, 0, column, h, kGridGrey);
        const int n = static_cast<int>(tervo::formatGeneralSigned(x).size());
        m_surface.text(centredLabelLeft(column, n), axisRow + 2, formatLabel(x, m_xFormat));
    }

    if (dy > 0 && ys > m.y2)
        dy = -dy;
    const int ny = tickCount(ys, m.y2, dy, kMaxTicks);
    for (int i = 0; i < ny; ++i) {
        const double y = snapTickToZero(ys + i * dy, dy);
        const double row = m.pixelY(y);
        m_surface.line(0, row, w, row, kGridGrey);
        const QString label = formatLabel(y, m_yFormat);
        m_surface.text(rightAlignedLabelLeft(axisColumn, static_cast<int>(label.size()), 8), row,
                       label);
    }

    m_surface.line(0, axisRow, w, axisRow, kBlack);
    m_surface.text(w / 2 - 8.0 * xlabel.size(), axisRow + 24, xlabel);
    m_surface.line(axisColumn, 0, axisColumn, h, kBlack);
    const QPoint titleAt =
        yTitlePosition(axisColumn, m_surface.textWidth(ylabel), m_surface.width());
    m_surface.text(titleAt.x(), titleAt.y(), ylabel);
    changed();
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
    m_surface.line(m_mapping.mapX(x1), m_mapping.mapY(y1), m_mapping.mapX(x2), m_mapping.mapY(y2),
                   color);
    changed();
}

void KurvexCTRL::VPset(double x, double y, QRgb color)
{
    m_surface.pset(m_mapping.mapX(x), m_mapping.mapY(y), color);
    changed();
}

void KurvexCTRL::VCircle(double x, double y, double r, QRgb)
{
    m_surface.circle(m_mapping.mapX(x), m_mapping.mapY(y), r);
    changed();
}

void KurvexCTRL::VBox(double x1, double y1, double x2, double y2, QRgb color)
{
    m_surface.box(m_mapping.mapX(x1), m_mapping.mapY(y1), m_mapping.mapX(x2), m_mapping.mapY(y2),
                  color);
    changed();
}

void KurvexCTRL::VFill(double x1, double y1, double x2, double y2, QRgb color)
{
    m_surface.fillBox(m_mapping.mapX(x1), m_mapping.mapY(y1), m_mapping.mapX(x2),
                      m_mapping.mapY(y2), color);
    changed();
}

QImage KurvexCTRL::image()
{
    followSize();
    return m_surface.image();
}

KurvexControl *createControl(const QString &progId, QWidget *parent)
{
    if (progId.compare(QLatin1String(kProgId), Qt::CaseInsensitive) != 0)
        return nullptr;
    return new KurvexCTRL(parent);
}

} // namespace kurvex
