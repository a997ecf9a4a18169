#pragma once

#include "canvas/KurvexControl.h"
#include "plot/PlotRanges.h"
#include "state/TrackStore.h"

#include <QString>
#include <optional>
#include <vector>

namespace tervo {

// The points of the last analysis plot, shared by the Koutecky-Levich, Cottrell and Coulomb
// analyses (the Coulomb analysis keeps its running charges here).
struct AnalysisPoints {
    std::vector<double> X = std::vector<double>(kMaxPoints, 0.0);
    std::vector<double> Y = std::vector<double>(kMaxPoints, 0.0);
    int k = 0;

    void clear() { k = 0; }
    void append(double x, double y)
    {
        if (k >= kMaxPoints)
            return;
        X[static_cast<std::size_t>(k)] = x;
        Y[static_cast<std::size_t>(k)] = y;
        ++k;
    }
};

struct LineFit {
    double intercept = 0;
    double slope = 0;
    bool operator==(const LineFit &) const = default;
};

// Least-squares line y = a + b x over points 0..k-1; nothing when fewer than two distinct x
// values make the line undefined.
std::optional<LineFit> LeastSquaresLine(const std::vector<double> &x, const std::vector<double> &y,
                                        int k);
// Least-squares slope of a line through the origin, sum(xy) / sum(x^2); nothing when every x is 0.
std::optional<double> LeastSquaresSlopeThroughOrigin(const std::vector<double> &x,
                                                     const std::vector<double> &y, int k);

inline constexpr double kFaradayConstant = 96485;

// The message of a fit that the points do not define.
inline constexpr char kNoLineMessage[] =
    "The points do not define a line: at least two different x values are needed.";

// The range of point indices an analysis window keeps for a track of n points: the first point
// within 0..n-2, the last within 1..n-1.
int clampFirstPoint(int p, int n);
int clampLastPoint(int p, int n);

// The track preview the Tafel and Coulomb windows draw: the stored plot range widened by 10 %,
// points outside first..last as dots in light blue, inside as circles in light red. False (and a
// cleared canvas) when the range cannot be mapped.
bool drawRangePreview(kurvex::KurvexControl &canvas, const TrackStore &store, int track, int first,
                      int last);

} // namespace tervo
