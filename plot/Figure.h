#pragma once

#include "canvas/PlotScene.h"
#include "canvas/PlotView.h"

#include <QSizeF>
#include <QString>

class QPainter;

namespace tervo {

class Graph;

// A plot as a figure: what a graph window or canvas holds (axes, curves, legend), the world window
// shown and the scale, drawn with a painter as vectors at any size: a framed plot area with its
// grid, tick labels outside, axis titles and a legend of the curves' titles.
struct Figure {
    kurvex::PlotScene scene;
    kurvex::WorldRect view; // y in decades on a log scale
    bool logY = false;
    QSizeF size{640, 480}; // in points of 1/96 inch
};

Figure figureOf(const Graph &graph);

// Draws the figure into a painter whose units are the figure's points.
void renderFigure(const Figure &figure, QPainter &painter);

enum class FigureFormat { Png, Svg, Pdf, Unknown };
FigureFormat figureFormatOf(const QString &path);

// Writes the figure by the file's extension: .png at dpi dots per inch, .svg, .pdf. False with a
// message when the file cannot be written or the extension is none of these.
bool writeFigure(const Figure &figure, const QString &path, int dpi, QString *error);

inline constexpr int kDefaultFigureDpi = 300;
// A PNG is drawn in memory whole: more pixels than this would take seconds and gigabytes.
inline constexpr qint64 kMaxFigurePixels = 40'000'000;
// Why a PNG of a figure of this size cannot be written at dpi; empty when it can.
QString pngSizeProblem(QSizeF size, int dpi);

} // namespace tervo
