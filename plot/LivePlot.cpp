#include "LivePlot.h"

#include <algorithm>

namespace tervo {

LivePlot::LivePlot(Graph *graph, QString axisLabel)
    : m_graph(graph), m_axisLabel(std::move(axisLabel))
{
}

std::pair<int, int> LivePlot::sizeOf(const Graph &g)
{
    return {g.getSize().width, g.getSize().height};
}

void LivePlot::reset(const PlotRange &range)
{
    m_range = range;
    setView();
}

bool LivePlot::extend(double x, double y)
{
    const PlotRange before = m_range;
    m_range.xmin = std::min(m_range.xmin, x);
    m_range.xmax = std::max(m_range.xmax, x);
    m_range.ymin = std::min(m_range.ymin, y);
    m_range.ymax = std::max(m_range.ymax, y);
    const bool grew = before.xmin != m_range.xmin || before.xmax != m_range.xmax ||
                      before.ymin != m_range.ymin || before.ymax != m_range.ymax;
    m_grown = m_grown || grew;
    return grew;
}

void LivePlot::setView()
{
    Graph &g = *m_graph;
    const PlotRange w = WidenRange(m_range, 10);
    g.View(w.xmin, w.ymax, w.xmax, w.ymin);
    g.Axis(NiceStep(w.xmin, w.xmax), NiceStep(w.ymin, w.ymax), 0, m_axisLabel);
    for (const auto &[title, colour] : m_legend)
        g.AddLegend(title, colour);
    m_size = sizeOf(g);
    m_grown = false;
}

void LivePlot::add(double x, double y, QRgb colour, const std::function<void()> &redraw, bool force)
{
    extend(x, y);
    if (m_grown || resized() || force)
        redraw();
    mark(x, y, colour);
}

void LivePlot::mark(double x, double y, QRgb colour) const
{
    if (m_markRadius > 0)
        m_graph->VCircle(x, y, m_markRadius, colour);
    else
        m_graph->VPset(x, y, colour);
}

} // namespace tervo
