#pragma once

#include "AnalysisCommon.h"
#include "PeakAnalysis.h"
#include "core/Prompts.h"

#include <QString>
#include <limits>
#include <vector>

namespace tervo {

// One track of the study: its scan rate and the peaks of its first sweep there and back.
struct ScanRatePoint {
    int track = 0;
    double rate = 0;    // V/s
    double current = 0; // |ip| of the forward peak, A
    double potential = 0, halfPotential = 0;
    double separation = std::numeric_limits<double>::quiet_NaN(); // dEp, V; NaN without both
    double psi = std::numeric_limits<double>::quiet_NaN();        // Nicholson's psi from dEp
    double k0 = std::numeric_limits<double>::quiet_NaN();         // cm/s
};

// Several tracks of one couple at different scan rates: the forward peak current against the
// square root of the scan rate (Randles-Sevcik, reversible or irreversible with alpha from
// Ep - Ep/2) solved for D, C or the area; log ip against log v (slope 0.5 for diffusion, 1 for
// an adsorbed layer); and the peak separation through Nicholson's psi giving k0.
class ScanRateStudy {
public:
    enum Solve { Diffusion = 0, Concentration = 1, Area = 2 };

    ScanRateStudy(TrackStore &store, Prompts &prompts);

    TrackStore &store() { return m_store; }
    std::vector<int> tracks;
    double electrons = 1;
    double area = 0.196;         // cm2
    double concentration = 1e-6; // mol/cm3
    double diffusion = 1e-5;     // cm2/s
    double temperature = 25;     // degrees C
    int solve = Diffusion;
    bool irreversible = false;
    // Takes ne, Conc and Area from the first of the tracks that carries them.
    void takeHeaderValues();

    // Reads the peaks of every track, fits and solves; false with a message when a track has no
    // forward peak, fewer than two scan rates are given or the parameters are not above zero.
    bool Calculate();
    const QString &report() const { return m_report; }
    const std::vector<ScanRatePoint> &points() const { return m_points; }
    const LineFit &fit() const { return m_fit; }
    double alpha() const { return m_alpha; }

    // ip against v^1/2 with the fitted line.
    void drawPlot(kurvex::KurvexControl &canvas) const;

private:
    TrackStore &m_store;
    Prompts &m_prompts;
    std::vector<ScanRatePoint> m_points;
    LineFit m_fit;
    double m_alpha = 0;
    QString m_report;
};

// Nicholson's psi from the peak separation n dEp (mV) at 25 degrees C, Lavagnini's fit to his
// table; NaN outside 65 to 200 mV, where the couple reads as reversible or the fit fails.
double nicholsonPsi(double nDeltaEpMillivolts);

} // namespace tervo
