#include "PlotView.h"

#include <algorithm>
#include <cmath>

namespace kurvex {

bool WorldRect::usable() const
{
    const bool finite =
        std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2);
    // A window finer than the doubles can tell apart would map every point to one pixel.
    const double ex = std::fabs(x2 - x1), ey = std::fabs(y2 - y1);
    const double mx = std::max(std::fabs(x1), std::fabs(x2));
    const double my = std::max(std::fabs(y1), std::fabs(y2));
    return finite && ex > mx * 1e-12 && ey > my * 1e-12 && ex > 0 && ey > 0 && std::isfinite(ex) &&
           std::isfinite(ey);
}

QPointF worldAt(const WorldRect &r, double px, double py, double width, double height)
{
    return {r.x1 + (r.x2 - r.x1) * px / width, r.y1 + (r.y2 - r.y1) * py / height};
}

WorldRect zoomAbout(const WorldRect &r, double wx, double wy, double factor, ZoomAxes axes)
{
    WorldRect z = r;
    if (axes != ZoomAxes::YOnly) {
        z.x1 = wx + (r.x1 - wx) * factor;
        z.x2 = wx + (r.x2 - wx) * factor;
    }
    if (axes != ZoomAxes::XOnly) {
        z.y1 = wy + (r.y1 - wy) * factor;
        z.y2 = wy + (r.y2 - wy) * factor;
    }
    return z;
}

WorldRect rectFromPixels(const WorldRect &r, const QRectF &pixels, double width, double height)
{
    const QRectF p = pixels.normalized();
    const QPointF a = worldAt(r, p.left(), p.top(), width, height);
    const QPointF b = worldAt(r, p.right(), p.bottom(), width, height);
    return {a.x(), a.y(), b.x(), b.y()};
}

WorldRect panByPixels(const WorldRect &r, double dx, double dy, double width, double height)
{
    const double wx = (r.x2 - r.x1) * dx / width, wy = (r.y2 - r.y1) * dy / height;
    return {r.x1 - wx, r.y1 - wy, r.x2 - wx, r.y2 - wy};
}

std::pair<double, double> decadeWindow(double lo, double hi)
{
    double top = std::ceil(std::log10(hi)), bottom = std::floor(std::log10(lo));
    if (!std::isfinite(top) || !std::isfinite(bottom))
        return {0, -1};
    if (top <= bottom)
        top = bottom + 1;
    const double spare = (top - bottom) * 0.05;
    return {top + spare, bottom - spare};
}

double decadeStep(double top, double bottom, double pixels)
{
    const double span = std::fabs(top - bottom);
    const double perDecade = span > 0 ? pixels / span : pixels;
    if (!std::isfinite(perDecade) || perDecade >= 20)
        return 1;
    return std::ceil(20 / perDecade);
}

QString decadeText(double exponent)
{
    return QStringLiteral("1e%1").arg(static_cast<long long>(std::llround(exponent)));
}

WorldRect ViewState::shown() const
{
    if (m_user)
        return *m_user;
    if (m_logY)
        return {m_program.x1, m_logProgram.first, m_program.x2, m_logProgram.second};
    return m_program;
}

void ViewState::setLogY(bool on)
{
    m_logY = on;
    m_user.reset();
}

bool ViewState::setUser(const WorldRect &r)
{
    if (!r.usable() || (m_user && *m_user == r))
        return false;
    m_user = r;
    return true;
}

bool ViewState::wheel(double px, double py, double notches, ZoomAxes axes, double width,
                      double height)
{
    if (notches == 0 || !(width > 0) || !(height > 0))
        return false;
    const WorldRect r = shown();
    const QPointF w = worldAt(r, px, py, width, height);
    return setUser(zoomAbout(r, w.x(), w.y(), std::pow(kWheelFactor, notches), axes));
}

bool ViewState::zoomRect(const QRectF &pixels, double width, double height)
{
    const QRectF p = pixels.normalized();
    if (p.width() < kMinDragPixels || p.height() < kMinDragPixels || !(width > 0) || !(height > 0))
        return false;
    return setUser(rectFromPixels(shown(), p, width, height));
}

bool ViewState::pan(double dx, double dy, double width, double height)
{
    if ((dx == 0 && dy == 0) || !(width > 0) || !(height > 0))
        return false;
    return setUser(panByPixels(shown(), dx, dy, width, height));
}

bool ViewState::home()
{
    if (!m_user)
        return false;
    m_user.reset();
    return true;
}

} // namespace kurvex
