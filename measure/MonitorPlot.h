#pragma once

#include "plot/Graph.h"
#include "plot/LivePlot.h"
#include "plot/PlotRanges.h"

#include <QString>
#include <array>
#include <limits>
#include <utility>
#include <vector>

namespace tervo {

// The ring of recent monitor readings of one or more channels drawn on one graph: each reading
// extends the range; when it grows the graph is redrawn from the ring, otherwise only the new
// points are drawn. Empty entries hold -9999, outside anything the monitor shows.
class MonitorPlot {
public:
    static constexpr double kEmpty = -9999;

    // The write index wraps to 0 after limit, so the ring holds limit + 1 entries per channel.
    MonitorPlot(int channels, int limit);

    struct Style {
        QString title;
        QString xFormat;
        QString yFormat;
        // Ring entries whose |x| exceeds this are not redrawn.
        double maxAbsX = std::numeric_limits<double>::infinity();
        // Redraw also when the graph's size changed since the last reading.
        bool redrawOnResize = false;
    };

    // Empties the ring and, unless another window's run is drawing on the graph, resets the
    // range to x -0.1..0.1, y -0.01..0.01 and prepares the graph; otherwise the monitor draws
    // nothing until it is prepared again.
    void clear(Graph &graph, const Style &style);
    // The clear-monitor button of a window that keeps the ring: the index goes to 0 and the
    // graph is prepared empty, the old readings stay in the ring.
    void restart(Graph &graph);
    // Stores one (x, y) per channel at the write index, draws them while the graph still shows
    // this monitor, and advances the index.
    void add(Graph &graph, const std::vector<std::array<double, 2>> &points,
             const std::vector<QRgb> &colours);

    int index() const { return m_index; }
    int channels() const { return m_channels; }
    const PlotRange &range() const { return m_plot.range(); }
    const std::array<double, 2> &at(int channel, int i) const
    {
        return m_ring[static_cast<std::size_t>(channel * (m_limit + 1) + i)];
    }

private:
    void redraw(Graph &graph, const std::vector<QRgb> &colours);
    void prepare(Graph &graph);

    int m_channels;
    int m_limit;
    int m_index = 0;
    Style m_style;
    LivePlot m_plot;
    std::vector<std::array<double, 2>> m_ring;
};

// Empties the disk and ring voltage monitors of a ring-disk window onto their two graphs.
void clearDiskRingMonitors(MonitorPlot &disk, Graph &diskGraph, MonitorPlot &ring,
                           Graph &ringGraph);

} // namespace tervo
