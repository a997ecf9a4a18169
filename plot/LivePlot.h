#pragma once

#include "plot/Graph.h"
#include "plot/PlotRanges.h"

#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace tervo {

// The range and view of a graph drawn point by point while readings arrive. The range is the
// extent of the data (what a track keeps); only the view gets a 10 % margin, or every growth in
// y would widen x by a fifth again. A point inside the range is drawn alone; one that widens
// it, or a graph whose size changed, calls for a full redraw.
class LivePlot {
public:
    explicit LivePlot(Graph *graph = nullptr, QString axisLabel = QStringLiteral("/V"));

    void attach(Graph &graph) { m_graph = &graph; }
    Graph &graph() const { return *m_graph; }
    void setAxisLabel(const QString &label) { m_axisLabel = label; }
    const PlotRange &range() const { return m_range; }

    // Starts over at range and sets the view.
    void reset(const PlotRange &range);
    // Takes (x, y) into the range without drawing; true when the range grew.
    bool extend(double x, double y);
    // The range grew, or the graph's size changed, since the view was last set.
    bool grown() const { return m_grown; }
    bool resized() const { return sizeOf(*m_graph) != m_size; }
    // View (range plus margin) and axes; remembers the graph's size.
    void setView();
    // The curves' titles a figure of the graph shows; every redraw keeps them.
    using Legend = std::vector<std::pair<QString, QRgb>>;
    void setLegend(Legend legend) { m_legend = std::move(legend); }
    // Points as filled circles of this radius in pixels, for curves of few points; 0 draws
    // single pixels.
    void setMarkRadius(double pixels) { m_markRadius = pixels; }
    // Draws one point as this plot marks its points.
    void mark(double x, double y, QRgb colour) const;
    // Takes (x, y) in and draws it, after redraw() when the range grew, the graph changed size
    // or force is set. redraw sets the view (setView) and draws the points before this one.
    void add(double x, double y, QRgb colour, const std::function<void()> &redraw,
             bool force = false);

private:
    static std::pair<int, int> sizeOf(const Graph &graph);

    Graph *m_graph;
    QString m_axisLabel;
    PlotRange m_range;
    std::pair<int, int> m_size{0, 0};
    bool m_grown = false;
    double m_markRadius = 0;
    Legend m_legend;
};

} // namespace tervo
