#pragma once

#include <QPointF>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kurvex {

// One drawing operation in world coordinates, with the pen state it was drawn in.
struct SceneItem {
    enum Kind : std::uint8_t { Line, Point, Circle, Box, Fill, Text };
    Kind kind = Line;
    std::int16_t mode = 13;
    std::int16_t width = 1;
    std::int16_t fillStyle = 1;
    QRgb color = 0;
    QRgb fore = 0;
    QRgb fill = 0;
    // Line, box, fill: the two ends; point: x1, y1; circle: centre and radius (x2) in pixels;
    // text: left and top in pixels, font size (x2), index of the text (y2).
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// What a plot holds since it was last cleared: the axes it was given and every drawing operation
// in world units, so that it can be drawn again in another view, on a log scale or as a figure.
class PlotScene {
public:
    struct Axes {
        double xStep = 0, yStep = 0;
        int labelMode = 0; // 0 linear, 1 the y values are decade exponents
        QString xTitle, yTitle;
        std::string xFormat, yFormat;
    };
    struct LegendEntry {
        QString title;
        QRgb color = 0;
    };
    // A data point found under the pointer: its series (a chain of joined lines, or the points of
    // one colour) and its index in that series.
    struct Hit {
        double x = 0, y = 0;
        int series = 0;
        int index = 0;
    };

    void clear();
    void add(const SceneItem &item) { m_items.push_back(item); }
    void addText(double left, double top, double fontSize, const QString &text, QRgb fore);
    const std::vector<SceneItem> &items() const { return m_items; }
    const QString &text(const SceneItem &item) const;

    void setAxes(const Axes &axes) { m_axes = axes; }
    const std::optional<Axes> &axes() const { return m_axes; }
    void addLegend(const QString &title, QRgb color) { m_legend.push_back({title, color}); }
    const std::vector<LegendEntry> &legend() const { return m_legend; }

    // The smallest and largest non-zero |y| of the data, for a decade scale.
    std::optional<std::pair<double, double>> absYRange() const;
    // The data point nearest to a pixel within maxDistance pixels; toPixel maps world to pixels.
    std::optional<Hit> nearest(const std::function<QPointF(double, double)> &toPixel,
                               const QPointF &at, double maxDistance) const;

private:
    std::vector<SceneItem> m_items;
    std::vector<QString> m_texts;
    std::optional<Axes> m_axes;
    std::vector<LegendEntry> m_legend;
};

// A y value on a decade scale: log10 |y|; zero and non-finite values have no place (NaN).
double decadeY(double y);

} // namespace kurvex
