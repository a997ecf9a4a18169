#include "MonitorPlot.h"

#include <cmath>

namespace tervo {

namespace {
const PlotRange kInitialRange{-0.1, -0.01, 0.1, 0.01};
}

MonitorPlot::MonitorPlot(int channels, int limit)
    : m_channels(channels), m_limit(limit), m_ring(static_cast<std::size_t>(channels * (limit + 1)),
                                                   std::array<double, 2>{kEmpty, kEmpty})
{
}

void MonitorPlot::clear(Graph &g, const Style &style)
{
    m_style = style;
    std::fill(m_ring.begin(), m_ring.end(), std::array<double, 2>{kEmpty, kEmpty});
    prepare(g);
}

void MonitorPlot::restart(Graph &g)
{
    prepare(g);
}

void MonitorPlot::prepare(Graph &g)
{
    m_index = 0;
    m_plot.attach(g);
    // Another window's run keeps its graph; this monitor draws again once it is prepared anew.
    if (g.drawnByOther(this))
        return;
    g.claim(this, false);
    g.SetTitle(m_style.title);
    g.SetXFormat(m_style.xFormat);
    g.SetYFormat(m_style.yFormat);
    g.Cls();
    m_plot.reset(kInitialRange);
}

void MonitorPlot::add(Graph &g, const std::vector<std::array<double, 2>> &points,
                      const std::vector<QRgb> &colours)
{
    m_plot.attach(g);
    for (int c = 0; c < m_channels && c < static_cast<int>(points.size()); ++c) {
        const auto [x, y] = points[static_cast<std::size_t>(c)];
        m_ring[static_cast<std::size_t>(c * (m_limit + 1) + m_index)] = {x, y};
        m_plot.extend(x, y);
    }
    // A graph showing a run (going on, or finished and not cleared yet) keeps it: the readings
    // are stored, not drawn.
    if (g.holder() == this) {
        if (m_plot.grown() || (m_style.redrawOnResize && m_plot.resized())) {
            redraw(g, colours);
        } else {
            for (int c = 0; c < m_channels && c < static_cast<int>(points.size()); ++c)
                g.VPset(points[static_cast<std::size_t>(c)][0],
                        points[static_cast<std::size_t>(c)][1],
                        colours[static_cast<std::size_t>(c) % colours.size()]);
        }
    }
    if (++m_index > m_limit)
        m_index = 0;
}

void MonitorPlot::redraw(Graph &g, const std::vector<QRgb> &colours)
{
    m_plot.setView();
    for (int c = 0; c < m_channels; ++c) {
        const QRgb colour = colours[static_cast<std::size_t>(c) % colours.size()];
        for (int i = 0; i <= m_limit; ++i) {
            const auto &p = at(c, i);
            if (p[0] != kEmpty && std::fabs(p[0]) <= m_style.maxAbsX)
                g.VPset(p[0], p[1], colour);
        }
    }
}

void clearDiskRingMonitors(MonitorPlot &disk, Graph &diskGraph, MonitorPlot &ring, Graph &ringGraph)
{
    MonitorPlot::Style style{QString(), QStringLiteral("0.00"), QStringLiteral("0.00")};
    style.title = QStringLiteral("Disk Voltage Monitor");
    disk.clear(diskGraph, style);
    style.title = QStringLiteral("Ring Voltage Monitor");
    ring.clear(ringGraph, style);
}

} // namespace tervo
