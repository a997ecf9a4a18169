#pragma once

#include "SSVGaussNewtonLog.h"

#include <vector>

namespace tervo {

// The steady value a relaxing current transient tends to, as the steady-state window takes it
// at the end of a potential step.
struct SteadyEstimate {
    double value = 0;
    bool fitted = false;     // the log fit's asymptote; otherwise the mean of the last tenth
    int iterations = 0;      // of the fit
    double timeConstant = 0; // s, of the fit
};

// The mean of the last tenth of the values (at least one value).
double tailMean(const std::vector<double> &y);

// Fits y(t) with SSVGaussNewtonLog (one exponential) and returns its asymptote. The values go to
// the fit in units of their noise and measured from the mean of their last tenth, so that the
// asymptote is a small number whose relative steps resolve the transient, and a point on the far
// side of it (the fit's target of 0, a distance of 1) counts as lying within the noise of it.
// Each point is weighted by its distance from that mean, which makes the log residuals those of
// the currents themselves. Fewer than five points, a diverged fit or one whose asymptote or time
// constant lies beyond what the data can tell give the mean of the last tenth instead.
SteadyEstimate estimateSteadyCurrent(SSVGaussNewtonLog &fit, const std::vector<double> &t,
                                     const std::vector<double> &y);

} // namespace tervo
